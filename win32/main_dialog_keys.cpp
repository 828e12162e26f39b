// The main window's keys and the list's menu: each key goes to the key map
// (window/key_map.h) before the dialog's own keyboard handling sees it, and
// the menu is built from the logic's enabling rules (window/row_menu.h).
#include <span>

#include "win32/dialog_boxes.h"
#include "win32/main_dialog.h"
#include "win32/resource.h"
#include "win32/win32_text.h"
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
    case VK_UP:
      return Key::kUp;
    case VK_DOWN:
      return Key::kDown;
    default:
      return Key::kUnmapped;
  }
}

bool IsDown(int virtualKey) {
  return (GetKeyState(virtualKey) & 0x8000) != 0;
}

// Appends the model's entries to a menu, a submenu as a popup of its own
// (destroyed with the menu).
void AppendEntries(HMENU menu, std::span<const RowMenuEntry> entries) {
  for (const RowMenuEntry& entry : entries) {
    if (entry.separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring text = ToWide(entry.text);
    UINT flags = MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED) |
                 (entry.checked ? MF_CHECKED : MF_UNCHECKED);
    UINT_PTR item = static_cast<UINT_PTR>(entry.id);
    if (entry.IsSubmenu()) {
      const HMENU submenu = CreatePopupMenu();
      if (submenu == nullptr) continue;
      AppendEntries(submenu, entry.submenu);
      flags |= MF_POPUP;
      item = reinterpret_cast<UINT_PTR>(submenu);
    }
    AppendMenuW(menu, flags, item, text.c_str());
  }
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
  // Alt let go after a key it held was taken here would put the window into
  // its menu mode, since the dialog never saw that key; the next arrow key
  // would then walk the system menu instead of the list.
  if (message.wParam == VK_MENU) {
    const bool up = message.message == WM_SYSKEYUP || message.message == WM_KEYUP;
    const bool freshPress = (message.message == WM_SYSKEYDOWN || message.message == WM_KEYDOWN) &&
                            (message.lParam & (1 << 30)) == 0;
    if (up && m_altKeyTaken) {
      m_altKeyTaken = false;
      return true;
    }
    // A release a message box's own loop took leaves nothing to drop.
    if (freshPress) m_altKeyTaken = false;
  }
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  const KeyPress press{KeyOf(message.wParam), KeyPlaceOf(message.hwnd), IsDown(VK_SHIFT),
                       IsDown(VK_CONTROL), IsDown(VK_MENU)};
  if (!RunKeyCommand(press, *m_dlg, *this)) return false;
  if (message.message == WM_SYSKEYDOWN) m_altKeyTaken = true;
  return true;
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
  const std::vector<RowMenuEntry> entries =
      RowMenu(*m_dlg, HasClipboardText(), m_list->HasSelection());
  // The resource's items are enabled as the logic says; the order submenu
  // after them is made from the model, with the texts of the string table.
  const std::span<const RowMenuEntry> ofResource(entries.data(), ROW_MENU_RESOURCE_ITEMS);
  for (const RowMenuEntry& entry : ofResource) {
    if (entry.separator) continue;
    EnableMenuItem(popup, static_cast<UINT>(entry.id),
                   MF_BYCOMMAND | (entry.enabled ? MF_ENABLED : MF_GRAYED));
  }
  AppendEntries(popup, std::span(entries).subspan(ROW_MENU_RESOURCE_ITEMS));
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
