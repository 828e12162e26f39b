#include "platform/win32/win32_path.h"

#include <windows.h>

namespace quillon {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16 on Windows");

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

std::wstring WithPrefix(const std::wstring& full) {
  if (full.starts_with(kExtendedPrefix) || full.starts_with(kDevicePrefix)) return full;
  if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1]))
    return std::wstring(kUncPrefix) + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && IsSeparator(full[2]))
    return std::wstring(kExtendedPrefix) + full;
  return {};
}

}  // namespace

std::wstring FullPathName(const std::wstring& path) {
  DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  // The current directory can change between the two calls; try again with
  // the size asked for then.
  for (int attempt = 0; attempt < 3 && size != 0; ++attempt) {
    std::wstring full(size, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (written == 0) return {};
    if (written < size) {
      full.resize(written);
      return full;
    }
    size = written;
  }
  return {};
}

std::wstring ToWide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::u16string FromWide(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

bool IsPlainEntryName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  return name.find_first_of(std::u16string_view(u"\0\\/:", 4)) == std::u16string_view::npos;
}

std::wstring JoinExtended(std::wstring_view directory, std::u16string_view name) {
  std::wstring joined(directory);
  if (joined.empty() || joined.back() != L'\\') joined += L'\\';
  joined += ToWide(name);
  return joined;
}

std::wstring ToExtendedPath(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return {};
  const std::wstring wide = ToWide(path);
  if (wide.starts_with(kExtendedPrefix) || wide.starts_with(kDevicePrefix)) return wide;

  // Only the directory part goes through the system's normalisation, which
  // would also strip trailing dots and spaces from the last name and so
  // examine or move a different entry than the one named.
  const std::size_t separator = wide.find_last_of(L"\\/");
  const std::wstring tail = separator == std::wstring::npos ? wide : wide.substr(separator + 1);
  const bool keepTail =
      !tail.empty() && tail != L"." && tail != L".." && tail.find(L':') == std::wstring::npos;
  if (!keepTail) return WithPrefix(FullPathName(wide));

  const std::wstring head =
      separator == std::wstring::npos ? std::wstring(L".\\") : wide.substr(0, separator + 1);
  const std::wstring directory = WithPrefix(FullPathName(head));
  if (directory.empty()) return {};
  return JoinExtended(directory, FromWide(tail));
}

}  // namespace quillon
