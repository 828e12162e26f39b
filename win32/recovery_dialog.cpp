#include "win32/recovery_dialog.h"

#include <algorithm>
#include <string>

#include "platform/win32/win32_path.h"
#include "win32/dialog_boxes.h"
#include "win32/resource.h"

namespace quillon {
namespace {

struct RecoveryTexts {
  std::wstring caption;
  std::wstring message;
};

// A static control breaks lines at CR LF; the logic's texts end lines with
// LF alone.
std::wstring WithCrLf(std::u16string_view text) {
  std::wstring lines;
  for (const char16_t unit : text) {
    if (unit == u'\n') lines.push_back(L'\r');
    lines.push_back(static_cast<wchar_t>(unit));
  }
  return lines;
}

RECT ClientRectOf(HWND dialog, int id) {
  RECT rect;
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Makes the message as tall as its lines (a long directory path wraps), and
// moves the buttons and the box's bottom edge down by as much, while the box
// still fits the work area.
void FitMessage(HWND dialog) {
  const HWND message = GetDlgItem(dialog, IDC_RECOVERY_MESSAGE);
  const RECT shown = ClientRectOf(dialog, IDC_RECOVERY_MESSAGE);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(message)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(message, text.data(), static_cast<int>(text.size()))));
  RECT needed = shown;
  const HDC dc = GetDC(message);
  const HGDIOBJ font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(message, WM_GETFONT, 0, 0)));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  SelectObject(dc, font);
  ReleaseDC(message, dc);

  RECT window;
  GetWindowRect(dialog, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const int room = (monitor.rcWork.bottom - monitor.rcWork.top) - (window.bottom - window.top);
  const int grow = std::min<int>(needed.bottom - shown.bottom, room);
  if (grow <= 0) return;
  MoveWindow(message, shown.left, shown.top, shown.right - shown.left,
             shown.bottom - shown.top + grow, FALSE);
  for (const int id : {IDC_RECOVERY_FINISH, IDC_RECOVERY_RESTORE, IDCANCEL}) {
    const RECT button = ClientRectOf(dialog, id);
    MoveWindow(GetDlgItem(dialog, id), button.left, button.top + grow, button.right - button.left,
               button.bottom - button.top, FALSE);
  }
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + grow,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK RecoveryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const RecoveryTexts*>(lParam);
      SetWindowTextW(dialog, texts->caption.c_str());
      SetDlgItemTextW(dialog, IDC_RECOVERY_MESSAGE, texts->message.c_str());
      // The warning icon of the program's message boxes.
      SendDlgItemMessageW(dialog, IDC_RECOVERY_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
      FitMessage(dialog);
      CenterWindow(dialog);
      // The focus goes to the first button, the default.
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_RECOVERY_FINISH:
        case IDC_RECOVERY_RESTORE:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

MessagesPort::RecoveryChoice RunRecoveryDialog(HINSTANCE instance, HWND owner,
                                               std::u16string_view caption,
                                               std::u16string_view message) {
  const RecoveryTexts texts{ToWide(caption), WithCrLf(message)};
  switch (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_RECOVERY), owner, RecoveryProc,
                          reinterpret_cast<LPARAM>(&texts))) {
    case IDC_RECOVERY_FINISH:
      return MessagesPort::RecoveryChoice::kFinish;
    case IDC_RECOVERY_RESTORE:
      return MessagesPort::RecoveryChoice::kRestore;
    default:
      return MessagesPort::RecoveryChoice::kLater;
  }
}

}  // namespace quillon
