// Runs cut short after any move, on a real folder with the Windows port and
// journals in a real store, then recovered at the next start both ways:
// every file is found exactly once, under its planned name (finish) or its
// original one (restore), with its own content, and no journal is left.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_journal_store.h"
#include "tests/crash_plans.h"
#include "tests/fake_dialog.h"
#include "tests/seeds.h"
#include "tests/win32/win32_test_support.h"

namespace quillon::testing {
namespace {

using Choice = MessagesPort::RecoveryChoice;
using Contents = std::map<std::u16string, std::string>;

// Thrown from the move seam: the run stops there, as if the process died.
struct Killed {};

// A plan in the logic's names.
struct Names {
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
};

Names NamesOf(const Plan& plan) {
  Names names;
  for (const auto& name : plan.sources) names.sources.push_back(U(name));
  for (const auto& name : plan.targets) names.targets.push_back(U(name));
  return names;
}

// Each file holds its original name.
Contents Expected(const std::vector<std::u16string>& names, const Names& plan) {
  Contents expected;
  for (std::size_t row = 0; row < names.size(); ++row)
    expected[names[row]] = Utf8(plan.sources[row]);
  return expected;
}

void RunPlan(const TempFolder& dir, const Names& plan, FileSystem& fs, JournalStore& store) {
  FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog, &store);
  testing::ListNames(dlg, dir.Path(), plan.sources);
  std::vector<std::u16string> namesAfter;
  dlg.RunRenames(plan.sources, plan.targets, &namesAfter);
}

// Shifted series, swaps, cycles, changes of case (through an intermediate
// name where the file system keeps the old spelling, as Wine's host does)
// and moves into names freed on the way.
TEST(CrashWin32Test, ARunCutAfterAnyMoveIsFinishedOrRestoredAtTheNextStart) {
  const int seeds = PropertySeeds(10);
  int cuts = 0;
  for (int seed = 0; seed < seeds; ++seed) {
    const Names plan = NamesOf(MakePlan(static_cast<std::uint32_t>(seed)));
    for (int cutAt = 0;; ++cutAt) {
      bool cut = false;
      for (const Choice choice : {Choice::kFinish, Choice::kRestore}) {
        TempFolder dir;
        TempFolder state;
        for (const auto& name : plan.sources) ASSERT_TRUE(dir.Write(name));
        const std::string what =
            "seed " + std::to_string(seed) + ", cut before move " + std::to_string(cutAt);
        {
          Win32JournalStore store(state.PathOf(u"Quillon"));
          int moves = 0;
          Win32FileSystem fs([&](const std::wstring&, const std::wstring&) {
            if (moves++ == cutAt) throw Killed{};
          });
          try {
            RunPlan(dir, plan, fs, store);
          } catch (const Killed&) {
            cut = true;
          }
        }
        if (!cut) {
          // The run ended: the files are at their names and nothing of the
          // run's own is left, the journal included.
          EXPECT_EQ(dir.Contents(), Expected(plan.targets, plan)) << what;
          EXPECT_EQ(state.Contents(u"Quillon"), Contents{}) << what;
          break;
        }
        ++cuts;
        // The next start, in a process that knows only the disk.
        Win32JournalStore store(state.PathOf(u"Quillon"));
        Win32FileSystem fs;
        FakeDialog dialog;
        dialog.recoveryAnswer = choice;
        CQuillonDlg dlg(fs, dialog, &store);
        dlg.RecoverInterruptedRuns();
        EXPECT_TRUE(dialog.questions.empty()) << what << ": " << Utf8(dialog.questions[0]);
        EXPECT_EQ(dir.Contents(),
                  Expected(choice == Choice::kFinish ? plan.targets : plan.sources, plan))
            << what << (choice == Choice::kFinish ? ", finished" : ", restored");
        EXPECT_EQ(state.Contents(u"Quillon"), Contents{}) << what;
      }
      if (!cut) break;
    }
  }
  // Every plan was cut at several moves, each recovered both ways.
  EXPECT_GE(cuts, seeds * 2 * 2);
}

}  // namespace
}  // namespace quillon::testing
