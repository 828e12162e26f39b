// Forming paths and splitting names. Paths use '/'; the root directory "/" is
// the only directory string that ends in '/'.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// directory + '/' + name, or directory + name when the directory already ends
// in '/' (only "/" does). An empty directory gives "/" + name.
std::u16string JoinPath(std::u16string_view directory, std::u16string_view name);

struct SplitName {
  std::u16string base;       // everything before the last '.', or the whole name
  std::u16string extension;  // from the last '.' (included) to the end, or empty
};

// Splits at the last '.': "archive.tar.gz" -> "archive.tar" + ".gz",
// ".profile" -> "" + ".profile", "README" -> "README" + "".
SplitName SplitExtension(std::u16string_view name);

}  // namespace quillon
