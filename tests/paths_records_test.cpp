#include <gtest/gtest.h>

#include "core/records.h"

namespace quillon {
namespace {

TEST(Records, ExtensionIsFromTheLastDot) {
  struct Case {
    std::u16string name, base, ext;
  } cases[] = {{u"archive.tar.gz", u"archive.tar", u".gz"},
               {u".profile", u"", u".profile"},
               {u"README", u"README", u""},
               {u"photo01.v2.jpg", u"photo01.v2", u".jpg"},
               {u"dots.", u"dots", u"."}};
  for (const Case& c : cases) {
    CFileNameX x(c.name);
    EXPECT_EQ(x.m_base, c.base);
    EXPECT_EQ(x.m_ext, c.ext);
  }
}

TEST(Records, TokensAreMaximalDigitAndTextRuns) {
  const CFileNameX file(u"photo01.v2.jpg");
  const auto x = file.Tokens();
  ASSERT_EQ(x.size(), 5u);
  const std::u16string texts[] = {u"photo", u"01", u".v", u"2", u".jpg"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(x[i].text, texts[i]);
    EXPECT_EQ(x[i].isNumber, i == 1 || i == 3);
  }
  EXPECT_EQ(x[1].leadingZeros, 1);
  EXPECT_EQ(x[1].significantDigits, 1);

  const CFileNameX zerosFile(u"IMG_0000");
  const auto zeros = zerosFile.Tokens();
  EXPECT_EQ(zeros[1].leadingZeros, 4);
  EXPECT_EQ(zeros[1].significantDigits, 0);

  const CFileNameX fullWidthFile(u"写真１２");  // full-width digits are text
  const auto fullWidth = fullWidthFile.Tokens();
  ASSERT_EQ(fullWidth.size(), 1u);
  EXPECT_FALSE(fullWidth[0].isNumber);
}

}  // namespace
}  // namespace quillon
