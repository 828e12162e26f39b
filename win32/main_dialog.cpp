#include "win32/main_dialog.h"

#include <commoncontrols.h>
#include <shellapi.h>

#include <algorithm>

#include "resources/strings.h"
#include "win32/dialog_boxes.h"
#include "win32/drop_target.h"
#include "win32/resource.h"
#include "win32/win32_text.h"
#include "window/row_menu.h"
#include "window/window_constants.h"

namespace quillon {

namespace {

// Posted once the window is shown: the runs a crash cut short, then the
// command line's paths, as one drop.
constexpr UINT WM_ARGUMENTS_DROP = WM_APP + 1;
// Posted when the window is activated, to look at where the focus came back.
constexpr UINT WM_CHECK_FOCUS = WM_APP + 2;

}  // namespace

MainDialog::MainDialog(HINSTANCE instance, FileDateReader* dates)
    : WindowPort(m_clipboard, m_opener),
      m_instance(instance),
      m_title(LoadResourceString(instance, IDS_APP_TITLE)),
      m_dlg(std::make_unique<CQuillonDlg>(m_fileSystem, *this, &m_journals, dates)) {
  SetBusyView(this);
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

INT_PTR MainDialog::Handled(LRESULT result) {
  SetWindowLongPtrW(m_window, DWLP_MSGRESULT, result);
  return TRUE;
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
      return header.idFrom == IDC_FILE_LIST ? Handled(OnListNotify(header)) : FALSE;
    }
    case WM_CONTEXTMENU:
      return OnContextMenu(reinterpret_cast<HWND>(wParam), lParam) ? TRUE : FALSE;
    case WM_FILESDROPPED:
      OnFilesDropped();
      return Handled(0);
    case WM_ARGUMENTS_DROP:
      // A run a crash cut short is settled before any file is taken, so that
      // its files are where the user expects them.
      if (!Busy()) m_dlg->RecoverInterruptedRuns();
      OnArgumentsDrop();
      return TRUE;
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam) ? TRUE : FALSE;
    default:
      return HandleWindowMessage(message, wParam, lParam);
  }
}

INT_PTR MainDialog::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
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
    case WM_PAINT:
      return OnPaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(m_icon);
    case WM_CLOSE:
      if (!Busy()) DestroyWindow(m_window);
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
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
  m_clipboard.SetOwner(m_window);

  RECT client;
  GetClientRect(m_window, &client);
  m_layout.Record(client.right, client.bottom, [this](int id) { return ControlRect(id); });

  const HWND list = GetDlgItem(m_window, IDC_FILE_LIST);
  m_list = std::make_unique<FileListView>(list, Rows());
  SetRowsView(m_list.get());
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
  // The columns' width in dialog units, as whole multiples of the width of
  // four units.
  RECT units{0, 0, 4, 8};
  MapDialogRect(m_window, &units);
  const int width = (units.right - units.left) * (window::kColumnWidthUnits / 4);
  for (int column = 0; column < window::kColumnCount; ++column) {
    std::wstring title = ToWide(window::kColumnTitles[static_cast<std::size_t>(column)]);
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
  RECT units{0, 0, window::kLastColumnMinimumUnits, 8};
  MapDialogRect(m_window, &units);
  m_list->FitLastColumn(units.right - units.left);
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
      RunKeyCommand({Key::kEnter, KeyPlaceOf(GetFocus()), false, false, false}, *m_dlg, *this);
      return;
    case IDCANCEL:
      return;  // Esc never closes the window; the close box does
    default:
      // The list's menu: the chosen command comes as an ordinary command.
      if (const std::optional<MenuCommand> command = RowMenuCommandOf(id))
        m_dlg->OnMenuCommand(*command);
      return;
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
    default:
      return 0;
  }
}

void MainDialog::OnFilesDropped() {
  if (!Busy() && m_dropTarget != nullptr) m_dlg->OnFilesDropped(m_dropTarget->DropPaths());
}

void MainDialog::OnArgumentsDrop() {
  if (!Busy() && m_acceptDrops && !m_argumentPaths.empty()) {
    m_dlg->OnFilesDropped(std::move(m_argumentPaths));
  }
  m_argumentPaths = {};
}

bool MainDialog::OnSysCommand(WPARAM command) {
  // Closing would not stop the work, only lose its outcome.
  if (Busy() && (command & 0xFFF0) == SC_CLOSE) return true;
  if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
  ShowAbout();
  return true;
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
    FitLastColumn();
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

void MainDialog::OnDestroy() {
  if (m_dropTarget != nullptr) m_dropTarget->Revoke();
  // The list would destroy its image list with itself; that one is the
  // shell's.
  ListView_SetImageList(m_list->Window(), nullptr, LVSIL_SMALL);
  PostQuitMessage(0);
}

void MainDialog::MoveFocusFromDisabled() {
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(m_window, focus) && !IsWindowEnabled(focus)) {
    SendMessageW(m_window, WM_NEXTDLGCTL, 0, FALSE);
  }
}

}  // namespace quillon
