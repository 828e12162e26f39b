// Sort keys must order and match names exactly as the comparison itself, and
// name numbers must match exactly as it does: the drop sorts by keys and the
// plan check and the engine count by numbers instead of calling the collator
// per comparison.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/collation.h"
#include "core/name_numbering.h"

namespace quillon {
namespace {

int Sign(int v) {
  return (v > 0) - (v < 0);
}

int KeyOrder(const std::string& a, const std::string& b) {
  return Sign(a.compare(b));
}

// Characters that stress the collation: both cases, digits of two widths,
// kana of both types and widths, kanji, full-width letters, precomposed and
// combining accents, characters outside the BMP, the bytes of undecodable
// names, and the punctuation of file names.
const std::vector<std::u16string>& Alphabet() {
  // U+DC80..U+DCFF are the undecodable bytes of names read from the disk.
  static const std::vector<std::u16string> alphabet = {
      u"a",
      u"A",
      u"b",
      u"B",
      u"z",
      u"Z",
      u"0",
      u"1",
      u"2",
      u"9",
      u"00",
      u"\uFF10",
      u"\uFF11",
      u"\uFF12",
      u"\u3042",
      u"\u30A2",
      u"\uFF71",
      u"\u304B",
      u"\u304C",
      u"\u30AB",
      u"\u5199",
      u"\u771F",
      u"\uFF21",
      u"\uFF41",
      u"\u00E9",
      u"\u00C9",
      u"e\u0301",
      u"E\u0301",
      u"\u0301",
      u"\u0308",
      u"\U00020BB7",
      u"\U0001F600",
      u"\U0001D400",
      std::u16string(1, char16_t{0xDC80}),
      std::u16string(1, char16_t{0xDCFF}),
      u".",
      u"_",
      u"\u00DF",
      u"SS",
      u"\u0131",
      u"I",
      u"i",
      u"\u0130",
      u"-",
      u" ",
      u"s",
      u"\u017F",
      u"\u00B5",
      u"\u03BC",
  };
  return alphabet;
}

std::u16string RandomName(std::mt19937& rng) {
  const auto& alphabet = Alphabet();
  std::uniform_int_distribution<int> length(0, 7);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::u16string name;
  for (int n = length(rng); n > 0; --n) name += alphabet[pick(rng)];
  return name;
}

// A near neighbour of a name, so that ties of the collation (case, width,
// leading zeros, canonical equivalents) come up often.
std::u16string Mutate(std::u16string name, std::mt19937& rng) {
  if (name.empty()) return name;
  std::uniform_int_distribution<std::size_t> at(0, name.size() - 1);
  const std::size_t i = at(rng);
  switch (std::uniform_int_distribution<int>(0, 5)(rng)) {
    case 0:  // toggle ASCII case
      if (name[i] >= u'a' && name[i] <= u'z')
        name[i] = static_cast<char16_t>(name[i] - 32);
      else if (name[i] >= u'A' && name[i] <= u'Z')
        name[i] = static_cast<char16_t>(name[i] + 32);
      break;
    case 1:
      name.insert(i, u"0");
      break;
    case 2:
      name.insert(i + 1, u"\u0301");
      break;
    case 3:
      name[i] = u'\u00C9';
      break;
    case 4:  // another letter with the same upper case: ı and I, ſ and s, µ and μ
      for (const auto& [from, to] : {std::pair{u'i', u'\u0131'}, std::pair{u'I', u'\u0131'},
                                     std::pair{u'\u0131', u'I'}, std::pair{u's', u'\u017F'},
                                     std::pair{u'\u017F', u'S'}, std::pair{u'\u00B5', u'\u03BC'}})
        if (name[i] == from) {
          name[i] = to;
          break;
        }
      break;
    default:
      name.erase(i, 1);
      break;
  }
  return name;
}

class NameKeyTest : public ::testing::TestWithParam<const char*> {};

TEST_P(NameKeyTest, KeysOrderAndMatchExactlyAsCompare) {
  const NameCollator collator(GetParam());
  std::mt19937 rng(20261208);
  int ties = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::u16string a = RandomName(rng);
    const std::u16string b = round % 2 == 0 ? Mutate(a, rng) : RandomName(rng);
    const int expected = collator.Compare(a, b);
    ASSERT_EQ(KeyOrder(collator.Key(a), collator.Key(b)), expected)
        << "round " << round << " sizes " << a.size() << "/" << b.size();
    ASSERT_EQ(collator.Compare(b, a), -expected) << "round " << round;
    if (expected == 0) ++ties;
  }
  // The mutations must actually have produced names that are the same name.
  EXPECT_GT(ties, 100);
}

TEST_P(NameKeyTest, SortingByKeysGivesCompareOrder) {
  const NameCollator collator(GetParam());
  std::mt19937 rng(7);
  std::vector<std::pair<std::string, std::u16string>> names;
  for (int i = 0; i < 3000; ++i) {
    std::u16string name = RandomName(rng);
    names.emplace_back(collator.Key(name), name);
    std::u16string near = Mutate(name, rng);
    names.emplace_back(collator.Key(near), near);
  }
  std::sort(names.begin(), names.end());
  for (std::size_t k = 1; k < names.size(); ++k) {
    const int c = collator.Compare(names[k - 1].second, names[k].second);
    ASSERT_LE(c, 0) << "position " << k;
    ASSERT_EQ(c == 0, names[k - 1].first == names[k].first) << "position " << k;
  }
}

TEST_P(NameKeyTest, SameNameMeansCaseOnly) {
  const NameCollator collator(GetParam());
  EXPECT_EQ(collator.Key(u"IMG1.JPG"), collator.Key(u"img1.jpg"));
  EXPECT_NE(collator.Key(u"a1.txt"), collator.Key(u"a01.txt"));
  EXPECT_NE(collator.Key(u"\u00E9"), collator.Key(u"e\u0301"));  // canonical twins differ
  EXPECT_NE(collator.Key(u"\uFF21"), collator.Key(u"A"));        // widths differ
  EXPECT_LT(collator.Key(u"file2.txt"), collator.Key(u"file10.txt"));
}

TEST_P(NameKeyTest, NonAsciiDigitRunIsOneNumberAlsoAfterACommonPrefix) {
  // ucol_strcoll of ICU 72 under ja reads the second U+0661 here as a number
  // of its own once the common prefix is skipped; the comparison follows the
  // sort key, which reads "11" as eleven, as for ASCII digits.
  const NameCollator collator(GetParam());
  for (const std::u16string& other :
       {std::u16string(u"\u0661A"), std::u16string(u"\u0661\u4818")}) {
    EXPECT_EQ(collator.Compare(u"\u0661\u0661", other), 1);
    EXPECT_EQ(collator.Compare(u"11", u"1" + other.substr(1)), 1);
    EXPECT_GT(collator.Key(u"\u0661\u0661"), collator.Key(other));
  }
}

TEST_P(NameKeyTest, NumbersMatchExactlyAsCompare) {
  const NameCollator collator(GetParam());
  std::mt19937 rng(11);
  std::vector<std::u16string> names;
  for (int i = 0; i < 1500; ++i) {
    names.push_back(RandomName(rng));
    names.push_back(Mutate(names.back(), rng));
  }
  NameNumbering numbering(
      [&](std::int32_t k) { return std::u16string_view(names[static_cast<std::size_t>(k)]); },
      collator);
  std::vector<std::int32_t> numbers;
  for (const auto& name : names) numbers.push_back(numbering.Add(name));

  std::uniform_int_distribution<std::size_t> pick(0, names.size() - 1);
  for (int round = 0; round < 20000; ++round) {
    // Every other pair is a name and its near neighbour.
    const std::size_t i = round % 2 == 0 ? pick(rng) & ~std::size_t{1} : pick(rng);
    const std::size_t j = round % 2 == 0 ? i + 1 : pick(rng);
    ASSERT_EQ(numbers[i] == numbers[j], collator.Compare(names[i], names[j]) == 0)
        << "names " << i << " and " << j;
  }
  // A name looked up finds the number of the first listed name it is the
  // same name as, and nothing where there is none.
  for (int round = 0; round < 300; ++round) {
    const std::u16string probe = round % 2 == 0 ? Mutate(names[pick(rng)], rng) : RandomName(rng);
    std::int32_t expected = -1;
    for (std::size_t k = 0; k < names.size() && expected < 0; ++k)
      if (collator.Compare(probe, names[k]) == 0) expected = numbers[k];
    ASSERT_EQ(numbering.Find(probe), expected) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, NameKeyTest, ::testing::Values("", "ja"), [](const auto& info) {
  return std::string(info.param).empty() ? std::string("root") : std::string(info.param);
});

}  // namespace
}  // namespace quillon
