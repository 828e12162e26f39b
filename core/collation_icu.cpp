// The collation on ICU: the collator of the locale the environment asks for.
#include "core/collation_icu.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>

#include <cstdlib>

#include "core/collation.h"

namespace quillon {
namespace {

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

struct NameCollator::Platform {
  UCollator* collator = nullptr;
};

NameCollator::NameCollator(std::unique_ptr<Platform> platform) : m_platform(std::move(platform)) {}

NameCollator::NameCollator(const std::string& locale) : m_platform(std::make_unique<Platform>()) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open(locale.c_str(), &status);
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
  m_platform->collator = collator;
}

NameCollator::~NameCollator() {
  if (m_platform->collator != nullptr) ucol_close(m_platform->collator);
}

const NameCollator& NameCollator::Default() {
  static const NameCollator collator(CollationLocaleFromEnvironment(
      std::getenv("LC_ALL"), std::getenv("LC_COLLATE"), std::getenv("LANG")));
  return collator;
}

void NameCollator::AppendCollationKey(std::u16string_view name, std::string* key) const {
  UCollator* const collator = m_platform->collator;
  if (collator == nullptr) return;
  // An ICU sort key has no zero byte inside and ends in one, so it is
  // self-delimiting.
  const auto* text = reinterpret_cast<const UChar*>(name.data());
  const auto length = static_cast<int32_t>(name.size());
  const std::size_t start = key->size();
  key->resize(start + 64);
  int32_t needed =
      ucol_getSortKey(collator, text, length, reinterpret_cast<uint8_t*>(key->data() + start), 64);
  if (needed > 64) {
    key->resize(start + static_cast<std::size_t>(needed));
    needed = ucol_getSortKey(collator, text, length,
                             reinterpret_cast<uint8_t*>(key->data() + start), needed);
  }
  key->resize(start + static_cast<std::size_t>(needed));
}

// Deliberately not u_strCaseCompare's folding: the units are upper-cased one
// by one, as Windows's ordinal comparison ignoring case does.
char16_t UpperCaseUnit(char16_t unit) {
  if (unit < 0x80) return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
  const UChar32 upper = u_toupper(unit);
  return upper > 0xFFFF ? unit : static_cast<char16_t>(upper);
}

}  // namespace quillon
