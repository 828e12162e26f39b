// Runs cut short at every step, on a real directory with each way of
// moving, then recovered both ways: every file is found exactly once, under
// its planned name (finish) or its original one (restore), with its own
// content, and nothing of the run's own is left.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/quillon_dlg.h"
#include "memory_journal_store.h"
#include "shell/posix_file_system.h"
#include "shell/posix_journal_store.h"
#include "tests/property_plan.h"
#include "tests/test_support.h"

namespace quillon {
namespace {

using testing::FakeDialog;
using testing::TempDir;
using Choice = DialogPort::RecoveryChoice;

// Thrown from the system-call seam: the run stops there, as if killed.
struct Killed {};

struct Plan {
  std::vector<std::string> sources;
  std::vector<std::string> targets;
};

// Shifted series, swaps, cycles, case-only changes and moves to free names,
// a few rows each, so that every step of a plan can be cut.
Plan MakePlan(std::uint32_t seed) {
  std::mt19937 rng(seed);
  const int rows = 2 + static_cast<int>(rng() % 4);
  Plan plan;
  for (int i = 0; i < rows; ++i) plan.sources.push_back("f" + std::to_string(i) + ".jpg");
  switch (seed % 5) {
    case 0:  // the series shifted up by one
      for (int i = 0; i < rows; ++i) plan.targets.push_back("f" + std::to_string(i + 1) + ".jpg");
      break;
    case 1:  // shifted down: the first name is free
      for (int i = 0; i < rows; ++i) plan.targets.push_back("f" + std::to_string(i - 1) + ".jpg");
      break;
    case 2:  // a permutation: cycles
      plan.targets = plan.sources;
      std::shuffle(plan.targets.begin(), plan.targets.end(), rng);
      break;
    case 3:  // case only, beside a swap
      plan.targets = plan.sources;
      plan.targets[0] = "F0.JPG";
      std::swap(plan.targets[1], plan.targets[rows - 1]);
      if (rows == 2) plan.targets[1] = "f1.JPG";
      break;
    default: {  // into free names and the names freed
      std::vector<std::string> pool;
      for (int i = 0; i < rows + 3; ++i) pool.push_back("f" + std::to_string(i) + ".jpg");
      std::shuffle(pool.begin(), pool.end(), rng);
      plan.targets.assign(pool.begin(), pool.begin() + rows);
      break;
    }
  }
  return plan;
}

std::vector<std::u16string> Decoded(const std::vector<std::string>& names) {
  std::vector<std::u16string> decoded;
  for (const auto& name : names) decoded.push_back(DecodeName(name));
  return decoded;
}

// Runs the plan in `dir`; the seam may stop it.
void RunPlan(const TempDir& dir, const Plan& plan, FileSystem& fs, JournalStore& store) {
  FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog, &store);
  dlg.m_directory = dir.Path();
  for (const auto& name : plan.sources)
    dlg.m_files.push_back(std::make_shared<CFileNameX>(DecodeName(name)));
  dialog.SetRows(dlg.m_directory, Decoded(plan.sources));
  dlg.RunRenames(Decoded(plan.sources), Decoded(plan.targets), &dlg.m_currentNames);
}

// Recovers the journal the cut left, and checks the directory.
void RecoverAndCheck(const TempDir& dir, const Plan& plan, PosixMoveOptions options,
                     JournalStore& store, Choice choice, const std::string& what) {
  PosixFileSystem fs(options);
  FakeDialog dialog;
  dialog.recoveryAnswer = choice;
  CQuillonDlg dlg(fs, dialog, &store);
  dlg.RecoverInterruptedRuns();
  EXPECT_TRUE(store.ClaimAbandoned().empty()) << what;
  EXPECT_TRUE(dialog.questions.empty()) << what << " " << EncodeName(dialog.questions[0]).value();
  const auto& wanted = choice == Choice::kFinish ? plan.targets : plan.sources;
  std::vector<std::string> expected(wanted);
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(dir.Entries(), expected) << what;
  for (std::size_t row = 0; row < wanted.size(); ++row)
    EXPECT_EQ(dir.Read(wanted[row]), plan.sources[row]) << what << " row " << row;
}

struct Way {
  const char* name;
  PosixMoveOptions options;
};
const Way kWays[] = {
    {"no-replace rename", {}},
    {"link, then unlink", {true, false}},
    {"over a placeholder", {true, true}},
};

TEST(CrashPosixTest, ARunCutAfterAnyStepIsFinishedOrRestored) {
  const int seeds = testing::PropertySeeds(10);
  int cuts = 0;
  for (const Way& way : kWays) {
    for (int seed = 0; seed < seeds; ++seed) {
      const Plan plan = MakePlan(static_cast<std::uint32_t>(seed));
      for (int cutAt = 0;; ++cutAt) {
        bool cut = false;
        for (const Choice choice : {Choice::kFinish, Choice::kRestore}) {
          TempDir dir;
          for (const auto& name : plan.sources) dir.Write(name);
          test::MemoryJournalStore store;
          int calls = 0;
          PosixFileSystem fs(way.options, [&](PosixCall, const std::string&, const std::string&) {
            if (calls++ == cutAt) throw Killed{};
            return 0;
          });
          try {
            RunPlan(dir, plan, fs, store);
          } catch (const Killed&) {
            cut = true;
          }
          if (!cut) break;
          const std::string what = std::string(way.name) + " seed " + std::to_string(seed) +
                                   " cut at " + std::to_string(cutAt);
          RecoverAndCheck(dir, plan, way.options, store, choice, what);
          EXPECT_EQ(store.Count(), 0u) << what;
        }
        if (!cut) break;
        ++cuts;
      }
    }
  }
  EXPECT_GT(cuts, seeds * 3);
}

TEST(CrashPosixTest, AProcessKilledInTheMiddleOfARunIsRecoveredAtTheNextStart) {
  // A real SIGKILL of a child running the plan, at a random system call:
  // the journal on disk is all the next process has.
  const int runs = testing::PropertySeeds(10) * 20;
  std::mt19937 rng(20261208);
  int killed = 0;
  for (int run = 0; run < runs; ++run) {
    const Way& way = kWays[run % 3];
    const Plan plan = MakePlan(rng());
    TempDir dir;
    TempDir state;
    for (const auto& name : plan.sources) dir.Write(name);
    const int cutAt = static_cast<int>(rng() % 24);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      PosixJournalStore store(state.Bytes() + "/quillon");
      int calls = 0;
      PosixFileSystem fs(way.options, [&](PosixCall, const std::string&, const std::string&) {
        if (calls++ == cutAt) ::kill(::getpid(), SIGKILL);
        return 0;
      });
      RunPlan(dir, plan, fs, store);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const bool wasKilled = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    killed += wasKilled;
    PosixJournalStore store(state.Bytes() + "/quillon");
    const Choice choice = run % 2 == 0 ? Choice::kFinish : Choice::kRestore;
    RecoverAndCheck(dir, plan, way.options, store, wasKilled ? choice : Choice::kFinish,
                    std::string(way.name) + " run " + std::to_string(run));
    // Nothing of Quillon's remains in the state directory.
    EXPECT_TRUE(std::filesystem::is_empty(state.Bytes() + "/quillon")) << run;
  }
  EXPECT_GT(killed, runs / 3);
}

}  // namespace
}  // namespace quillon
