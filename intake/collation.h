// The one comparison of names in the system. Two names are the same name
// exactly when CompareNames gives 0: equal under the user's collation with
// letter case ignored, and equal code unit by code unit after upper-casing.
#pragma once

#include <string>
#include <string_view>

struct UCollator;

namespace quillon {

// The ICU locale id for the collation the environment asks for: the first
// non-empty of LC_ALL, LC_COLLATE and LANG. A codeset (".UTF-8") is dropped,
// "@latin" / "@cyrillic" become a script, other modifiers are dropped; C,
// POSIX, C.<codeset> and nothing at all give the root locale ("").
std::string CollationLocaleFromEnvironment(const char* lcAll, const char* lcCollate,
                                           const char* lang);

class NameCollator {
 public:
  // Collation of the given ICU locale id: secondary strength (case ignored),
  // digits compared by value, normalisation on. If ICU cannot open it, every
  // pair is ordered by the upper-cased code units alone.
  explicit NameCollator(const std::string& icuLocale);
  ~NameCollator();
  NameCollator(const NameCollator&) = delete;
  NameCollator& operator=(const NameCollator&) = delete;

  // The collator of the process's environment, made on first use.
  static const NameCollator& Default();

  // -1, 0 or +1.
  int Compare(std::u16string_view a, std::u16string_view b) const;

  // Appends a key whose bytewise order is Compare's order; two keys are equal
  // exactly when Compare gives 0. The key is self-delimiting, so keys of
  // several runs can be concatenated. Compute keys once per call of an
  // algorithm; never keep them across runs (the locale's tables belong to
  // the system).
  void AppendKey(std::u16string_view name, std::string* key) const;
  std::string Key(std::u16string_view name) const;

 private:
  UCollator* m_collator = nullptr;
};

// NameCollator::Default().Compare(a, b).
int CompareNames(std::u16string_view a, std::u16string_view b);

// Each code unit upper-cased as the last step of the comparison does. Two
// names that compare equal have equal upper-cased forms, so this finds the
// candidates for "the same name" without a collator.
std::u16string UpperCaseUnits(std::u16string_view name);

}  // namespace quillon
