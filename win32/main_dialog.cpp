#include "win32/main_dialog.h"

#include <commoncontrols.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "core/visible_name.h"
#include "resources/menus.h"
#include "resources/strings.h"
#include "win32/dialog_boxes.h"
#include "win32/drop_target.h"
#include "win32/recovery_dialog.h"
#include "win32/resource.h"
#include "win32/win32_clipboard.h"
#include "win32/win32_text.h"

namespace quillon {

namespace {

constexpr int kColumnWidthUnits = 120;
// The last column takes the rest of the list's width, but never less.
constexpr int kLastColumnMinimumUnits = 60;
// Posted once the window is shown: the runs a crash cut short, then the
// command line's paths, as one drop.
constexpr UINT WM_ARGUMENTS_DROP = WM_APP + 1;
// Posted when the window is activated, to look at where the focus came back.
constexpr UINT WM_CHECK_FOCUS = WM_APP + 2;
// How long work must last before its count is shown, and how often the
// window repaints meanwhile.
constexpr ULONGLONG kShowProgressAfterMs = 500;
constexpr ULONGLONG kRepaintEveryMs = 40;

// What a user can do to a window: none of it is taken while work runs.
// Painting, timers and the system's own messages still are.
bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
         message == WM_NCMOUSEHOVER || message == WM_NCMOUSELEAVE;
}

bool IsButton(HWND window) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  return lstrcmpiW(className, WC_BUTTONW) == 0;
}

}  // namespace

MainDialog::MainDialog(HINSTANCE instance)
    : m_instance(instance),
      m_title(LoadResourceString(instance, IDS_APP_TITLE)),
      m_dlg(std::make_unique<CQuillonDlg>(m_fileSystem, *this, &m_journals)) {
  // Without the string the caption falls back to the program's own title.
  if (m_title.empty()) m_title = ToWide(str::kAppTitle);
  m_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                         LR_DEFAULTCOLOR));
  m_smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

MainDialog::~MainDialog() {
  if (m_window != nullptr) DestroyWindow(m_window);
  if (m_dropTarget != nullptr) m_dropTarget->Release();
  // The image list belongs to the shell: one reference goes, the list stays.
  if (m_systemImageList != nullptr) m_systemImageList->Release();
  if (m_icon != nullptr) DestroyIcon(m_icon);
  if (m_smallIcon != nullptr) DestroyIcon(m_smallIcon);
}

bool MainDialog::Create(std::vector<std::u16string> paths) {
  m_argumentPaths = std::move(paths);
  m_window = CreateDialogParamW(m_instance, MAKEINTRESOURCEW(IDD_QUILLON_DIALOG), nullptr,
                                DialogProc, reinterpret_cast<LPARAM>(this));
  if (m_window == nullptr) return false;
  ShowWindow(m_window, SW_SHOW);
  UpdateWindow(m_window);
  // Posted messages come before input: the drop is in the list before the
  // first key the user presses is seen.
  PostMessageW(m_window, WM_ARGUMENTS_DROP, 0, 0);
  return true;
}

int MainDialog::Run() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    if (PreTranslateMessage(message)) continue;
    if (m_window != nullptr && IsDialogMessageW(m_window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

INT_PTR CALLBACK MainDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = reinterpret_cast<MainDialog*>(lParam);
    self->m_window = window;
    self->OnInitDialog();
    // The focus goes to the first control with a tab stop, the file list.
    return TRUE;
  }
  // Messages sent while the window is being made, before WM_INITDIALOG (a
  // first WM_SIZE among them), find no dialog yet and move nothing.
  auto* self = reinterpret_cast<MainDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  return self == nullptr ? FALSE : self->HandleMessage(message, wParam, lParam);
}

