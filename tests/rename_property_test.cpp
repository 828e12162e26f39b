// Random plans on real temporary directories: whatever the plan and whatever
// fails, every file ends up exactly where the engine records it, no file is
// lost or overwritten, and undo brings every name back.
//
// CI runs fixed seeds; QUILLON_PROPERTY_SEEDS=N runs N seeds of each kind.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <iostream>

#include "platform/posix/posix_file_system.h"
#include "tests/property_plan.h"
#include "tests/test_support.h"

namespace quillon::testing {
namespace {

// With `readOnly`, the directory turns read-only after a random number of
// changes of the run: every later rename, link and removal fails with EROFS,
// in the middle of whatever move is under way, until undo.
void RunSeeds(int seeds, int maxRows, PosixMoveOptions options, const char* label,
              bool caseTwins = false, bool readOnly = false,
              RandomPlan::Meanwhile meanwhile = RandomPlan::Meanwhile::kNothing) {
  PropertyStats stats;
  for (int seed = 1; seed <= seeds; ++seed) {
    bool faultOn = readOnly;
    int changesLeft = seed % (3 * maxRows);
    PosixFileSystem posix(options, [&](PosixCall call, const std::string&, const std::string&) {
      if (call == PosixCall::kStat || !faultOn) return 0;
      if (changesLeft == 0) return EROFS;
      --changesLeft;
      return 0;
    });
    TempDir dir;
    RandomPlan plan(static_cast<std::uint32_t>(seed), dir.Bytes(), maxRows, caseTwins);
    plan.SetMeanwhile(meanwhile);
    plan.Check(posix, &stats, readOnly ? std::function<void()>([&] { faultOn = false; }) : nullptr);
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << label << ": first failing seed " << seed;
      return;
    }
  }
  std::cout << label << ": " << stats.plans << " plans (seeds 1.." << seeds << "), " << stats.rows
            << " rows, " << stats.faultyPlans << " with injected faults, " << stats.failedRows
            << " rows failed, " << stats.parkedRows << " left parked, " << stats.leftBehind
            << " with a second entry left, " << stats.temporaryMoves
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

TEST(RenameProperty, UndoNeverActsOnADirectoryPutInTheExecutedOnesPlace) {
  RunSeeds(PropertySeeds(60), 12, {}, "directory replaced before undo", true, false,
           RandomPlan::Meanwhile::kReplaced);
}

TEST(RenameProperty, ADirectoryTurningReadOnlyMidRunLosesNothingAndSaysWhere) {
  for (const PosixMoveOptions options :
       {PosixMoveOptions{}, PosixMoveOptions{true, false}, PosixMoveOptions{true, true}})
    RunSeeds(PropertySeeds(60), 12, options, "read-only mid-run", true, true);
}

}  // namespace
}  // namespace quillon::testing
