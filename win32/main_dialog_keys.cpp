// The main window's keys and the list's menu: each key goes to the key map
// (window/key_map.h) before the dialog's own keyboard handling sees it, and
// the menu is built from the logic's enabling rules (window/row_menu.h).
#include "win32/dialog_boxes.h"
#include "win32/main_dialog.h"
#include "win32/resource.h"
#include "window/row_menu.h"

namespace quillon {

namespace {

bool IsButton(HWND window) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  return lstrcmpiW(className, WC_BUTTONW) == 0;
}

// The keys the key map knows, as Windows names them.
Key KeyOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      return Key::kEnter;
    case VK_ESCAPE:
      return Key::kEscape;
    case VK_DELETE:
      return Key::kDelete;
    case VK_F1:
      return Key::kF1;
    case VK_F5:
      return Key::kF5;
    case VK_F10:
      return Key::kF10;
    case VK_APPS:
      return Key::kMenu;
    case 'A':
      return Key::kA;
    default:
      return Key::kUnmapped;
  }
}

bool IsDown(int virtualKey) {
  return (GetKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace

bool MainDialog::PreTranslateMessage(const MSG& message) {
  if (m_window == nullptr || (message.hwnd != m_window && !IsChild(m_window, message.hwnd))) {
    return false;
  }
  // The Menu key would also open the menu when it is let go.
  if (message.message == WM_KEYUP && message.wParam == VK_APPS &&
      message.hwnd == m_list->Window()) {
    return true;
  }
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  const KeyPress press{KeyOf(message.wParam), KeyPlaceOf(message.hwnd), IsDown(VK_SHIFT),
                       IsDown(VK_CONTROL), IsDown(VK_MENU)};
  return RunKeyCommand(press, *m_dlg, *this);
}

KeyPlace MainDialog::KeyPlaceOf(HWND window) const {
  if (window == GetDlgItem(m_window, IDC_NAME)) return KeyPlace::kNameField;
  if (window == m_list->Window()) return KeyPlace::kFileList;
  if (IsButton(window)) return KeyPlace::kButton;
  return KeyPlace::kOther;
}

bool MainDialog::OnContextMenu(HWND window, LPARAM point) {
  // From the keyboard (no point): below the current row. A right click has
  // already opened the menu through NM_RCLICK.
  if (window != m_list->Window() || point != -1 || Busy()) return false;
  ShowRowMenuAtCurrentRow();
  return true;
}

void MainDialog::ShowAbout() {
  if (Busy()) return;
  RunAboutBox(m_instance, m_window,
              [this](std::u16string_view address) { OpenWithDefaultApplication(address); });
}

void MainDialog::SelectAllRows() {
  m_list->SelectAll();
}

void MainDialog::ShowRowMenu(POINT screen) {
  const HMENU menu = LoadMenuW(m_instance, MAKEINTRESOURCEW(IDR_ROW_MENU));
  if (menu == nullptr) return;
  const HMENU popup = GetSubMenu(menu, 0);
  for (const RowMenuEntry& entry : RowMenu(*m_dlg, HasClipboardText(), m_list->HasSelection())) {
    if (entry.separator) continue;
    EnableMenuItem(popup, static_cast<UINT>(entry.id),
                   MF_BYCOMMAND | (entry.enabled ? MF_ENABLED : MF_GRAYED));
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

}  // namespace quillon
