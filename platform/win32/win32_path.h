// Paths between the logic's UTF-16 strings and the wide-character API of
// Windows, in the form the file-system calls take beyond MAX_PATH.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The same code units, retyped: wchar_t is UTF-16 on Windows as char16_t is.
std::wstring ToWide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

// The path made absolute as the system makes it (relative parts, "." and
// "..", '/' as a separator), without any prefix; empty on failure.
std::wstring FullPathName(const std::wstring& path);

// The path in extended-length form ("\\?\C:\dir\name", "\\?\UNC\server\share\name"),
// which the file-system calls accept beyond MAX_PATH and pass on as it stands.
// Everything up to the last separator is first made absolute as the system
// would make it (relative parts, "." and "..", '/' as a separator); the last
// component is kept exactly, so a name ending in a dot or a space, or one
// that spells a device (CON, NUL), still means that entry of the directory.
// A path already in "\\?\" or "\\.\" form is returned unchanged. Empty when
// the path is empty, holds U+0000, or cannot be made absolute.
std::wstring ToExtendedPath(std::u16string_view path);

// True for a name the port may hand to the system as one entry of a
// directory: not empty, not "." or "..", and free of U+0000, of both
// separators and of ':' (which would address a stream of a file, or
// another drive, instead of a name in this directory).
bool IsPlainEntryName(std::u16string_view name);

// `directory` (extended form) joined with `name` by exactly one backslash.
std::wstring JoinExtended(std::wstring_view directory, std::u16string_view name);

}  // namespace quillon
