// The clipboard's CF_UNICODETEXT, as the dialog port needs it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// Replaces the clipboard's content by the text; false when the clipboard
// could not be opened or did not take it.
bool SetClipboardUnicodeText(HWND owner, std::u16string_view text);
// The clipboard's text up to its first U+0000, or nullopt when it holds no
// text or cannot be opened.
std::optional<std::u16string> ClipboardUnicodeText(HWND owner);
bool HasClipboardUnicodeText();

}  // namespace quillon
