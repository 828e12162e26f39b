// The ICU build's own part of the collation: which locale the environment
// asks for.
#include "core/collation_icu.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(CollationLocale, EnvironmentPicksTheFirstNonEmptyVariable) {
  EXPECT_EQ(CollationLocaleFromEnvironment("ja_JP.UTF-8", "de_DE", "fr_FR"), "ja_JP");
  EXPECT_EQ(CollationLocaleFromEnvironment("", "de_DE.UTF-8", "fr_FR"), "de_DE");
  EXPECT_EQ(CollationLocaleFromEnvironment(nullptr, nullptr, "sv_SE.ISO-8859-1"), "sv_SE");
  EXPECT_EQ(CollationLocaleFromEnvironment(nullptr, nullptr, "sr_RS@latin"), "sr_Latn_RS");
  EXPECT_EQ(CollationLocaleFromEnvironment(nullptr, nullptr, "sr_RS.UTF-8@cyrillic"), "sr_Cyrl_RS");
  EXPECT_EQ(CollationLocaleFromEnvironment(nullptr, nullptr, "de_DE@euro"), "de_DE");
  for (const char* root : {"C", "POSIX", "C.UTF-8", ""})
    EXPECT_EQ(CollationLocaleFromEnvironment(nullptr, nullptr, root), "") << root;
  EXPECT_EQ(CollationLocaleFromEnvironment(nullptr, nullptr, nullptr), "");
}

}  // namespace
}  // namespace quillon
