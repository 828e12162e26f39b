// The main window: template 102 built from Qt widgets. It shows what the
// logic (CQuillonDlg) tells it through the dialog port and forwards every
// user action to it; it decides nothing itself.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <map>
#include <memory>

#include "core/dialog_port.h"
#include "core/layout.h"
#include "core/quillon_dlg.h"
#include "shell/posix_file_system.h"
#include "shell/posix_journal_store.h"
#include "shell/posix_opener.h"

class QLineEdit;
class QProgressDialog;

namespace quillon {

class CDropTargetListCtrl;
class InputRefusal;
class FileListModel;

class QuillonWindow : public QWidget, public DialogPort {
 public:
  // `opener` starts the desktop's default application; it must outlive the
  // window.
  explicit QuillonWindow(Opener& opener, QWidget* parent = nullptr);
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
  void ShowAbout();
  // The list's context menu at a point of the list's viewport; returns once
  // it is closed and the chosen command has run.
  void ShowRowMenu(const QPoint& atViewport);
  // The same menu below the current row, for the keyboard.
  void ShowRowMenuAtCurrentRow();

  // DialogPort
  void ShowMessage(std::u16string_view text) override;
  bool AskOkCancel(std::u16string_view text) override;
  RecoveryChoice AskRecovery(std::u16string_view text) override;
  void ShowRetryDialog(std::u16string_view message) override;
  void SetDirectoryText(std::u16string_view text) override;
  void SetRows(std::u16string_view directory, std::vector<std::u16string> names) override;
  void DeleteAllRows() override;
  void DeleteRow(int row) override;
  void DeleteRows(const std::vector<int>& rows) override;
  void EnsureRowVisible(int row) override;
  void SetCellText(int row, int column, std::u16string_view text) override;
  void SetColumnTexts(int column, std::vector<std::u16string> texts) override;
  void SetColumnNames(int column, NamePool texts) override;
  void ClearColumn(int column) override;
  std::vector<int> SelectedRows() override;
  std::u16string NameFieldText() override;
  void SetControlEnabled(ControlId id, bool enabled) override;
  void SetAcceptDrops(bool accept) override;
  bool SetClipboardText(std::u16string_view text) override;
  std::optional<std::u16string> ClipboardText() override;
  bool HasClipboardText() override;
  void OpenWithDefaultApplication(std::u16string_view pathOrAddress) override;
  void BeginProgress(std::size_t total) override;
  void SetProgress(std::size_t done) override;
  void EndProgress() override;

  // How long work must last before its progress is shown, and how often
  // the window repaints meanwhile; tests set both to 0.
  void SetProgressTiming(int showAfterMs, int repaintEveryMs);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void ConnectHandlers();
  std::optional<LayoutRect> ControlRect(int id) const;
  void ShowProgressDialog();
  void UpdateProgressDialog();
  // Where Enter was pressed, as the logic tells the places apart.
  FocusArea FocusAreaOf(const QObject* widget) const;

  Opener& m_opener;
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

  // Long work in progress (nesting depth), its count, and whether input is
  // refused (not while a message box or the retry dialog asks the user).
  int m_busyDepth = 0;
  bool m_refuseInput = false;
  std::size_t m_progressTotal = 0;
  std::size_t m_progressDone = 0;
  QElapsedTimer m_busyTime;
  QElapsedTimer m_sinceRepaint;
  int m_showProgressAfterMs = 500;
  int m_repaintEveryMs = 40;
  QProgressDialog* m_progress = nullptr;   // owned by the window while shown
  InputRefusal* m_inputRefusal = nullptr;  // owned by the window
};

}  // namespace quillon
