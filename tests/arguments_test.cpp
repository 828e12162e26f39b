#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "core/name_codec.h"
#include "shell/posix_arguments.h"
#include "test_support.h"

namespace quillon {
namespace {

TEST(Arguments, RelativePathsJoinTheWorkingDirectory) {
  const auto paths = ArgumentsToPaths({"a.jpg", "./sub/b.jpg", "/abs/c.jpg", ""}, "/home/u");
  EXPECT_EQ(paths,
            (std::vector<std::u16string>{u"/home/u/a.jpg", u"/home/u/sub/b.jpg", u"/abs/c.jpg"}));
}

TEST(Arguments, KeepsBytesThatAreNotUtf8AndDotDot) {
  const auto paths = ArgumentsToPaths({"x\xFF.txt", "../y.txt", "//abs//./z.txt"}, "/w\xE9");
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(EncodePath(paths[0]), "/w\xE9/x\xFF.txt");
  EXPECT_EQ(EncodePath(paths[1]), "/w\xE9/../y.txt");
  EXPECT_EQ(paths[2], u"/abs/z.txt");
}

TEST(Arguments, TheRootAndATrailingSlashStayRecognisable) {
  EXPECT_EQ(ArgumentsToPaths({"/"}, "/x"), (std::vector<std::u16string>{u"/"}));
  EXPECT_EQ(ArgumentsToPaths({"dir/"}, "/x"), (std::vector<std::u16string>{u"/x/dir/"}));
}

TEST(Arguments, DirectoryPartIsResolvedTheFileItselfIsNot) {
  testing::TempDir dir;
  dir.MakeDir("four");
  dir.MakeDir("other");
  dir.Write("four/a.txt");
  ASSERT_EQ(::symlink("four", dir.BytesOf("linked").c_str()), 0);
  ASSERT_EQ(::symlink("a.txt", dir.BytesOf("four/link").c_str()), 0);
  char* real = ::realpath(dir.Bytes().c_str(), nullptr);  // the temporary root may be a link
  ASSERT_NE(real, nullptr);
  const std::string four = std::string(real) + "/four/";
  std::free(real);
  const auto paths = ArgumentsToPaths(
      {"../four/a.txt", dir.BytesOf("four/b.txt"), "./../linked/link", "../four/x\xFF"},
      dir.BytesOf("other"));
  ASSERT_EQ(paths.size(), 4u);
  EXPECT_EQ(EncodePath(paths[0]), four + "a.txt");
  EXPECT_EQ(EncodePath(paths[1]), four + "b.txt");
  EXPECT_EQ(EncodePath(paths[2]), four + "link");  // the link, not its target
  EXPECT_EQ(EncodePath(paths[3]), four + "x\xFF");
  // No working directory: relative paths stay relative (a drop refuses
  // them), never resolved against the root.
  EXPECT_EQ(ArgumentsToPaths({"a.txt", "/abs/b.txt"}, ""),
            (std::vector<std::u16string>{u"a.txt", u"/abs/b.txt"}));
}

TEST(Arguments, OnlyALeadingVersionSwitchAsksForTheVersion) {
  const std::vector<std::pair<std::vector<std::string>, bool>> cases = {
      {{"--version"}, true},           {{"--version", "a.txt"}, true}, {{}, false},
      {{"a.txt", "--version"}, false}, {{"/home/u/--version"}, false}, {{"-version"}, false},
  };
  for (const auto& [arguments, asks] : cases) {
    EXPECT_EQ(AsksForVersion(arguments), asks) << (arguments.empty() ? "" : arguments.back());
  }
  EXPECT_EQ(VersionLine(), "quillon 1.0.0.1\n");
}

}  // namespace
}  // namespace quillon
