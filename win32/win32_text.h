// The logic's UTF-16 text handed to the wide-character API and back: on
// Windows char16_t and wchar_t are the same code units.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quillon {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// A null-terminated copy for calls that take LPCWSTR.
inline std::wstring W(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string U16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// A window's text.
inline std::u16string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return U16(text);
}

// A string of the program's string table; empty when it is missing.
inline std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadStringW answers a pointer into the resource.
  const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace quillon
