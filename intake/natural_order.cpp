#include "intake/natural_order.h"

#include <algorithm>
#include <numeric>

namespace quillon {
namespace {

int CompareDigitRuns(const NameToken& p, const NameToken& q) {
  if (p.significantDigits != q.significantDigits)
    return p.significantDigits < q.significantDigits ? -1 : 1;
  // Digit by digit from the left; never through a machine integer, so runs
  // of any length compare correctly.
  const auto pDigits = p.text.substr(p.leadingZeros);
  const auto qDigits = q.text.substr(q.leadingZeros);
  if (const int c = pDigits.compare(qDigits); c != 0) return c < 0 ? -1 : 1;
  if (p.leadingZeros != q.leadingZeros) return p.leadingZeros > q.leadingZeros ? -1 : 1;
  return 0;
}

void AppendBigEndian32(std::uint32_t v, std::string* key) {
  for (int shift = 24; shift >= 0; shift -= 8) key->push_back(static_cast<char>(v >> shift));
}

// Token tags: a digit run sorts before a text run at the same position, and
// the end of the name (0) before both, so that fewer tokens sort first.
constexpr char kEndTag = 0;
constexpr char kDigitTag = 1;
constexpr char kTextTag = 2;

}  // namespace

int CompareFileNames(const CFileNameX& x, const CFileNameX& y) {
  const std::vector<NameToken> xTokens = x.Tokens();
  const std::vector<NameToken> yTokens = y.Tokens();
  const std::size_t n = std::min(xTokens.size(), yTokens.size());
  for (std::size_t i = 0; i < n; ++i) {
    const NameToken& p = xTokens[i];
    const NameToken& q = yTokens[i];
    if (p.isNumber != q.isNumber) return p.isNumber ? -1 : 1;
    const int c = p.isNumber ? CompareDigitRuns(p, q) : CompareNames(p.text, q.text);
    if (c != 0) return c;
  }
  if (xTokens.size() == yTokens.size()) return 0;
  return xTokens.size() < yTokens.size() ? -1 : 1;
}

std::string FileNameKey(const CFileNameX& x, const NameCollator& collator) {
  std::string key;
  key.reserve(x.m_name.size() * 5 + 16);
  AppendFileNameKey(x, collator, &key);
  return key;
}

void AppendFileNameKey(const CFileNameX& x, const NameCollator& collator, std::string* out) {
  std::string& key = *out;
  for (const NameToken& token : x.Tokens()) {
    if (token.isNumber) {
      // Fixed-width fields keep the key prefix-free: count of significant
      // digits, the digits themselves, then fewer leading zeros sorting last.
      key.push_back(kDigitTag);
      AppendBigEndian32(static_cast<std::uint32_t>(token.significantDigits), &key);
      for (std::int32_t i = token.leadingZeros; i < token.length; ++i)
        key.push_back(static_cast<char>(token.text[i]));
      AppendBigEndian32(0xFFFFFFFFu - static_cast<std::uint32_t>(token.leadingZeros), &key);
    } else {
      key.push_back(kTextTag);
      collator.AppendKey(token.text, &key);
    }
  }
  key.push_back(kEndTag);
}

std::vector<std::size_t> NaturalOrder(const std::vector<std::shared_ptr<CFileNameX>>& files) {
  std::vector<std::string> keys;
  keys.reserve(files.size());
  for (const auto& file : files) keys.push_back(FileNameKey(*file));
  std::vector<std::size_t> permutation(files.size());
  std::iota(permutation.begin(), permutation.end(), std::size_t{0});
  std::stable_sort(permutation.begin(), permutation.end(), [&](std::size_t a, std::size_t b) {
    if (const int c = keys[a].compare(keys[b]); c != 0) return c < 0;
    return files[a]->m_name < files[b]->m_name;
  });
  return permutation;
}

}  // namespace quillon
