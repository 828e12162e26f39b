// The main window: template 102 built from Qt widgets. It shows what the
// logic (CQuillonDlg) tells it through the dialog port and forwards every
// user action to it; it decides nothing itself. What every window does
// alike (the rows, long work, the keys, the list's menu) is WindowPort's
// and window/'s; this class only calls Qt.
#pragma once

#include <QWidget>
#include <map>
#include <memory>

#include "core/layout.h"
#include "dialog/quillon_dlg.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_journal_store.h"
#include "resources/templates.h"
#include "shell/busy_indicator.h"
#include "shell/qt_clipboard.h"
#include "window/desktop.h"
#include "window/key_map.h"
#include "window/row_menu.h"
#include "window/window_port.h"

class QLineEdit;
class QMenu;

namespace quillon {

class CDropTargetListCtrl;
class FileListModel;

class QuillonWindow : public QWidget, public WindowPort, private KeyCommandTarget {
 public:
  // `opener` starts the desktop's default application; `dates` reads the
  // files' dates for the orders by date (without it those are greyed). Both
  // must outlive the window.
  explicit QuillonWindow(Opener& opener, FileDateReader* dates = nullptr,
                         QWidget* parent = nullptr);
  ~QuillonWindow() override;

  CQuillonDlg& Dialog() { return *m_dlg; }
  // The control with a template id, or nullptr.
  QWidget* Control(int id) const;
  CDropTargetListCtrl* FileList() const { return m_fileList; }
  FileListModel* Model() const { return m_model; }
  const DialogUnits& Units() const { return m_units; }
  // The size the window opened with, which is also its minimum.
  QSize InitialSize() const { return m_initialSize; }

  // Files given on the command line: one drop.
  void DropFiles(const std::vector<std::u16string>& paths);
  // Offers to finish or take back each run a crash cut short; called once
  // the window is shown, before it takes any files.
  void RecoverInterruptedRuns() { m_dlg->RecoverInterruptedRuns(); }
  // Runs the About box modally.
  void ShowAbout() override;
  // The list's context menu at a point of the list's viewport; returns once
  // it is closed and the chosen command has run.
  void ShowRowMenu(const QPoint& atViewport);
  // The same menu below the current row, for the keyboard.
  void ShowRowMenuAtCurrentRow() override;

  // MessagesPort: message boxes and the retry dialog.
  void ShowMessage(std::u16string_view text) override;
  bool AskOkCancel(std::u16string_view text) override;
  RecoveryChoice AskRecovery(std::u16string_view text) override;
  void ShowRetryDialog(std::u16string_view message) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // ControlsPort: the fields and the controls' state.
  void SetDirectoryText(std::u16string_view text) override;
  std::u16string NameFieldText() override;
  void SetControlEnabled(ControlId id, bool enabled) override;
  void SetAcceptDrops(bool accept) override;

  void SelectAllRows() override;
  // Adds the model's entries to `menu`, a submenu as a menu of its own.
  void AddRowMenuEntries(QMenu& menu, const std::vector<RowMenuEntry>& entries);
  void CreateControls();
  QWidget* CreateControl(const templates::DialogItem& item);
  void ConnectHandlers();
  void SetAccessibleTexts();
  std::optional<LayoutRect> ControlRect(int id) const;
  // Where a key was pressed, as the key map tells the places apart.
  KeyPlace KeyPlaceOf(const QObject* widget) const;

  QtClipboard m_clipboard;
  BusyIndicator m_busy{*this};
  PosixFileSystem m_fileSystem;
  PosixJournalStore m_journals{PosixJournalStore::UserDirectory()};
  std::unique_ptr<CQuillonDlg> m_dlg;
  DialogUnits m_units;
  DialogLayout m_layout;
  QSize m_initialSize;
  std::map<int, QWidget*> m_controls;  // owned by the window as children
  bool m_deliveringDrop = false;       // a drop is being handed to the logic
  CDropTargetListCtrl* m_fileList = nullptr;
  FileListModel* m_model = nullptr;
  QLineEdit* m_nameEdit = nullptr;
  QLineEdit* m_directoryEdit = nullptr;
};

}  // namespace quillon
