// What the main window shows and answers for the logic besides the rows:
// message boxes, the fields and the controls' state, and long work in the
// caption.
#include "core/visible_name.h"
#include "win32/dialog_boxes.h"
#include "win32/drop_target.h"
#include "win32/main_dialog.h"
#include "win32/recovery_dialog.h"
#include "win32/resource.h"
#include "win32/win32_text.h"

namespace quillon {

namespace {

// What a user can do to a window: none of it is taken while work runs.
// Painting, timers and the system's own messages still are.
bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
         message == WM_NCMOUSEHOVER || message == WM_NCMOUSELEAVE;
}

}  // namespace

void MainDialog::ShowMessage(std::u16string_view text) {
  MessageBoxW(m_window, ToWide(text).c_str(), m_title.c_str(), MB_OK | MB_ICONWARNING);
}

bool MainDialog::AskOkCancel(std::u16string_view text) {
  return MessageBoxW(m_window, ToWide(text).c_str(), m_title.c_str(),
                     MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON1) == IDOK;
}

MessagesPort::RecoveryChoice MainDialog::AskRecovery(std::u16string_view text) {
  return RunRecoveryDialog(m_instance, m_window, FromWide(m_title), text);
}

void MainDialog::ShowRetryDialog(std::u16string_view message) {
  RunRetryDialog(m_instance, m_window, FromWide(m_title), message);
}

void MainDialog::SetDirectoryText(std::u16string_view text) {
  SetDlgItemTextW(m_window, IDC_DIRECTORY, ToWide(VisibleName(text)).c_str());
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

void MainDialog::SetAcceptDrops(bool accept) {
  m_acceptDrops = accept;
  if (m_dropTarget != nullptr && !Busy()) m_dropTarget->SetAcceptDrop(accept);
}

void MainDialog::BusyStarted() {
  // A drop arriving while the window repaints would start other work.
  if (m_dropTarget != nullptr) m_dropTarget->SetAcceptDrop(false);
}

void MainDialog::ShowProgress(std::size_t done, std::size_t total) {
  const std::wstring caption = m_title + L" \u2014 " + ToWide(ProgressText(done, total, u" "));
  SetWindowTextW(m_window, caption.c_str());
}

void MainDialog::RepaintWhileBusy() {
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

void MainDialog::BusyEnded(bool progressShown) {
  if (m_dropTarget != nullptr) m_dropTarget->SetAcceptDrop(m_acceptDrops);
  if (progressShown) SetWindowTextW(m_window, m_title.c_str());
}

}  // namespace quillon
