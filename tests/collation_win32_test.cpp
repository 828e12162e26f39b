// The collation on Windows: LCMapStringEx's sort keys for the locale, then
// the units upper-cased as the file system does.
#include <gtest/gtest.h>

#include <string>

#include "core/collation.h"

namespace quillon {
namespace {

int Sign(int v) {
  return (v > 0) - (v < 0);
}

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "?";
  return out;
}

constexpr int kNotSame = 2;  // any order, but not the same name

struct Pair {
  std::u16string_view a, b;
  int expected;  // -1, 0, +1, or kNotSame
};

const Pair kPairs[] = {
    {u"file2.txt", u"file10.txt", -1},  // digit runs by value
    {u"File10.txt", u"file2.txt", +1},
    {u"img9", u"img10", -1},
    {u"IMG1.JPG", u"img1.jpg", 0},  // case ignored: the same name
    {u"\u00C9T\u00C9", u"\u00E9t\u00E9", 0},
    {u"\uFF21", u"\uFF41", 0},  // full-width letters have case too
    {u"a.txt", u"b.txt", -1},
    {u"abc", u"abc1", -1},
    {u"\u304B", u"\u30AB", kNotSame},   // kana type counts
    {u"\uFF21", u"A", kNotSame},        // and width
    {u"\u00E9", u"e", kNotSame},        // and accents
    {u"a1.txt", u"a01.txt", kNotSame},  // and leading zeros
    // The collation finds the two spellings of the accent equal; the
    // upper-cased units tell them apart ('A' before U+00C1).
    {u"a\u0301", u"\u00E1", -1},
};

TEST(CollationWin32, OrderAgreesWithKeysAndTiesFallToUpperCasedUnits) {
  for (const char* locale : {"", "ja-JP", "en-US"}) {
    const NameCollator collator(locale);
    for (const Pair& p : kPairs) {
      const std::string label = std::string(locale) + ": " + Narrow(p.a) + " / " + Narrow(p.b);
      const int order = collator.Compare(p.a, p.b);
      if (p.expected == kNotSame) {
        EXPECT_NE(order, 0) << label;
      } else {
        EXPECT_EQ(order, p.expected) << label;
      }
      EXPECT_EQ(collator.Compare(p.b, p.a), -order) << label;
      EXPECT_EQ(Sign(collator.Key(p.a).compare(collator.Key(p.b))), order) << label;
      // Being the same name requires equal upper-cased units.
      if (order == 0) {
        EXPECT_EQ(UpperCaseUnits(p.a), UpperCaseUnits(p.b)) << label;
      }
      // Keys delimit themselves: a pair of keys orders as the pair of names.
      for (const Pair& q : kPairs) {
        const int first = collator.Compare(p.a, q.a);
        const int pairOrder = first != 0 ? first : collator.Compare(p.b, q.b);
        const std::string keys = collator.Key(p.a) + collator.Key(p.b);
        EXPECT_EQ(Sign(keys.compare(collator.Key(q.a) + collator.Key(q.b))), pairOrder)
            << label << " against " << Narrow(q.a) << " / " << Narrow(q.b);
      }
    }
  }
}

TEST(CollationWin32, UpperCaseFollowsTheFileSystemNotTheUsersLanguage) {
  const struct {
    char16_t unit, upper;
  } cases[] = {{u'a', u'A'},
               {u'i', u'I'},  // never U+0130, whatever the language
               {u'Z', u'Z'},
               {u'1', u'1'},
               {u'\u00E9', u'\u00C9'},
               {u'\u03C3', u'\u03A3'},
               {u'\uFF41', u'\uFF21'},
               {u'\u00DF', u'\u00DF'},
               {char16_t{0xD800}, char16_t{0xD800}},
               {char16_t{0xDC80}, char16_t{0xDC80}}};
  for (const auto& c : cases) EXPECT_EQ(UpperCaseUnit(c.unit), c.upper) << int(c.unit);
  EXPECT_EQ(UpperCaseUnits(u"abc\u00E9"), u"ABC\u00C9");
}

}  // namespace
}  // namespace quillon
