// The program's arguments: file paths, taken as one drop.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Full paths of the argument bytes: a relative path is joined to the working
// directory `cwd` (bytes). The directory part of each path is resolved by
// the file system ("..", "." and symbolic links among the directories), the
// last component is kept as it is, so that a link stays itself and two paths
// to one directory agree. Where the directory cannot be resolved, "."
// components and repeated slashes are dropped and ".." is kept. With an
// empty `cwd` (unreadable) a relative argument stays relative, which a drop
// refuses. Each path is decoded as a file name, so bytes that are not UTF-8
// survive.
std::vector<std::u16string> ArgumentsToPaths(const std::vector<std::string>& arguments,
                                             std::string_view cwd);

// The program's one option: `--version` as the first argument asks for the
// version instead of a window.
bool AsksForVersion(const std::vector<std::string>& arguments);

// What `--version` prints: the program's name and version and a line break.
std::string VersionLine();

// The working directory's bytes; empty when it cannot be read.
std::string CurrentDirectoryBytes();

}  // namespace quillon
