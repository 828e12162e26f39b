#include "intake/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>

#include "core/collation.h"

namespace quillon {
namespace {

int Order(const std::u16string& a, const std::u16string& b) {
  return CompareFileNames(CFileNameX(a), CFileNameX(b));
}

TEST(CompareNames, SameNameMeansEqualIgnoringCaseOnly) {
  EXPECT_EQ(CompareNames(u"A.TXT", u"a.txt"), 0);
  EXPECT_NE(CompareNames(u"a1.txt", u"a01.txt"), 0);
  EXPECT_NE(CompareNames(u"é", u"e"), 0);
  EXPECT_NE(CompareNames(u"か", u"カ"), 0);  // kana type is not ignored
  EXPECT_NE(CompareNames(u"Ａ", u"A"), 0);   // nor width
  EXPECT_LT(CompareNames(u"file2", u"file10"), 0);
  EXPECT_EQ(CompareNames(u"/Photos", u"/photos"), 0);
  EXPECT_NE(CompareNames(u"/Photos", u"/Photos2"), 0);
}

TEST(CompareFileNames, DigitRunsCompareByValueThenByLeadingZeros) {
  EXPECT_LT(Order(u"file2.txt", u"file10.txt"), 0);
  EXPECT_LT(Order(u"file007.txt", u"file07.txt"), 0);
  EXPECT_LT(Order(u"file07.txt", u"file7.txt"), 0);
  EXPECT_LT(Order(u"00", u"0"), 0);
  EXPECT_LT(Order(u"1a.txt", u"a.txt"), 0);  // a digit run sorts before text
  EXPECT_LT(Order(u"abc", u"abc1"), 0);      // fewer runs first
  EXPECT_LT(Order(u"img1.jpg", u"img1.png"), 0);
  EXPECT_EQ(Order(u"IMG1.JPG", u"img1.jpg"), 0);
  const std::u16string forty(40, u'1'), thirtyNine(39, u'9');
  EXPECT_GT(Order(u"x" + forty, u"x" + thirtyNine), 0);  // never a machine integer
  EXPECT_LT(Order(u"x" + forty, u"x" + forty.substr(1) + u"2"), 0);
}

TEST(CompareFileNames, FullWidthDigitsAreText) {
  CFileNameX ten(u"写真１０"), two(u"写真２");
  EXPECT_EQ(CompareFileNames(ten, two), CompareNames(u"写真１０", u"写真２"));
}

// Sorting by keys must give exactly the order of the comparison, and equal
// keys exactly the names the comparison calls equal.
TEST(FileNameKey, OrdersExactlyAsCompareFileNames) {
  const std::u16string alphabet[] = {u"a",  u"A",  u"b",  u"B",  u"0", u"1",         u"2", u"9",
                                     u"00", u"_",  u".",  u"-",  u" ", u"é",         u"E", u"写",
                                     u"真", u"か", u"カ", u"１", u"ｶ", u"\U0001F600"};
  std::mt19937 rng(7);
  std::deque<CFileNameX> names;  // CFileNameX never moves
  for (int i = 0; i < 600; ++i) {
    std::u16string s;
    const int parts = 1 + static_cast<int>(rng() % 6);
    for (int p = 0; p < parts; ++p) s += alphabet[rng() % std::size(alphabet)];
    names.emplace_back(s);
  }
  std::vector<std::string> keys;
  for (const auto& n : names) keys.push_back(FileNameKey(n));
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = 0; j < names.size(); j += 7) {
      const int expected = CompareFileNames(names[i], names[j]);
      const int byKey = keys[i] < keys[j] ? -1 : (keys[j] < keys[i] ? 1 : 0);
      ASSERT_EQ(byKey, expected) << i << " " << j;
    }
  }
}

}  // namespace
}  // namespace quillon
