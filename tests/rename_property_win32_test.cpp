// The random plans of the POSIX runs, with the Windows port on a real folder
// of the Windows temporary directory: whatever the plan and whatever fails,
// every file ends up where the engine records it, none is lost or
// overwritten, and undo brings every name back.
#include <gtest/gtest.h>

#include <iostream>

#include "platform/win32/win32_file_system.h"
#include "tests/property_plan.h"
#include "tests/win32/win32_test_support.h"

namespace quillon::testing {
namespace {

void RunSeeds(int seeds, int maxRows, const char* label) {
  Win32FileSystem port;
  PropertyStats stats;
  for (int seed = 1; seed <= seeds; ++seed) {
    TempFolder folder;
    RandomPlan plan(static_cast<std::uint32_t>(seed), Utf8(folder.Path()), maxRows);
    plan.Check(port, &stats);
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << label << ": first failing seed " << seed;
      return;
    }
  }
  std::cout << label << ": " << stats.plans << " plans, " << stats.rows << " rows, "
            << stats.faultyPlans << " with injected faults, " << stats.temporaryMoves
            << " moves to temporary names\n";
}

// Names differing only in case are one name here, so no plan lists twins.
TEST(RenamePropertyWin32, PlansNeverLoseOrOverwriteAFile) {
  RunSeeds(PropertySeeds(60), 12, "small plans");
  RunSeeds(PropertySeeds(5), 100, "larger plans");
}

}  // namespace
}  // namespace quillon::testing
