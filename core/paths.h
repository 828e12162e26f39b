// Forming paths and splitting names. Paths use the platform's separator:
// '/' on POSIX systems, '\' on Windows. The root of a file system ("/", or a
// drive "C:\" or a share "\\server\share\" on Windows) is the only directory
// string that ends in a separator.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// directory + separator + name, or directory + name when the directory
// already ends in a separator (only a root does). An empty directory gives
// the separator + name.
std::u16string JoinPath(std::u16string_view directory, std::u16string_view name);

struct SplitName {
  std::u16string base;       // everything before the last '.', or the whole name
  std::u16string extension;  // from the last '.' (included) to the end, or empty
};

// Splits at the last '.': "archive.tar.gz" -> "archive.tar" + ".gz",
// ".profile" -> "" + ".profile", "README" -> "README" + "".
SplitName SplitExtension(std::u16string_view name);

}  // namespace quillon
