#include "intake/split_path.h"

namespace quillon {
namespace {

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool IsDriveLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The length of the root a path starts with, its separator included, or 0:
// "C:\" (3), or "\\server\share\" up to and including the separator after
// the share. A share root needs both names; "\\server\" alone is none.
std::size_t RootLength(std::u16string_view path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == u':' && IsSeparator(path[2]))
    return 3;
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
  std::size_t at = 2;
  for (int part = 0; part < 2; ++part) {
    const std::size_t begin = at;
    while (at < path.size() && !IsSeparator(path[at])) ++at;
    if (at == begin || at == path.size()) return 0;
    ++at;  // the separator after the server, then the one after the share
  }
  return at;
}

}  // namespace

bool IsAbsolutePath(std::u16string_view path) {
  return RootLength(path) != 0;
}

PathParts SplitPath(std::u16string_view path) {
  const std::size_t root = RootLength(path);
  std::size_t last = path.size();
  while (last > 0 && !IsSeparator(path[last - 1])) --last;
  std::u16string name(path.substr(last));
  // Not at a root: the separator before the name is dropped, as the one
  // JoinPath puts back. At a root: it keeps its separator.
  std::u16string directory(
      path.substr(0, root == 0 || last > root ? (last == 0 ? 0 : last - 1) : root));
  // Spelled as Windows spells it, so that C:/photos/a.jpg and
  // C:\photos\b.jpg are files of one directory, and the field shows one form.
  for (char16_t& c : directory)
    if (c == u'/') c = u'\\';
  return {std::move(directory), std::move(name)};
}

}  // namespace quillon
