// The one comparison of names in the system. Two names are the same name
// exactly when CompareNames gives 0: equal under the user's collation with
// letter case ignored, and equal code unit by code unit after upper-casing.
//
// The collation is the platform's: ICU on Linux (core/collation_icu.cpp),
// CompareStringEx's tables through LCMapStringEx on Windows
// (core/collation_win32.cpp). CMake builds exactly one of them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quillon {

class NameCollator {
 public:
  // Collation of the given locale, case ignored, digits compared by value.
  // The id is the platform's: an ICU locale id on Linux ("" is the root
  // locale), a locale name on Windows ("" is the invariant locale). If the
  // platform cannot open it, every pair is ordered by the upper-cased code
  // units alone.
  explicit NameCollator(const std::string& locale);
  ~NameCollator();
  NameCollator(const NameCollator&) = delete;
  NameCollator& operator=(const NameCollator&) = delete;

  // The collator of the environment's locale on Linux, of the system's
  // default locale on Windows; made on first use.
  static const NameCollator& Default();

  // -1, 0 or +1: the order of the keys below, by construction.
  int Compare(std::u16string_view a, std::u16string_view b) const;

  // Appends a key whose bytewise order is Compare's order; two keys are equal
  // exactly when Compare gives 0. (The collation part is the platform's sort
  // key, which its own string comparison does not always agree with; Compare
  // follows the key.) The key is self-delimiting, so keys of several runs can
  // be concatenated. Compute keys once per call of an algorithm; never keep
  // them across runs (the locale's tables belong to the system).
  void AppendKey(std::u16string_view name, std::string* key) const;
  std::string Key(std::u16string_view name) const;

 private:
  struct Platform;
  explicit NameCollator(std::unique_ptr<Platform> platform);

  // The platform's sort key alone, without the upper-cased units; appends
  // nothing when no collation could be opened.
  void AppendCollationKey(std::u16string_view name, std::string* key) const;

  std::unique_ptr<Platform> m_platform;
};

// NameCollator::Default().Compare(a, b).
int CompareNames(std::u16string_view a, std::u16string_view b);

// One code unit upper-cased as the last step of the comparison does: the
// simple, context-free mapping the file system's own case-insensitive name
// comparison uses. A unit without such a mapping (a surrogate, or one whose
// upper case lies beyond a single unit) stays as it is.
char16_t UpperCaseUnit(char16_t unit);

// Each code unit upper-cased by UpperCaseUnit. Two names that compare equal
// have equal upper-cased forms, so this finds the candidates for "the same
// name" without a collator.
std::u16string UpperCaseUnits(std::u16string_view name);

}  // namespace quillon
