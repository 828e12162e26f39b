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

// What the command line asks for. Every argument before a "--" that starts
// with "-" (other than "-" itself) is an option; the first one decides. The
// others are file paths, kept in their order.
struct CommandLine {
  enum class Action { kWindow, kVersion, kHelp, kRefuse };
  Action action = Action::kWindow;
  std::vector<std::string> files;  // kWindow: the file arguments
  std::string refusal;             // kRefuse: one line, ending in a line break
};
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What `--version` prints: the program's name and version and a line break.
std::string VersionLine();

// What `--help` prints: the usage in Japanese and in English.
std::string UsageText();

// The one line for file arguments that name nothing at all (no entry, or a
// path through something that is no directory), naming the first of them;
// empty when every argument names an entry. Entries that exist but cannot be
// read are left to the drop, which has a message for each kind.
std::string MissingFilesLine(const std::vector<std::string>& files);

// The one line printed when no display can be opened.
std::string NoDisplayLine();

// The working directory's bytes; empty when it cannot be read.
std::string CurrentDirectoryBytes();

}  // namespace quillon
