// The main window: dialog template 102 run as a modeless dialog with a
// message loop of its own, so that keys are seen before the dialog's own
// keyboard handling. It shows what the logic (CQuillonDlg) tells it through
// the dialog port and forwards every user action to it; it decides nothing
// itself. What every window does alike (the rows, long work, the keys, the
// list's menu) is WindowPort's and window/'s; this class only calls Win32.
#pragma once

#include <windows.h>
// The headers below need <windows.h> first.
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/layout.h"
#include "dialog/quillon_dlg.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_journal_store.h"
#include "win32/file_list_view.h"
#include "win32/shell_opener.h"
#include "win32/win32_clipboard.h"
#include "window/key_map.h"
#include "window/window_port.h"

struct IImageList;

namespace quillon {

class FileListDropTarget;

class MainDialog final : public WindowPort, private BusyView, private KeyCommandTarget {
 public:
  // `dates` reads the files' dates for the orders by date (without it those
  // are greyed); it must outlive the window.
  explicit MainDialog(HINSTANCE instance, FileDateReader* dates = nullptr);
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

 private:
  // What only the window can show or answer (main_dialog_port.cpp).
  // MessagesPort:
  void ShowMessage(std::u16string_view text) override;
  bool AskOkCancel(std::u16string_view text) override;
  RecoveryChoice AskRecovery(std::u16string_view text) override;
  void ShowRetryDialog(std::u16string_view message) override;
  // ControlsPort:
  void SetDirectoryText(std::u16string_view text) override;
  std::u16string NameFieldText() override;
  void SetControlEnabled(ControlId id, bool enabled) override;
  void SetAcceptDrops(bool accept) override;
  // BusyView: the count in the caption, no drops, the input dropped
  // (main_dialog_port.cpp).
  void BusyStarted() override;
  void ShowProgress(std::size_t done, std::size_t total) override;
  void RepaintWhileBusy() override;
  void BusyEnded(bool progressShown) override;
  // KeyCommandTarget (main_dialog_keys.cpp, with the list's menu).
  void ShowAbout() override;
  void ShowRowMenuAtCurrentRow() override;
  void SelectAllRows() override;

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The user's commands and the list's notifications; the rest of the
  // window's life in HandleWindowMessage.
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The dialog's answer to the messages it handles itself.
  INT_PTR Handled(LRESULT result);

  void OnInitDialog();
  void InsertColumns();
  // The last column to the list's width, at its minimum in dialog units.
  void FitLastColumn();
  // Keys seen before the dialog's own keyboard handling; true when taken.
  bool PreTranslateMessage(const MSG& message);
  KeyPlace KeyPlaceOf(HWND window) const;
  void OnCommand(int id, int code);
  // The result of a list notification.
  LRESULT OnListNotify(NMHDR& header);
  bool OnContextMenu(HWND window, LPARAM point);
  void OnFilesDropped();
  void OnArgumentsDrop();
  bool OnSysCommand(WPARAM command);
  void OnSize(int width, int height);
  bool OnPaintMinimised();
  void OnDestroy();
  void ShowRowMenu(POINT screen);
  // Moves the keyboard focus on, as Tab would, when it rests on a disabled
  // control.
  void MoveFocusFromDisabled();
  std::optional<LayoutRect> ControlRect(int id) const;

  HINSTANCE m_instance;
  HWND m_window = nullptr;
  HICON m_icon = nullptr;
  HICON m_smallIcon = nullptr;
  std::wstring m_title;
  IImageList* m_systemImageList = nullptr;  // one reference, the shell's list
  Win32Clipboard m_clipboard;
  ShellOpener m_opener;
  Win32FileSystem m_fileSystem;
  Win32JournalStore m_journals{Win32JournalStore::UserDirectory()};
  std::unique_ptr<CQuillonDlg> m_dlg;
  std::unique_ptr<FileListView> m_list;
  FileListDropTarget* m_dropTarget = nullptr;  // one reference
  DialogLayout m_layout;
  RECT m_initialWindowRect{};
  std::vector<std::u16string> m_argumentPaths;
  bool m_acceptDrops = false;
  // A key pressed with Alt was taken as a command; Alt's release is dropped.
  bool m_altKeyTaken = false;
};

}  // namespace quillon
