// What only the ICU build of the collation has: the locale the environment
// asks for.
#pragma once

#include <string>

namespace quillon {

// The ICU locale id for the collation the environment asks for: the first
// non-empty of LC_ALL, LC_COLLATE and LANG. A codeset (".UTF-8") is dropped,
// "@latin" / "@cyrillic" become a script, other modifiers are dropped; C,
// POSIX, C.<codeset> and nothing at all give the root locale ("").
std::string CollationLocaleFromEnvironment(const char* lcAll, const char* lcCollate,
                                           const char* lang);

}  // namespace quillon
