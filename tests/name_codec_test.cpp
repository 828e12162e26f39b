#include "core/name_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace quillon {
namespace {

TEST(NameCodec, ValidUtf8DecodesToItsCharacters) {
  EXPECT_EQ(DecodeName("trip_001.jpg"), u"trip_001.jpg");
  EXPECT_EQ(DecodeName("\xE5\x86\x99\xE7\x9C\x9F.jpg"), u"写真.jpg");
  EXPECT_EQ(DecodeName("\xF0\x9F\x98\x80"), u"\U0001F600");  // surrogate pair
  EXPECT_EQ(DecodeName("\xC3\xA9"), u"é");
}

TEST(NameCodec, EveryByteOfAnInvalidSequenceBecomesItsOwnEscape) {
  struct Case {
    std::string bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"\xFF", u"\xDCFF"},
      {"a\xC3(b", u"a\xDCC3(b"},                          // lead byte without continuation
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                      // overlong '/'
      {"\xE0\x80\xAF", u"\xDCE0\xDC80\xDCAF"},            // overlong, three bytes
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // above U+10FFFF
      {"\x80x", u"\xDC80x"},                              // stray continuation
      {"\xE5\x86", u"\xDCE5\xDC86"},                      // truncated at the end
      {"\xE5\x86\xE7\x9C\x9F", u"\xDCE5\xDC86真"},        // resumes at the next byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeName(c.bytes), c.expected) << c.bytes;
    const auto back = EncodeName(c.expected);
    ASSERT_TRUE(back.has_value()) << c.bytes;
    EXPECT_EQ(*back, c.bytes);
  }
}

TEST(NameCodec, TextThatCannotNameAFileIsRefused) {
  EXPECT_FALSE(EncodeName(u"a/b").has_value());
  EXPECT_TRUE(EncodePath(u"/a/b").has_value());
  EXPECT_FALSE(EncodeName(std::u16string(u"a\0b", 3)).has_value());
  EXPECT_FALSE(EncodeName(u"\xD800x").has_value());  // lone high surrogate
  EXPECT_FALSE(EncodeName(u"\xDC10").has_value());   // low surrogate that is no escape
  // Escapes that spell valid UTF-8 would come back from the disk as "é".
  EXPECT_FALSE(EncodeName(u"\xDCC3\xDCA9").has_value());
}

// Every sequence of up to three bytes from a set that covers each class of
// lead and continuation byte, plus random longer strings.
TEST(NameCodec, BytesRoundTripExactly) {
  // No NUL: a file name on disk never holds one.
  const unsigned char interesting[] = {0x01, 0x2F, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0,
                                       0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED,
                                       0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};
  std::vector<std::string> samples{""};
  for (int length = 1; length <= 3; ++length) {
    std::vector<std::string> next;
    for (const auto& s : samples)
      if (static_cast<int>(s.size()) == length - 1)
        for (unsigned char b : interesting) next.push_back(s + static_cast<char>(b));
    samples.insert(samples.end(), next.begin(), next.end());
  }
  std::mt19937 rng(20261208);
  for (int i = 0; i < 20000; ++i) {
    std::string s(rng() % 12, '\0');
    for (char& c : s) c = static_cast<char>(1 + rng() % 255);
    samples.push_back(s);
  }
  for (const auto& bytes : samples) {
    const std::u16string text = DecodeName(bytes);
    const auto back = EncodePath(text);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(*back, bytes);
    ASSERT_EQ(EncodedLength(text), bytes.size());
  }
}

}  // namespace
}  // namespace quillon
