#include "intake/split_path.h"

namespace quillon {

bool IsAbsolutePath(std::u16string_view path) {
  return !path.empty() && path.front() == u'/';
}

PathParts SplitPath(std::u16string_view path) {
  const std::size_t slash = path.rfind(u'/');
  if (slash == std::u16string_view::npos) return {u"/", std::u16string(path)};
  if (slash == 0) return {u"/", std::u16string(path.substr(1))};
  return {std::u16string(path.substr(0, slash)), std::u16string(path.substr(slash + 1))};
}

}  // namespace quillon
