// The About box: title, version, copyright and a button that opens the home
// page.
#pragma once

#include <QDialog>
#include <string>

#include "dialog/dialog_port.h"

namespace quillon {

class CAboutDlg : public QDialog {
 public:
  // `port` opens the home page; it must outlive the dialog.
  CAboutDlg(DialogPort& port, QWidget* parent);

  // The control with a template id, or nullptr.
  QWidget* Control(int id) const;

  void OnHomePage();

 private:
  DialogPort& m_port;
};

}  // namespace quillon