INT_PTR MainDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Until the list is known (early in WM_INITDIALOG) the dialog's defaults
  // serve.
  if (m_list == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (header.idFrom != IDC_FILE_LIST) return FALSE;
      SetWindowLongPtrW(m_window, DWLP_MSGRESULT, OnListNotify(header));
      return TRUE;
    }
    case WM_CONTEXTMENU:
      // From the keyboard (no point): below the current row. A right click
      // has already opened the menu through NM_RCLICK.
      if (reinterpret_cast<HWND>(wParam) == m_list->Window() && lParam == -1 && !Busy()) {
        ShowRowMenuAtCurrentRow();
        return TRUE;
      }
      return FALSE;
    case WM_FILESDROPPED:
      if (!Busy() && m_dropTarget != nullptr) m_dlg->OnFilesDropped(m_dropTarget->DropPaths());
      SetWindowLongPtrW(m_window, DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_ARGUMENTS_DROP:
      // A run a crash cut short is settled before any file is taken, so that
      // its files are where the user expects them.
      if (!Busy()) m_dlg->RecoverInterruptedRuns();
      if (!Busy() && m_acceptDrops && !m_argumentPaths.empty()) {
        m_dlg->OnFilesDropped(std::move(m_argumentPaths));
      }
      m_argumentPaths = {};
      return TRUE;
    case WM_ACTIVATE:
      // The dialog gives the focus back to the control that had it when the
      // window was left, after a message box for example; that control may
      // have been disabled meanwhile.
      if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(m_window, WM_CHECK_FOCUS, 0, 0);
      return FALSE;
    case WM_CHECK_FOCUS:
      MoveFocusFromDisabled();
      return TRUE;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_GETMINMAXINFO: {
      auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
      info.ptMinTrackSize.x = m_initialWindowRect.right - m_initialWindowRect.left;
      info.ptMinTrackSize.y = m_initialWindowRect.bottom - m_initialWindowRect.top;
      return TRUE;
    }
    case WM_SYSCOMMAND:
      // Closing would not stop the work, only lose its outcome.
      if (Busy() && (wParam & 0xFFF0) == SC_CLOSE) return TRUE;
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        if (!Busy()) ShowAbout();
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      return OnPaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(m_icon);
    case WM_CLOSE:
      if (!Busy()) DestroyWindow(m_window);
      return TRUE;
    case WM_DESTROY:
      if (m_dropTarget != nullptr) m_dropTarget->Revoke();
      // The list would destroy its image list with itself; that one is the
      // shell's.
      ListView_SetImageList(m_list->Window(), nullptr, LVSIL_SMALL);
      PostQuitMessage(0);
      return TRUE;
    case WM_NCDESTROY:
      m_window = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

void MainDialog::OnInitDialog() {
  // The About item at the end of the system menu.
  if (const HMENU systemMenu = GetSystemMenu(m_window, FALSE)) {
    const std::wstring about = LoadResourceString(m_instance, IDS_ABOUTBOX);
    if (!about.empty()) {
      AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
  }
  SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
  SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
  SetWindowTextW(m_window, m_title.c_str());
  GetWindowRect(m_window, &m_initialWindowRect);

  RECT client;
  GetClientRect(m_window, &client);
  m_layout.Record(client.right, client.bottom, [this](int id) { return ControlRect(id); });

  const HWND list = GetDlgItem(m_window, IDC_FILE_LIST);
  m_list = std::make_unique<FileListView>(list);
  InsertColumns();

  m_dropTarget = new FileListDropTarget(list);
  m_dropTarget->Register();  // refused (no OLE): the list takes no drops

  if (SUCCEEDED(SHGetImageList(SHIL_SMALL, __uuidof(IImageList),
                               reinterpret_cast<void**>(&m_systemImageList)))) {
    // The interface doubles as the image list's handle.
    ListView_SetImageList(list, reinterpret_cast<HIMAGELIST>(m_systemImageList), LVSIL_SMALL);
  }
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

  m_dlg->UpdateControls();
  // Centred while still hidden; the template makes it visible afterwards.
  CenterWindow(m_window);
}

void MainDialog::InsertColumns() {
  // 120 horizontal dialog units: thirty times the width of four.
  RECT units{0, 0, 4, 8};
  MapDialogRect(m_window, &units);
  const int width = (units.right - units.left) * (kColumnWidthUnits / 4);
  const char16_t* const titles[] = {str::kColumnOldName, str::kColumnNewName, str::kColumnResult};
  for (int column = 0; column < 3; ++column) {
    std::wstring title = ToWide(titles[column]);
    LVCOLUMNW info{};
    info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    info.fmt = LVCFMT_LEFT;
    info.cx = width;
    info.pszText = title.data();
    info.iSubItem = column;
    ListView_InsertColumn(m_list->Window(), column, &info);
  }
  FitLastColumn();
}

void MainDialog::FitLastColumn() {
  RECT units{0, 0, kLastColumnMinimumUnits, 8};
  MapDialogRect(m_window, &units);
  m_list->FitLastColumn(units.right - units.left);
}

FocusArea MainDialog::FocusAreaOf(HWND window) const {
  if (window == GetDlgItem(m_window, IDC_NAME)) return FocusArea::kNameField;
  if (window == m_list->Window()) return FocusArea::kFileList;
  return FocusArea::kOther;
}

bool MainDialog::PreTranslateMessage(const MSG& message) {
  if (m_window == nullptr || (message.hwnd != m_window && !IsChild(m_window, message.hwnd))) {
    return false;
  }
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const auto key = static_cast<UINT>(message.wParam);
  const bool inList = message.hwnd == m_list->Window();
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  // The Menu key would also open the menu when it is let go.
  if (message.message == WM_KEYUP && key == VK_APPS && inList) return true;
  if (!keyDown) return false;
  switch (key) {
    case VK_ESCAPE:
      return true;  // the window does not close
    case VK_F5:
      m_dlg->RefreshList();
      return true;
    case VK_F1:
      ShowAbout();
      return true;
    case VK_RETURN:
      // A push button with the focus is pressed by Enter as usual.
      if (IsButton(message.hwnd)) return false;
      m_dlg->OnOK(FocusAreaOf(message.hwnd));
      return true;
    case VK_APPS:
      if (!inList) return false;
      ShowRowMenuAtCurrentRow();
      return true;
    case VK_F10:
      if (!inList || !shift) return false;
      ShowRowMenuAtCurrentRow();
      return true;
    case 'A':
      // Ctrl+A selects every row, as lists elsewhere on the desktop do.
      if (!inList || (GetKeyState(VK_CONTROL) & 0x8000) == 0) return false;
      ListView_SetItemState(m_list->Window(), -1, LVIS_SELECTED, LVIS_SELECTED);
      return true;
    default:
      return false;
  }
}

void MainDialog::OnCommand(int id, int code) {
  // Work that runs lets nothing else start meanwhile.
  if (Busy()) return;
  switch (id) {
    case IDC_RESET:
      if (code == BN_CLICKED) m_dlg->ResetList();
      return;
    case IDC_REFRESH:
      if (code == BN_CLICKED) m_dlg->RefreshList();
      return;
    case IDC_EXECUTE:
      if (code == BN_CLICKED) m_dlg->OnExecute();
      return;
    case IDC_GENERATE:
      if (code == BN_CLICKED) m_dlg->GenerateNames();
      return;
    case IDC_UNDO:
      if (code == BN_CLICKED) m_dlg->OnUndo();
      return;
    case IDC_NAME:
      if (code == EN_CHANGE) m_dlg->UpdateControls();
      return;
    case IDOK:
      // Enter where no control uses it itself.
      m_dlg->OnOK(FocusAreaOf(GetFocus()));
      return;
    case IDCANCEL:
      return;  // Esc never closes the window; the close box does
    default:
      break;
  }
  for (const menus::MenuItem& item : menus::kRowMenu) {
    if (item.command && static_cast<int>(*item.command) == id) {
      m_dlg->OnMenuCommand(*item.command);
      return;
    }
  }
}

LRESULT MainDialog::OnListNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW:
      m_list->FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(&header));
      return 0;
    case LVN_ODFINDITEMW:
      return -1;  // typing does not jump to a row
    case NM_RCLICK: {
      if (Busy()) return 0;
      POINT point = reinterpret_cast<NMITEMACTIVATE*>(&header)->ptAction;
      ClientToScreen(m_list->Window(), &point);
      ShowRowMenu(point);
      return 0;
    }
    case NM_DBLCLK:
      if (!Busy()) m_dlg->OpenSelectedFiles();
      return 0;
    case LVN_KEYDOWN:
      if (!Busy() && reinterpret_cast<NMLVKEYDOWN*>(&header)->wVKey == VK_DELETE) {
        m_dlg->DeleteSelectedRows();
      }
      return 0;
    default:
      return 0;
  }
}

