// Texts of windows and of the program's string table, in the logic's UTF-16
// (ToWide and FromWide in platform/win32/win32_path.h convert the other way).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/win32_path.h"

namespace quillon {

// A window's text.
inline std::u16string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return FromWide(text);
}

// A string of the program's string table; empty when it is missing.
inline std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadStringW answers a pointer into the resource.
  const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace quillon
