// Power cuts at every step of a run: the directory keeps what was made
// durable and some of what came after, in order, as a journaling file system
// would; the journal keeps its synced bytes and perhaps a torn tail. A run
// that reported its outcome has lost nothing; one cut short is recovered
// both ways from what survived.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/name_codec.h"
#include "dialog/quillon_dlg.h"
#include "memory_journal_store.h"
#include "support/memory_file_system.h"
#include "tests/crash_plans.h"
#include "tests/fake_dialog.h"

namespace quillon {
namespace {

using testing::FakeDialog;
using testing::MemoryDir;
using testing::MemoryFileSystem;
using testing::Plan;
using Choice = MessagesPort::RecoveryChoice;

struct PowerCut {};

// Runs the plan; true when it ran to its end.
bool RunPlan(const MemoryDir& dir, const Plan& plan, MemoryFileSystem& fs,
             test::MemoryJournalStore& store) {
  try {
    EXPECT_TRUE(testing::RunPlanIn(fs, store, dir.Path(), plan));
  } catch (const PowerCut&) {
    return false;
  }
  return true;
}

void ExpectFilesAt(const MemoryDir& dir, const Plan& plan, const std::vector<std::string>& names,
                   const std::string& what) {
  std::vector<std::string> expected(names);
  expected.insert(expected.end(), plan.unlisted.begin(), plan.unlisted.end());
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(dir.Entries(), expected) << what;
  for (const auto& name : plan.unlisted) EXPECT_EQ(dir.Read(name), name) << what;
  for (std::size_t row = 0; row < names.size(); ++row)
    EXPECT_EQ(dir.Read(names[row]), plan.sources[row]) << what << " row " << row;
}

bool AllAt(const MemoryDir& dir, const Plan& plan, const std::vector<std::string>& names) {
  std::vector<std::string> expected(names);
  expected.insert(expected.end(), plan.unlisted.begin(), plan.unlisted.end());
  std::sort(expected.begin(), expected.end());
  if (dir.Entries() != expected) return false;
  for (std::size_t row = 0; row < names.size(); ++row)
    if (dir.Read(names[row]) != plan.sources[row]) return false;
  return true;
}

TEST(PowerLossTest, WhatSurvivesACutIsRecoveredAndAReportedSuccessStays) {
  const int seeds = testing::PropertySeeds(50);
  std::mt19937 rng(8122026);
  int cuts = 0;
  for (const bool ignoresCase : {false, true}) {
    for (int seed = 0; seed < seeds; ++seed) {
      const Plan plan = testing::MakePlan(static_cast<std::uint32_t>(seed));
      for (std::size_t cutAt = 0;; ++cutAt) {
        MemoryFileSystem fs(MemoryFileSystem::Options{ignoresCase});
        MemoryDir dir(fs);
        for (const auto& name : plan.sources) dir.Write(name);
        for (const auto& name : plan.unlisted) dir.Write(name);
        test::MemoryJournalStore store;
        std::size_t operations = 0;
        fs.beforeOperation = [&](const MemoryFileSystem::Operation&) {
          if (operations++ == cutAt) throw PowerCut{};
        };
        const bool ended = RunPlan(dir, plan, fs, store);
        fs.beforeOperation = nullptr;
        const auto keepSome = [&rng](std::size_t pending) { return rng() % (pending + 1); };
        fs.PowerCut(keepSome);
        store.PowerCut(keepSome);
        const std::string what = std::string(ignoresCase ? "ignoring case" : "telling case") +
                                 ", seed " + std::to_string(seed) + ", cut at " +
                                 std::to_string(cutAt);
        if (ended) {
          // The success was told after the sync: the cut takes nothing back.
          ExpectFilesAt(dir, plan, plan.targets, what);
          break;
        }
        ++cuts;
        const Choice choice = cutAt % 2 == 0 ? Choice::kFinish : Choice::kRestore;
        FakeDialog dialog;
        dialog.recoveryAnswer = choice;
        CQuillonDlg dlg(fs, dialog, &store);
        dlg.RecoverInterruptedRuns();
        EXPECT_TRUE(dialog.questions.empty()) << what;
        EXPECT_EQ(store.Count(), 0u) << what;
        // Without a question the run had not begun or had ended: every
        // file is at one end. With one, where the user chose.
        if (dialog.recoveryQuestions.empty()) {
          EXPECT_TRUE(AllAt(dir, plan, plan.sources) || AllAt(dir, plan, plan.targets)) << what;
        } else {
          ExpectFilesAt(dir, plan, choice == Choice::kFinish ? plan.targets : plan.sources, what);
        }
      }
    }
  }
  EXPECT_GT(cuts, seeds * 2);
}

}  // namespace
}  // namespace quillon
