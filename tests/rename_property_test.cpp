// Random plans on real temporary directories: whatever the plan and whatever
// fails, every file ends up exactly where the engine records it, no file is
// lost or overwritten, and undo brings every name back.
//
// CI runs fixed seeds; QUILLON_PROPERTY_SEEDS=N runs N seeds of each kind.
#include <gtest/gtest.h>

#include <iostream>

#include "shell/posix_file_system.h"
#include "tests/property_plan.h"
#include "tests/test_support.h"

namespace quillon::testing {
namespace {

void RunSeeds(int seeds, int maxRows, PosixMoveOptions options, const char* label,
              bool caseTwins = false) {
  PosixFileSystem posix(options);
  PropertyStats stats;
  for (int seed = 1; seed <= seeds; ++seed) {
    TempDir dir;
    RandomPlan plan(static_cast<std::uint32_t>(seed), dir.Bytes(), maxRows, caseTwins);
    plan.Check(posix, &stats);
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << label << ": first failing seed " << seed;
      return;
    }
  }
  std::cout << label << ": " << stats.plans << " plans (seeds 1.." << seeds << "), " << stats.rows
            << " rows, " << stats.faultyPlans << " with injected faults, " << stats.failedRows
            << " rows failed, " << stats.parkedRows << " left parked, " << stats.temporaryMoves
            << " moves to temporary names\n";
}

TEST(RenameProperty, SmallPlansNeverLoseOrOverwriteAFile) {
  RunSeeds(PropertySeeds(200), 12, {}, "small plans");
}

TEST(RenameProperty, LargerPlansNeverLoseOrOverwriteAFile) {
  RunSeeds(PropertySeeds(20), 150, {}, "larger plans");
}

TEST(RenameProperty, FilesNamedAlikeButForCaseAreNeverConfused) {
  RunSeeds(PropertySeeds(100), 12, {}, "plans with case twins", true);
}

TEST(RenameProperty, PlansHoldWithTheFallbackMoves) {
  RunSeeds(PropertySeeds(40), 20, {true, false}, "hard-link moves");
  RunSeeds(PropertySeeds(40), 20, {true, true}, "placeholder moves");
}

}  // namespace
}  // namespace quillon::testing
