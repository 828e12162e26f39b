#include "intake/collation.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace quillon {
namespace {

// Step 4 of the comparison: code units upper-cased one by one (a unit whose
// upper case lies above U+FFFF stays as it is), compared as unsigned numbers.
// Deliberately not u_strCaseCompare, which folds instead of upper-casing.
char16_t UpperUnit(char16_t u) {
  const UChar32 upper = u_toupper(u);
  return upper > 0xFFFF ? u : static_cast<char16_t>(upper);
}

int CompareUpperUnits(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t ua = UpperUnit(a[i]);
    const char16_t ub = UpperUnit(b[i]);
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
    const unsigned v = UpperUnit(u);
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

std::string StripAfter(std::string s, char c) {
  const auto at = s.find(c);
  if (at != std::string::npos) s.erase(at);
  return s;
}

}  // namespace

std::string CollationLocaleFromEnvironment(const char* lcAll, const char* lcCollate,
                                           const char* lang) {
  const char* chosen = nullptr;
  for (const char* value : {lcAll, lcCollate, lang}) {
    if (value != nullptr && *value != '\0') {
      chosen = value;
      break;
    }
  }
  if (chosen == nullptr) return {};
  std::string name = chosen;
  std::string modifier;
  if (const auto at = name.find('@'); at != std::string::npos) {
    modifier = name.substr(at + 1);
    name.erase(at);
  }
  name = StripAfter(name, '.');
  if (name.empty() || name == "C" || name == "POSIX") return {};
  // language[_TERRITORY]; a script from the modifier goes between them.
  std::string script;
  if (modifier == "latin") script = "Latn";
  if (modifier == "cyrillic") script = "Cyrl";
  if (script.empty()) return name;
  const auto underscore = name.find('_');
  if (underscore == std::string::npos) return name + "_" + script;
  return name.substr(0, underscore) + "_" + script + name.substr(underscore);
}

NameCollator::NameCollator(const std::string& icuLocale) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open(icuLocale.c_str(), &status);
  if (U_FAILURE(status)) {
    if (collator != nullptr) ucol_close(collator);
    return;
  }
  ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
  ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
  ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
  if (U_FAILURE(status)) {
    ucol_close(collator);
    return;
  }
  m_collator = collator;
}

NameCollator::~NameCollator() {
  if (m_collator != nullptr) ucol_close(m_collator);
}

const NameCollator& NameCollator::Default() {
  static const NameCollator collator(CollationLocaleFromEnvironment(
      std::getenv("LC_ALL"), std::getenv("LC_COLLATE"), std::getenv("LANG")));
  return collator;
}

int NameCollator::Compare(std::u16string_view a, std::u16string_view b) const {
  if (m_collator != nullptr) {
    const UCollationResult r = ucol_strcoll(
        m_collator, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
        reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
    if (r == UCOL_LESS) return -1;
    if (r == UCOL_GREATER) return 1;
  }
  return CompareUpperUnits(a, b);
}

void NameCollator::AppendKey(std::u16string_view name, std::string* key) const {
  if (m_collator != nullptr) {
    // An ICU sort key has no zero byte inside and ends in one, so it is
    // self-delimiting and orders exactly as ucol_strcoll.
    const auto* text = reinterpret_cast<const UChar*>(name.data());
    const auto length = static_cast<int32_t>(name.size());
    const std::size_t start = key->size();
    key->resize(start + 64);
    int32_t needed = ucol_getSortKey(m_collator, text, length,
                                     reinterpret_cast<uint8_t*>(key->data() + start), 64);
    if (needed > 64) {
      key->resize(start + static_cast<std::size_t>(needed));
      needed = ucol_getSortKey(m_collator, text, length,
                               reinterpret_cast<uint8_t*>(key->data() + start), needed);
    }
    key->resize(start + static_cast<std::size_t>(needed));
  }
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
  for (char16_t& unit : upper) unit = UpperUnit(unit);
  return upper;
}

}  // namespace quillon
