#include "names/generation.h"

#include <cstdint>

namespace quillon {
namespace {

bool IsHalfWidthDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// A decimal number of any length as its digits, least significant first.
// Never a machine integer: the typed width (leading zeros) survives and
// there is no upper bound.
class DigitSequence {
 public:
  explicit DigitSequence(std::u16string_view digits) {
    m_digits.reserve(digits.size() + 1);
    for (auto it = digits.rbegin(); it != digits.rend(); ++it)
      m_digits.push_back(static_cast<std::uint8_t>(*it - u'0'));
  }

  void AppendTo(std::u16string* text) const {
    for (auto it = m_digits.rbegin(); it != m_digits.rend(); ++it)
      text->push_back(static_cast<char16_t>(u'0' + *it));
  }

  // Adds one with decimal carry; the width grows only when every digit has
  // rolled over.
  void Increment() {
    for (auto& digit : m_digits) {
      if (++digit < 10) return;
      digit = 0;
    }
    m_digits.push_back(1);
  }

 private:
  std::vector<std::uint8_t> m_digits;
};

}  // namespace

std::optional<std::vector<std::u16string>> GenerateSequence(std::u16string_view typed,
                                                            std::size_t count) {
  std::size_t last = typed.size();
  while (last > 0 && !IsHalfWidthDigit(typed[last - 1])) --last;
  if (last == 0) return std::nullopt;
  std::size_t first = last - 1;
  while (first > 0 && IsHalfWidthDigit(typed[first - 1])) --first;
  const std::u16string_view prefix = typed.substr(0, first);
  const std::u16string_view suffix = typed.substr(last);
  DigitSequence number(typed.substr(first, last - first));

  std::vector<std::u16string> names;
  names.reserve(count);
  for (std::size_t row = 0; row < count; ++row) {
    std::u16string name(prefix);
    number.AppendTo(&name);
    name += suffix;
    names.push_back(std::move(name));
    number.Increment();
  }
  return names;
}

}  // namespace quillon
