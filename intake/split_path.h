#pragma once

#include <string>
#include <string_view>

namespace quillon {

struct PathParts {
  std::u16string directory;
  std::u16string name;
};

// Splits at the last '/': "/photos/a.jpg" gives "/photos" and "a.jpg";
// "/a.jpg" gives "/" and "a.jpg" (the root keeps its slash). A path without
// any '/' gives the directory "/" and the whole path as the name, so callers
// must hand over absolute paths only.
PathParts SplitPath(std::u16string_view path);

}  // namespace quillon
