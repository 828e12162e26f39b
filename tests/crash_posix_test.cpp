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

#include "dialog/quillon_dlg.h"
#include "memory_journal_store.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_journal_store.h"
#include "tests/crash_plans.h"
#include "tests/mount_fixtures.h"
#include "tests/test_support.h"

namespace quillon {
namespace {

using testing::FakeDialog;
using testing::MakePlan;
using testing::Plan;
using testing::TempDir;
using Choice = MessagesPort::RecoveryChoice;

// Thrown from the system-call seam: the run stops there, as if killed.
struct Killed {};

// Runs the plan in `dir`; the seam may stop it.
void RunPlan(const TempDir& dir, const Plan& plan, FileSystem& fs, JournalStore& store) {
  testing::RunPlanIn(fs, store, dir.Path(), plan);
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
  EXPECT_TRUE(dialog.questions.empty()) << what;
  const auto& wanted = choice == Choice::kFinish ? plan.targets : plan.sources;
  std::vector<std::string> expected(wanted);
  expected.insert(expected.end(), plan.unlisted.begin(), plan.unlisted.end());
  std::sort(expected.begin(), expected.end());
  for (const auto& name : plan.unlisted) EXPECT_EQ(dir.Read(name), name) << what;
  std::string shown;
  shown += std::to_string(dialog.recoveryQuestions.size()) + " question(s)\n";
  for (const auto& row : dialog.rows)
    shown += EncodeName(row.cells[0]).value_or("?") + " | " +
             EncodeName(row.cells[2]).value_or("?") + "\n";
  ASSERT_EQ(dir.Entries(), expected) << what << "\n" << shown;
  for (std::size_t row = 0; row < wanted.size(); ++row)
    EXPECT_EQ(dir.Read(wanted[row]), plan.sources[row]) << what << " row " << row;
}

// tmpfs where the machine has it: the runs end with syncs, which a disk
// would make slow, and the cuts, not the disk, are what is tested.
std::filesystem::path Scratch() {
  std::error_code ec;
  return std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
             ? std::filesystem::path("/dev/shm")
             : std::filesystem::temp_directory_path();
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

// Cuts each plan after every system call of its run in turn and recovers
// both ways; returns how many cuts were made.
int CutAtEveryStep(const Way& way, int seeds, const std::filesystem::path& parent) {
  int cuts = 0;
  for (int seed = 0; seed < seeds; ++seed) {
    const Plan plan = MakePlan(static_cast<std::uint32_t>(seed));
    for (int cutAt = 0;; ++cutAt) {
      bool cut = false;
      for (const Choice choice : {Choice::kFinish, Choice::kRestore}) {
        TempDir dir(parent);
        for (const auto& name : plan.sources) dir.Write(name);
        for (const auto& name : plan.unlisted) dir.Write(name);
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
  return cuts;
}

TEST(CrashPosixTest, ARunCutAfterAnyStepIsFinishedOrRestored) {
  const int seeds = testing::PropertySeeds(20);
  for (const Way& way : kWays) EXPECT_GT(CutAtEveryStep(way, seeds, Scratch()), seeds) << way.name;
}

TEST(CrashPosixTest, OnExfatARunCutAfterAnyStepIsFinishedOrRestored) {
  // exfat-fuse ignores case, has no hard links and is not trusted with
  // RENAME_NOREPLACE: every move reserves its name, and a change of case
  // goes through an intermediate name.
  testing::Mount mount(testing::Mount::Kind::kExfat);
  if (!mount.Usable()) GTEST_SKIP() << mount.Problem();
  const int seeds = testing::PropertySeeds(5);
  EXPECT_GT(CutAtEveryStep({"exfat-fuse", {}}, seeds, mount.MountPoint()), seeds);
}

TEST(CrashPosixTest, AProcessKilledInTheMiddleOfARunIsRecoveredAtTheNextStart) {
  // A real SIGKILL of a child running the plan, at a random system call:
  // the journal on disk is all the next process has.
  const int runs = testing::PropertySeeds(20) * 20;
  std::mt19937 rng(20261208);
  int killed = 0;
  for (int run = 0; run < runs; ++run) {
    const Way& way = kWays[run % 3];
    const Plan plan = MakePlan(rng());
    TempDir dir(Scratch());
    TempDir state(Scratch());
    for (const auto& name : plan.sources) dir.Write(name);
    for (const auto& name : plan.unlisted) dir.Write(name);
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
