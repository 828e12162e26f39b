#include "win32/command_line.h"

#include <windows.h>
// The headers below need <windows.h> first.
#include <shellapi.h>

#include <string_view>

#include "win32/win32_text.h"

namespace quillon {

namespace {

// Left as given where the system cannot make it absolute.
std::wstring FullPathOr(const std::wstring& path) {
  std::wstring full = FullPathName(path);
  return full.empty() ? path : full;
}

std::wstring FullPath(std::wstring_view argument) {
  const std::size_t separator = argument.find_last_of(L"\\/:");
  const std::wstring_view name =
      separator == std::wstring_view::npos ? argument : argument.substr(separator + 1);
  // A directory given with a trailing separator, "." or "..": resolved whole.
  if (name.empty() || name == L"." || name == L"..") return FullPathOr(std::wstring(argument));
  std::wstring directory = separator == std::wstring_view::npos
                               ? std::wstring(L".")
                               : std::wstring(argument.substr(0, separator + 1));
  // "C:" alone means the working directory of that drive.
  if (directory.back() == L':') directory += L'.';
  std::wstring full = FullPathOr(directory);
  if (full.back() != L'\\') full += L'\\';
  return full + std::wstring(name);
}

}  // namespace

std::vector<std::u16string> CommandLinePaths(const wchar_t* commandLine) {
  std::vector<std::u16string> paths;
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
  if (arguments == nullptr) return paths;
  for (int i = 1; i < count; ++i) {
    const std::wstring_view argument = arguments[i];
    if (!argument.empty()) paths.push_back(FromWide(FullPath(argument)));
  }
  LocalFree(arguments);
  return paths;
}

}  // namespace quillon
