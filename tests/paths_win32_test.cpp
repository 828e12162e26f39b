// Paths on Windows: '\' separates and '/' is taken too; a drive root and a
// share root are the only directory strings that end in a separator.
#include <gtest/gtest.h>

#include <string>

#include "core/paths.h"
#include "intake/split_path.h"

namespace quillon {
namespace {

std::string Narrow(std::u16string_view text) {
  return std::string(text.begin(), text.end());
}

TEST(Paths, JoinSplitAndAbsoluteFollowDriveAndShareRoots) {
  struct Case {
    std::u16string_view path, directory, name;
    bool absolute;
    std::u16string_view joined;  // JoinPath(directory, name)
  } cases[] = {
      {u"C:\\a.txt", u"C:\\", u"a.txt", true, u"C:\\a.txt"},
      {u"C:\\photos\\2024\\a.jpg", u"C:\\photos\\2024", u"a.jpg", true, u"C:\\photos\\2024\\a.jpg"},
      {u"C:/photos/a.jpg", u"C:\\photos", u"a.jpg", true, u"C:\\photos\\a.jpg"},
      {u"C:\\photos/2024\\a.jpg", u"C:\\photos\\2024", u"a.jpg", true, u"C:\\photos\\2024\\a.jpg"},
      {u"d:/a.txt", u"d:\\", u"a.txt", true, u"d:\\a.txt"},
      {u"\\\\server\\share\\a.txt", u"\\\\server\\share\\", u"a.txt", true,
       u"\\\\server\\share\\a.txt"},
      {u"\\\\server\\share\\dir\\a.txt", u"\\\\server\\share\\dir", u"a.txt", true,
       u"\\\\server\\share\\dir\\a.txt"},
      {u"//server/share/a.txt", u"\\\\server\\share\\", u"a.txt", true,
       u"\\\\server\\share\\a.txt"},
      // Relative to a working directory or a current drive: not absolute.
      {u"C:a.txt", u"", u"C:a.txt", false, u"\\C:a.txt"},
      {u"\\a.txt", u"", u"a.txt", false, u"\\a.txt"},
      {u"dir\\a.txt", u"dir", u"a.txt", false, u"dir\\a.txt"},
      {u"\\\\server\\a.txt", u"\\\\server", u"a.txt", false, u"\\\\server\\a.txt"},
  };
  for (const Case& c : cases) {
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(IsAbsolutePath(c.path), c.absolute) << Narrow(c.path);
    if (c.absolute) {
      EXPECT_EQ(parts.directory, c.directory) << Narrow(c.path);
      EXPECT_EQ(parts.name, c.name) << Narrow(c.path);
    }
    EXPECT_EQ(JoinPath(c.directory, c.name), c.joined) << Narrow(c.path);
  }
  EXPECT_EQ(JoinPath(u"", u"a.txt"), u"\\a.txt");
}

}  // namespace
}  // namespace quillon
