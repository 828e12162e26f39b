#include "win32/dialog_boxes.h"

#include <algorithm>

#include "resources/strings.h"
#include "win32/resource.h"
#include "win32/win32_text.h"

namespace quillon {

void CenterWindow(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const HWND owner = GetWindow(window, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : window, MONITOR_DEFAULTTOPRIMARY),
                  &monitor);
  const RECT area = monitor.rcWork;
  RECT over = area;
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &over);
  int left = over.left + (over.right - over.left - width) / 2;
  int top = over.top + (over.bottom - over.top - height) / 2;
  left = std::max<int>(area.left, std::min<int>(left, area.right - width));
  top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

using OpenAddress = std::function<void(std::u16string_view)>;

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      if (const HWND version = GetDlgItem(dialog, IDC_VERSION)) {
        const std::u16string text = std::u16string(str::kVersionPrefix) + str::kVersion;
        SetWindowTextW(version, ToWide(text).c_str());
      }
      CenterWindow(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case IDC_HOME_PAGE: {
          // The box stays open; whether a browser came up is not reported.
          const auto* open =
              reinterpret_cast<const OpenAddress*>(GetWindowLongPtrW(dialog, DWLP_USER));
          if (open != nullptr) (*open)(HomePageAddress());
          return TRUE;
        }
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

struct RetryTexts {
  std::wstring caption;
  std::wstring message;
};

INT_PTR CALLBACK RetryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const RetryTexts*>(lParam);
      SetWindowTextW(dialog, texts->caption.c_str());
      SetDlgItemTextW(dialog, IDC_RETRY_MESSAGE, texts->message.c_str());
      CenterWindow(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      // The one button carries the cancel id, as the close box does: both
      // end the dialog, and the move is tried again.
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunAboutBox(HINSTANCE instance, HWND owner, const OpenAddress& openAddress) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutProc,
                  reinterpret_cast<LPARAM>(&openAddress));
}

void RunRetryDialog(HINSTANCE instance, HWND owner, std::u16string_view caption,
                    std::u16string_view message) {
  const RetryTexts texts{ToWide(caption), ToWide(message)};
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_RETRY), owner, RetryProc,
                  reinterpret_cast<LPARAM>(&texts));
}

}  // namespace quillon
