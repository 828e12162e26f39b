#include "core/records.h"

#include "core/paths.h"

namespace quillon {
namespace {

bool IsAsciiDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

}  // namespace

std::vector<NameToken> TokenizeName(std::u16string_view name) {
  // Counted first so that a hundred thousand rows hold no spare capacity.
  std::size_t runs = name.empty() ? 0 : 1;
  for (std::size_t k = 1; k < name.size(); ++k)
    if (IsAsciiDigit(name[k]) != IsAsciiDigit(name[k - 1])) ++runs;
  std::vector<NameToken> tokens;
  tokens.reserve(runs);
  std::size_t i = 0;
  while (i < name.size()) {
    const bool digits = IsAsciiDigit(name[i]);
    std::size_t end = i + 1;
    while (end < name.size() && IsAsciiDigit(name[end]) == digits) ++end;
    NameToken token;
    token.isNumber = digits;
    token.text = name.substr(i, end - i);
    token.length = static_cast<std::int32_t>(end - i);
    if (digits) {
      std::int32_t zeros = 0;
      while (zeros < token.length && token.text[zeros] == u'0') ++zeros;
      token.leadingZeros = zeros;
      token.significantDigits = token.length - zeros;
    }
    tokens.push_back(token);
    i = end;
  }
  return tokens;
}

CFileNameX::CFileNameX(std::u16string name) : m_name(std::move(name)) {
  const std::size_t base = SplitExtension(m_name).base.size();
  m_base = std::u16string_view(m_name).substr(0, base);
  m_ext = std::u16string_view(m_name).substr(base);
}

std::vector<NameToken> CFileNameX::Tokens() const {
  return TokenizeName(m_name);
}

}  // namespace quillon
