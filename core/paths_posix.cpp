#include "core/paths.h"

namespace quillon {

std::u16string JoinPath(std::u16string_view directory, std::u16string_view name) {
  std::u16string path;
  path.reserve(directory.size() + 1 + name.size());
  path.append(directory);
  if (path.empty() || path.back() != u'/') path.push_back(u'/');
  path.append(name);
  return path;
}

}  // namespace quillon
