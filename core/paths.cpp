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

SplitName SplitExtension(std::u16string_view name) {
  const std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) return {std::u16string(name), {}};
  return {std::u16string(name.substr(0, dot)), std::u16string(name.substr(dot))};
}

}  // namespace quillon
