// The program's modal dialogs besides message boxes: the About box
// (template 100) and the retry dialog (template 137), and the centring that
// every dialog of the program gets when it opens.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace quillon {

// Centres the window over its owner when the owner is visible and not
// minimised, else in the work area of the monitor that holds it; where it
// would reach past an edge of that work area it is moved back inside, the
// left and top edges winning.
void CenterWindow(HWND window);

// Runs the About box over `owner` until OK, Esc or its close box ends it.
// `openAddress` opens the home page each time its button is pressed.
void RunAboutBox(HINSTANCE instance, HWND owner,
                 const std::function<void(std::u16string_view)>& openAddress);

// Runs the retry dialog showing the message, captioned `caption`, until its
// one button or its close box ends it.
void RunRetryDialog(HINSTANCE instance, HWND owner, std::u16string_view caption,
                    std::u16string_view message);

}  // namespace quillon
