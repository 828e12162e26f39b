// The clipboard's CF_UNICODETEXT, as the dialog port needs it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "window/desktop.h"

namespace quillon {

// Replaces the clipboard's content by the text; false when the clipboard
// could not be opened or did not take it.
bool SetClipboardUnicodeText(HWND owner, std::u16string_view text);
// The clipboard's text up to its first U+0000, or nullopt when it holds no
// text or cannot be opened.
std::optional<std::u16string> ClipboardUnicodeText(HWND owner);
bool HasClipboardUnicodeText();

// The same as the window's clipboard.
class Win32Clipboard final : public Clipboard {
 public:
  // The window that owns what is put on the clipboard (nullptr: none yet).
  void SetOwner(HWND owner) { m_owner = owner; }
  bool SetText(std::u16string_view text) override { return SetClipboardUnicodeText(m_owner, text); }
  std::optional<std::u16string> Text() override { return ClipboardUnicodeText(m_owner); }
  bool HasText() override { return HasClipboardUnicodeText(); }

 private:
  HWND m_owner = nullptr;
};

}  // namespace quillon
