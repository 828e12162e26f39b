// Paths in extended-length form and the names the port passes on.
#include "platform/win32/win32_path.h"

#include <gtest/gtest.h>

#include "tests/win32/win32_test_support.h"

namespace quillon::testing {
namespace {

TEST(Win32PathTest, ExtendedFormResolvesTheFolderAndKeepsTheLastNameExactly) {
  const struct {
    std::u16string path;
    std::wstring extended;
  } cases[] = {
      {u"C:\\dir\\name.jpg", L"\\\\?\\C:\\dir\\name.jpg"},
      {u"C:/dir/写真 𠮷.jpg", L"\\\\?\\C:\\dir\\写真 𠮷.jpg"},
      {u"C:\\dir\\..\\other\\.\\name.", L"\\\\?\\C:\\other\\name."},
      {u"C:\\dir\\name ", L"\\\\?\\C:\\dir\\name "},
      {u"C:\\dir\\CON", L"\\\\?\\C:\\dir\\CON"},
      {u"C:\\dir\\sub\\..", L"\\\\?\\C:\\dir"},
      {u"C:\\dir\\", L"\\\\?\\C:\\dir\\"},
      {u"C:\\", L"\\\\?\\C:\\"},
      {u"\\\\server\\share\\name.jpg", L"\\\\?\\UNC\\server\\share\\name.jpg"},
      {u"\\\\?\\C:\\dir\\..\\name", L"\\\\?\\C:\\dir\\..\\name"},
      {u"", L""},
      {std::u16string(u"C:\\dir\0name", 11), L""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToExtendedPath(c.path), c.extended) << Utf8(c.path);
}

TEST(Win32PathTest, OnlyPlainNamesAreEntriesOfTheDirectory) {
  for (const std::u16string_view name : {u"a.jpg", u"写真 𠮷.jpg", u".hidden", u"...", u"a*b"})
    EXPECT_TRUE(IsPlainEntryName(name)) << Utf8(name);
  for (const std::u16string_view name :
       {std::u16string_view(), std::u16string_view(u"."), std::u16string_view(u".."),
        std::u16string_view(u"a\\b"), std::u16string_view(u"a/b"), std::u16string_view(u"a:b"),
        std::u16string_view(u"a\0b", 3)})
    EXPECT_FALSE(IsPlainEntryName(name)) << Utf8(name);
}

}  // namespace
}  // namespace quillon::testing
