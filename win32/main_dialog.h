// The main window: dialog template 102 run as a modeless dialog with a
// message loop of its own, so that keys are seen before the dialog's own
// keyboard handling. It shows what the logic (CQuillonDlg) tells it through
// the dialog port and forwards every user action to it; it decides nothing
// itself.
#pragma once

#include <windows.h>
// The headers below need <windows.h> first.
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dialog_port.h"
#include "core/layout.h"
#include "core/quillon_dlg.h"
#include "win32/file_list_view.h"
#include "win32/win32_file_system.h"
#include "win32/win32_journal_store.h"

struct IImageList;

namespace quillon {

class FileListDropTarget;

class MainDialog final : public DialogPort {
 public:
  explicit MainDialog(HINSTANCE instance);
  ~MainDialog() override;
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;

  // Creates the window, centred in the work area and shown; false when the
  // template could not be made into a window. Before any input, the runs a
  // crash cut short are settled, and then `paths` (full paths, possibly
  // none) are taken as one drop.
  bool Create(std::vector<std::u16string> paths);
  // Runs the message loop until the window is closed; the exit code.
  int Run();

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

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void OnInitDialog();
  void InsertColumns();
  // The last column to the list's width, at its minimum in dialog units.
  void FitLastColumn();
  // Keys seen before the dialog's own keyboard handling; true when taken.
  bool PreTranslateMessage(const MSG& message);
  void OnCommand(int id, int code);
  // The result of a list notification.
  LRESULT OnListNotify(NMHDR& header);
  void OnSize(int width, int height);
  bool OnPaintMinimised();
  void OnSysCommand(WPARAM command);
  void ShowAbout();
  void ShowRowMenu(POINT screen);
  void ShowRowMenuAtCurrentRow();
  FocusArea FocusAreaOf(HWND window) const;
  // Moves the keyboard focus on, as Tab would, when it rests on a disabled
  // control.
  void MoveFocusFromDisabled();
  std::optional<LayoutRect> ControlRect(int id) const;
  // Paints and lets the system breathe while work runs; the user's input
  // that arrived meanwhile is dropped.
  void PumpWhileBusy();
  void ShowProgressInCaption();
  bool Busy() const { return m_busyDepth > 0; }

  HINSTANCE m_instance;
  HWND m_window = nullptr;
  HICON m_icon = nullptr;
  HICON m_smallIcon = nullptr;
  std::wstring m_title;
  IImageList* m_systemImageList = nullptr;  // one reference, the shell's list
  Win32FileSystem m_fileSystem;
  Win32JournalStore m_journals{Win32JournalStore::UserDirectory()};
  std::unique_ptr<CQuillonDlg> m_dlg;
  std::unique_ptr<FileListView> m_list;
  FileListDropTarget* m_dropTarget = nullptr;  // one reference
  DialogLayout m_layout;
  RECT m_initialWindowRect{};
  std::vector<std::u16string> m_argumentPaths;
  bool m_acceptDrops = false;

  // Long work in progress (nesting depth), its count, and when it began.
  int m_busyDepth = 0;
  std::size_t m_progressTotal = 0;
  std::size_t m_progressDone = 0;
  ULONGLONG m_busySince = 0;
  ULONGLONG m_lastPump = 0;
  bool m_progressShown = false;
};

}  // namespace quillon