std::optional<LayoutRect> MainDialog::ControlRect(int id) const {
  const HWND control = GetDlgItem(m_window, id);
  if (control == nullptr) return std::nullopt;
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
  return LayoutRect{rect.left, rect.top, rect.right, rect.bottom};
}

void MainDialog::OnSize(int width, int height) {
  const bool moved = m_layout.OnSize(
      width, height, [this](int id) { return ControlRect(id); },
      [this](int id, const LayoutRect& rect) {
        // While the window is minimised a stretched control's far edge lies
        // before its near edge; the window gets no size below zero, and
        // restoring computes every edge afresh from the recorded gaps.
        MoveWindow(GetDlgItem(m_window, id), rect.left, rect.top, std::max(0, rect.Width()),
                   std::max(0, rect.Height()), FALSE);
      });
  if (moved) {
    if (m_list) FitLastColumn();
    RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
}

bool MainDialog::OnPaintMinimised() {
  if (!IsIconic(m_window)) return false;
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(m_window, &paint);
  SendMessageW(m_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(m_window, &client);
  DrawIcon(dc, (client.right - iconWidth + 1) / 2, (client.bottom - iconHeight + 1) / 2, m_icon);
  EndPaint(m_window, &paint);
  return true;
}

void MainDialog::ShowAbout() {
  if (Busy()) return;
  RunAboutBox(m_instance, m_window,
              [this](std::u16string_view address) { OpenWithDefaultApplication(address); });
}

void MainDialog::ShowRowMenu(POINT screen) {
  const HMENU menu = LoadMenuW(m_instance, MAKEINTRESOURCEW(IDR_ROW_MENU));
  if (menu == nullptr) return;
  const HMENU popup = GetSubMenu(menu, 0);
  const bool clipboardHasText = HasClipboardText();
  const bool rowsSelected = m_list->HasSelection();
  for (const menus::MenuItem& item : menus::kRowMenu) {
    if (!item.command) continue;
    const bool enabled = m_dlg->IsMenuCommandEnabled(*item.command, clipboardHasText, rowsSelected);
    EnableMenuItem(popup, static_cast<UINT>(*item.command),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
  // The chosen command comes to the dialog as an ordinary command.
  TrackPopupMenu(popup, 0, screen.x, screen.y, 0, m_window, nullptr);
  DestroyMenu(menu);
}

void MainDialog::ShowRowMenuAtCurrentRow() {
  // Without a current row: the top of the rows, below the column headers.
  RECT header{};
  GetWindowRect(ListView_GetHeader(m_list->Window()), &header);
  POINT point{0, header.bottom - header.top};
  RECT row;
  const int current = m_list->CurrentRow();
  if (current >= 0 && ListView_GetItemRect(m_list->Window(), current, &row, LVIR_BOUNDS)) {
    point = {row.left, row.bottom};
  }
  ClientToScreen(m_list->Window(), &point);
  ShowRowMenu(point);
}

// --- DialogPort ---------------------------------------------------------------

void MainDialog::ShowMessage(std::u16string_view text) {
  MessageBoxW(m_window, ToWide(text).c_str(), m_title.c_str(), MB_OK | MB_ICONWARNING);
}

bool MainDialog::AskOkCancel(std::u16string_view text) {
  return MessageBoxW(m_window, ToWide(text).c_str(), m_title.c_str(),
                     MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON1) == IDOK;
}

DialogPort::RecoveryChoice MainDialog::AskRecovery(std::u16string_view text) {
  return RunRecoveryDialog(m_instance, m_window, FromWide(m_title), text);
}

void MainDialog::ShowRetryDialog(std::u16string_view message) {
  RunRetryDialog(m_instance, m_window, FromWide(m_title), message);
}

void MainDialog::SetDirectoryText(std::u16string_view text) {
  SetDlgItemTextW(m_window, IDC_DIRECTORY, ToWide(VisibleName(text)).c_str());
}

void MainDialog::SetRows(std::u16string_view directory, std::vector<std::u16string> names) {
  m_list->SetRows(directory, std::move(names));
}

void MainDialog::DeleteAllRows() {
  m_list->SetRows(u"", {});
}

void MainDialog::DeleteRow(int row) {
  m_list->RemoveRows({row});
}

void MainDialog::DeleteRows(const std::vector<int>& rows) {
  m_list->RemoveRows(rows);
}

void MainDialog::EnsureRowVisible(int row) {
  m_list->EnsureVisible(row);
}

void MainDialog::SetCellText(int row, int column, std::u16string_view text) {
  m_list->SetCell(row, column, text);
}

void MainDialog::SetColumnTexts(int column, std::vector<std::u16string> texts) {
  m_list->SetColumn(column, texts);
}

void MainDialog::SetColumnNames(int column, NamePool texts) {
  m_list->SetColumn(column, std::move(texts));
}

void MainDialog::ClearColumn(int column) {
  m_list->ClearColumn(column);
}

std::vector<int> MainDialog::SelectedRows() {
  return m_list->SelectedRows();
}

std::u16string MainDialog::NameFieldText() {
  return WindowText(GetDlgItem(m_window, IDC_NAME));
}

void MainDialog::SetControlEnabled(ControlId id, bool enabled) {
  const HWND control = GetDlgItem(m_window, static_cast<int>(id));
  if (control == nullptr) return;
  // A disabled control keeps no focus, and disabling it would leave the
  // focus nowhere: the keyboard moves on first to the next control that
  // takes it, as it would by Tab.
  if (!enabled && GetFocus() == control) SendMessageW(m_window, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enabled ? TRUE : FALSE);
}

void MainDialog::MoveFocusFromDisabled() {
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(m_window, focus) && !IsWindowEnabled(focus)) {
    SendMessageW(m_window, WM_NEXTDLGCTL, 0, FALSE);
  }
}

void MainDialog::SetAcceptDrops(bool accept) {
  m_acceptDrops = accept;
  if (m_dropTarget != nullptr && !Busy()) m_dropTarget->SetAcceptDrop(accept);
}

bool MainDialog::SetClipboardText(std::u16string_view text) {
  return SetClipboardUnicodeText(m_window, text);
}

std::optional<std::u16string> MainDialog::ClipboardText() {
  return ClipboardUnicodeText(m_window);
}

bool MainDialog::HasClipboardText() {
  return HasClipboardUnicodeText();
}

void MainDialog::OpenWithDefaultApplication(std::u16string_view pathOrAddress) {
  ShellExecuteW(nullptr, nullptr, ToWide(pathOrAddress).c_str(), nullptr, nullptr, SW_SHOW);
}

void MainDialog::BeginProgress(std::size_t total) {
  if (m_busyDepth++ == 0) {
    m_busySince = GetTickCount64();
    m_lastPump = m_busySince;
    // A drop arriving while the window pumps would start other work.
    if (m_dropTarget != nullptr) m_dropTarget->SetAcceptDrop(false);
  }
  m_progressTotal = total;
  m_progressDone = 0;
  if (m_progressShown) ShowProgressInCaption();
}

void MainDialog::SetProgress(std::size_t done) {
  m_progressDone = done;
  if (!Busy()) return;
  const ULONGLONG now = GetTickCount64();
  if (now - m_lastPump < kRepaintEveryMs) return;
  m_lastPump = now;
  if (m_progressShown || now - m_busySince >= kShowProgressAfterMs) ShowProgressInCaption();
  PumpWhileBusy();
}

void MainDialog::EndProgress() {
  if (m_busyDepth == 0 || --m_busyDepth > 0) return;
  if (m_dropTarget != nullptr) m_dropTarget->SetAcceptDrop(m_acceptDrops);
  if (m_progressShown) {
    m_progressShown = false;
    SetWindowTextW(m_window, m_title.c_str());
  }
}

void MainDialog::ShowProgressInCaption() {
  m_progressShown = true;
  const std::size_t done = std::min(m_progressDone, m_progressTotal);
  std::wstring caption = m_title + L" \u2014 " + ToWide(str::kProgressLabel) + L" " +
                         std::to_wstring(done) + L" / " + std::to_wstring(m_progressTotal) +
                         ToWide(str::kProgressFiles);
  SetWindowTextW(m_window, caption.c_str());
}

void MainDialog::PumpWhileBusy() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // For the message loop, once the work is done.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (IsUserInput(message.message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace quillon
