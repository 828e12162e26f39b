// The part of the comparison every platform shares: the collation's key
// first, then the upper-cased code units for every pair the collation finds
// equal. The platform files supply the key and the upper-casing.
#include "core/collation.h"

#include <algorithm>

namespace quillon {
namespace {

int CompareUpperUnits(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t ua = UpperCaseUnit(a[i]);
    const char16_t ub = UpperCaseUnit(b[i]);
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// The upper-cased units, order-preserving and ended by a 0 byte. A unit
// below U+FE00 takes two bytes, its high byte plus one (1..0xFE) and its low
// byte; a higher one takes three, 0xFF first. Every unit therefore starts
// with a byte of at least 1, and since two keys agree on every unit before
// the first that differs, the end marker 0 sorts a shorter name first.
void AppendUpperUnits(std::u16string_view name, std::string* key) {
  for (char16_t u : name) {
    const unsigned v = UpperCaseUnit(u);
    if (v < 0xFE00) {
      key->push_back(static_cast<char>((v >> 8) + 1));
    } else {
      key->push_back(static_cast<char>(0xFF));
      key->push_back(static_cast<char>((v >> 8) - 0xFE));
    }
    key->push_back(static_cast<char>(v & 0xFF));
  }
  key->push_back('\0');
}

}  // namespace

int NameCollator::Compare(std::u16string_view a, std::u16string_view b) const {
  // Made from the sort keys, not with the platform's string comparison: ICU's
  // ucol_strcoll disagrees with its own keys in ICU 72 under a tailored
  // locale such as ja for non-ASCII digits (U+0661 U+0661 against U+0661 'A':
  // it skips the common prefix and then reads the second U+0661 as a number
  // of its own), and CompareStringEx is not documented to agree with
  // LCMapStringEx's keys in every case either. The key is what the plan
  // check, the engine and the list's order use, so every comparison of names
  // follows it.
  std::string keyA;
  std::string keyB;
  AppendCollationKey(a, &keyA);
  AppendCollationKey(b, &keyB);
  if (const int c = keyA.compare(keyB); c != 0) return c < 0 ? -1 : 1;
  return CompareUpperUnits(a, b);
}

void NameCollator::AppendKey(std::u16string_view name, std::string* key) const {
  AppendCollationKey(name, key);
  AppendUpperUnits(name, key);
}

std::string NameCollator::Key(std::u16string_view name) const {
  std::string key;
  AppendKey(name, &key);
  return key;
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
  return NameCollator::Default().Compare(a, b);
}

std::u16string UpperCaseUnits(std::u16string_view name) {
  std::u16string upper(name);
  for (char16_t& unit : upper) unit = UpperCaseUnit(unit);
  return upper;
}

}  // namespace quillon
