#include "intake/uri_list.h"

#include <gtest/gtest.h>

#include "tests/fake_dialog.h"

namespace quillon {
namespace {

using testing::U;

TEST(UriList, FileUrisInTheSourcesOrder) {
  const auto paths = ParseFileUriList(
      "file:///home/a/b10.jpg\r\nfile:///home/a/b2.jpg\r\nfile:///home/a/a.jpg\r\n");
  EXPECT_EQ(paths,
            (std::vector<std::u16string>{u"/home/a/b10.jpg", u"/home/a/b2.jpg", u"/home/a/a.jpg"}));
}

TEST(UriList, PercentDecodesToTheExactBytes) {
  const auto paths = ParseFileUriList(
      "file:///tmp/%E5%86%99%E7%9C%9F%201.jpg\r\n"
      "file:///tmp/bad%FF%FEname.txt\r\n"
      "file:///tmp/100%25%23%3F.txt\r\n");
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0], U("/tmp/写真 1.jpg"));
  // Bytes that are not UTF-8 survive as the escapes of the name codec.
  EXPECT_EQ(paths[1], DecodeName("/tmp/bad\xFF\xFEname.txt"));
  EXPECT_EQ(EncodePath(paths[1]), "/tmp/bad\xFF\xFEname.txt");
  EXPECT_EQ(paths[2], u"/tmp/100%#?.txt");
}

TEST(UriList, SkipsCommentsOtherSchemesAndOtherHosts) {
  const auto paths = ParseFileUriList(
      "# a comment\r\n"
      "https://example.com/a.jpg\r\n"
      "trash:///b.jpg\r\n"
      "file://otherhost/c.jpg\r\n"
      "file://localhost/d.jpg\r\n"
      "FILE:///e.jpg\r\n"
      "file:/f.jpg\r\n"
      "file:relative.jpg\r\n"
      "\r\n");
  EXPECT_EQ(paths, (std::vector<std::u16string>{u"/d.jpg", u"/e.jpg", u"/f.jpg"}));
}

TEST(UriList, ToleratesBareLineFeedsAndAMissingLastBreak) {
  EXPECT_EQ(ParseFileUriList("file:///a\nfile:///b"), (std::vector<std::u16string>{u"/a", u"/b"}));
}

TEST(UriList, RefusesNulBytesAndKeepsStrayPercentSigns) {
  EXPECT_TRUE(ParseFileUriList("file:///a%00b\r\n").empty());
  EXPECT_EQ(ParseFileUriList("file:///50%.txt\r\nfile:///x%4\r\n"),
            (std::vector<std::u16string>{u"/50%.txt", u"/x%4"}));
}

TEST(UriList, QueryAndFragmentAreNotPartOfThePath) {
  EXPECT_EQ(ParseFileUriList("file:///a.txt?x=1\r\nfile:///b.txt#top\r\n"),
            (std::vector<std::u16string>{u"/a.txt", u"/b.txt"}));
}

}  // namespace
}  // namespace quillon
