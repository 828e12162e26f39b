// Splitting a dropped file's full path into its directory and its name, in
// the platform's form of paths (see core/paths.h).
#pragma once

#include <string>
#include <string_view>

namespace quillon {

struct PathParts {
  std::u16string directory;
  std::u16string name;
};

// True for a path that names a file without reference to a working
// directory (or, on Windows, a current drive): "/a" on POSIX systems;
// "C:\a", "C:/a" and "\\server\share\a" on Windows.
bool IsAbsolutePath(std::u16string_view path);

// Splits at the last separator. POSIX: "/photos/a.jpg" gives "/photos" and
// "a.jpg"; "/a.jpg" gives "/" and "a.jpg" (the root keeps its slash).
// Windows ('/' is taken as a separator too): "C:\photos\a.jpg" gives
// "C:\photos" and "a.jpg"; "C:\a.jpg" gives "C:\" and "\\server\share\a.jpg"
// gives "\\server\share\" (a root keeps its backslash); the directory is
// always spelt with '\', whichever separator the path used. Callers must
// hand over absolute paths only; for any other the directory is meaningless.
PathParts SplitPath(std::u16string_view path);

}  // namespace quillon
