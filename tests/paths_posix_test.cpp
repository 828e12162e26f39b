// Paths on POSIX systems: '/' separates, and "/" is the only directory
// string that ends in it.
#include <gtest/gtest.h>

#include "core/paths.h"
#include "intake/split_path.h"

namespace quillon {
namespace {

TEST(Paths, JoinAndSplitTreatTheRootAsTheOnlyDirectoryWithATrailingSlash) {
  EXPECT_EQ(JoinPath(u"/", u"a.txt"), u"/a.txt");
  EXPECT_EQ(JoinPath(u"/home/dir", u"a.txt"), u"/home/dir/a.txt");
  EXPECT_EQ(JoinPath(u"", u"a.txt"), u"/a.txt");

  PathParts root = SplitPath(u"/a.txt");
  EXPECT_EQ(root.directory, u"/");
  EXPECT_EQ(root.name, u"a.txt");
  PathParts nested = SplitPath(u"/photos/2024/a.jpg");
  EXPECT_EQ(nested.directory, u"/photos/2024");
  EXPECT_EQ(nested.name, u"a.jpg");
  EXPECT_EQ(JoinPath(nested.directory, nested.name), u"/photos/2024/a.jpg");
}

TEST(Paths, OnlyPathsFromTheRootAreAbsolute) {
  EXPECT_TRUE(IsAbsolutePath(u"/a.txt"));
  for (std::u16string_view path : {u"", u"a.txt", u"./a.txt", u"C:\\a.txt"})
    EXPECT_FALSE(IsAbsolutePath(path)) << std::string(path.begin(), path.end());
}

}  // namespace
}  // namespace quillon
