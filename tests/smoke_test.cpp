#include <gtest/gtest.h>
#include "core/paths.h"
TEST(Paths, Join) { EXPECT_EQ(quillon::JoinPath(u"/", u"a"), u"/a"); }
