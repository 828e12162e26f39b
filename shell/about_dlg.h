// The About box: title, version, copyright and a button that opens the home
// page.
#pragma once

#include <QDialog>
#include <string>

#include "dialog/dialog_port.h"
#include "resources/templates.h"

namespace quillon {

class CAboutDlg : public QDialog {
 public:
  // `desktop` opens the home page; it must outlive the dialog.
  CAboutDlg(DesktopPort& desktop, QWidget* parent);

  // The control with a template id, or nullptr.
  QWidget* Control(int id) const;

  void OnHomePage();

 private:
  // The widget of a template item, with the dialog as its parent; nullptr
  // for a kind the box does not have.
  QWidget* CreateControl(const templates::DialogItem& item);
  // OK closes the box; the other button opens the home page.
  QWidget* CreateButton(const templates::DialogItem& item);

  DesktopPort& m_desktop;
};

}  // namespace quillon
