// The question about a run a crash cut short (template 138): the message
// with a warning icon, and "最後まで実行", "元に戻す" and "後で".
#pragma once

#include <windows.h>

#include <string_view>

#include "dialog/dialog_port.h"

namespace quillon {

// Runs the question over `owner`, captioned `caption`, until one of its
// buttons ends it: Enter answers "最後まで実行", the default; Esc and the
// close box answer "後で", as does a question that could not be shown. The
// box grows downwards when the message needs more lines than it has.
MessagesPort::RecoveryChoice RunRecoveryDialog(HINSTANCE instance, HWND owner,
                                               std::u16string_view caption,
                                               std::u16string_view message);

}  // namespace quillon
