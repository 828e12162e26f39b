// The program's arguments: file paths, taken as one drop.
#pragma once

#include <string>
#include <vector>

namespace quillon {

// The full paths of the arguments of a command line (the program's own name,
// the first argument, left out; empty arguments skipped). The directory part
// of a relative path is resolved against the working directory; the last
// component is kept exactly as given, since resolving it would drop a
// trailing dot or space that is part of the file's name.
std::vector<std::u16string> CommandLinePaths(const wchar_t* commandLine);

}  // namespace quillon
