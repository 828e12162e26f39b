// The rename engine on the memory file system: ordering, temporary names,
// failures and the retry dialog.
#include <gtest/gtest.h>

#include <set>

#include "core/paths.h"
#include "tests/engine_fixture.h"

namespace quillon::testing {
namespace {

using Log = std::vector<std::u16string>;

// --- Ordering without temporary names -----------------------------------------

TEST_F(EngineTest, SeriesShiftedUpMovesFromTheEndInOneSweep) {
  List({"1.jpg", "2.jpg", "3.jpg"});
  EXPECT_TRUE(Run({{"1.jpg", "2.jpg"}, {"2.jpg", "3.jpg"}, {"3.jpg", "4.jpg"}}));
  EXPECT_EQ(MoveLog(), (Log{u"3.jpg>4.jpg", u"2.jpg>3.jpg", u"1.jpg>2.jpg"}));
  EXPECT_EQ(Results(), AllOk(3));
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"2.jpg", "3.jpg", "4.jpg"}));
  EXPECT_EQ(m_dir.Read("2.jpg"), "1.jpg");
  EXPECT_EQ(m_dir.Read("4.jpg"), "3.jpg");
  EXPECT_EQ(m_current, Names({"2.jpg", "3.jpg", "4.jpg"}));
}

TEST_F(EngineTest, SeriesShiftedDownMovesFromTheStartInOneSweep) {
  List({"2.jpg", "3.jpg"});
  EXPECT_TRUE(Run({{"2.jpg", "1.jpg"}, {"3.jpg", "2.jpg"}}));
  EXPECT_EQ(MoveLog(), (Log{u"2.jpg>1.jpg", u"3.jpg>2.jpg"}));
  EXPECT_EQ(m_dir.Read("1.jpg"), "2.jpg");
  EXPECT_EQ(m_dir.Read("2.jpg"), "3.jpg");
}

TEST_F(EngineTest, LongSeriesShiftedEitherWayNeedsOneMovePerFile) {
  for (const int shift : {1, -1}) {
    MemoryFileSystem fs;
    MemoryDir dir(fs);
    FakeDialog dialog;
    CQuillonDlg dlg(fs, dialog);
    const int n = 500;
    std::vector<std::u16string> sources;
    std::vector<std::u16string> targets;
    std::vector<std::u16string> rows;
    for (int i = 1; i <= n; ++i) {
      const std::string from = "img" + std::to_string(i) + ".jpg";
      dir.Write(from);
      sources.push_back(U(from));
      targets.push_back(U("img" + std::to_string(i + shift) + ".jpg"));
    }
    ListNames(dlg, dir.Path(), sources);
    std::vector<std::u16string> namesAfter;
    EXPECT_TRUE(dlg.RunRenames(sources, targets, &namesAfter));
    EXPECT_EQ(fs.moves.size(), static_cast<std::size_t>(n)) << shift;
    EXPECT_EQ(fs.SuccessfulMoves(), n) << shift;
    EXPECT_FALSE(fs.MovedToNameContaining(u"_tmp")) << shift;
    EXPECT_EQ(dir.Read("img" + std::to_string(n + shift) + ".jpg"),
              "img" + std::to_string(n) + ".jpg");
  }
}

TEST_F(EngineTest, ChainListedInAnyOrderNeedsNoTemporaryName) {
  List({"2.jpg", "1.jpg", "4.jpg", "3.jpg", "6.jpg", "5.jpg"});
  EXPECT_TRUE(Run({{"2.jpg", "3.jpg"},
                   {"1.jpg", "2.jpg"},
                   {"4.jpg", "5.jpg"},
                   {"3.jpg", "4.jpg"},
                   {"6.jpg", "7.jpg"},
                   {"5.jpg", "6.jpg"}}));
  // No move is tried before its new name is free.
  EXPECT_EQ(m_fs.moves.size(), 6u);
  EXPECT_EQ(m_fs.SuccessfulMoves(), 6);
  EXPECT_EQ(Results(), AllOk(6));
  for (int i = 1; i <= 6; ++i)
    EXPECT_EQ(m_dir.Read(std::to_string(i + 1) + ".jpg"), std::to_string(i) + ".jpg");
}

TEST_F(EngineTest, UnchangedRowNeedsNoMoveAndCaseOnlyChangeGoesDirectly) {
  List({"same.txt", "a.txt"});
  EXPECT_TRUE(Run({{"same.txt", "same.txt"}, {"a.txt", "A.txt"}}));
  EXPECT_EQ(MoveLog(), (Log{u"a.txt>A.txt"}));
  EXPECT_EQ(Results(), AllOk(2));
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"A.txt", "same.txt"}));
  EXPECT_EQ(m_current, Names({"same.txt", "A.txt"}));
}

TEST_F(EngineTest, CaseOnlyChangeFreesItsNameBeforeOthersNeedIt) {
  // Row 2 takes "b.txt" (case differs from row 1's "B.txt", so the same name)
  // only after row 1 has moved on to "c.txt".
  List({"B.txt", "a.txt"});
  EXPECT_TRUE(Run({{"B.txt", "c.txt"}, {"a.txt", "b.txt"}}));
  EXPECT_EQ(m_dir.Read("c.txt"), "B.txt");
  EXPECT_EQ(m_dir.Read("b.txt"), "a.txt");
  EXPECT_FALSE(m_fs.MovedToNameContaining(u"_tmp"));
}

TEST(EngineCaseTwins, ARowWaitsForItsTwinToLeaveTheExactSpelling) {
  // Where case is told apart, a1.txt and A1.txt are two files, both listed. A
  // case-only change onto the spelling the twin still bears waits for the
  // twin to move on, as any other chain does.
  using Plan = std::vector<std::pair<std::string, std::string>>;
  for (const Plan& plan : {Plan{{"A1.txt", "a1.txt"}, {"a1.txt", "b1.txt"}},
                           Plan{{"a1.txt", "A1.txt"}, {"A1.txt", "c1.txt"}}}) {
    const std::string what = plan[0].first + ">" + plan[0].second;
    MemoryFileSystem fs;
    MemoryDir dir(fs);
    FakeDialog dialog;
    CQuillonDlg dlg(fs, dialog);
    std::vector<std::u16string> rows;
    std::vector<std::u16string> newNames;
    for (const auto& [from, to] : plan) {
      dir.Write(from);
      rows.push_back(U(from));
      const std::u16string target = U(to);
      newNames.push_back(target.substr(0, target.size() - 4));
    }
    ListNames(dlg, dir.Path(), rows, newNames);
    dlg.OnExecute();
    EXPECT_EQ(dialog.messages, std::vector<std::u16string>{str::kRenamed}) << what;
    EXPECT_EQ(dialog.Column(kResultColumn), std::vector<std::u16string>(2, kOk)) << what;
    for (const auto& [from, to] : plan) EXPECT_EQ(dir.Read(to), from) << what;
    EXPECT_EQ(dir.Entries().size(), 2u) << what;
  }
}

// --- Cycles and temporary names -------------------------------------------------

TEST_F(EngineTest, SwapParksOneFileUnderATemporaryName) {
  List({"a.jpg", "b.jpg"});
  EXPECT_TRUE(Run({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}}));
  // b.jpg still holds a's new name, so a is parked without a doomed attempt;
  // parking it frees a.jpg for b.
  EXPECT_EQ(MoveLog(), (Log{u"a.jpg>a_tmp0.jpg", u"b.jpg>a.jpg", u"a_tmp0.jpg>b.jpg"}));
  EXPECT_EQ(Results(), AllOk(2));
  EXPECT_EQ(m_dir.Read("a.jpg"), "b.jpg");
  EXPECT_EQ(m_dir.Read("b.jpg"), "a.jpg");
  EXPECT_EQ(m_dir.Entries().size(), 2u);
  EXPECT_EQ(m_current, Names({"b.jpg", "a.jpg"}));
  EXPECT_EQ(m_fs.opens, 1);  // every move of the run through one handle
}

TEST_F(EngineTest, ThreeCycleParksTwoFiles) {
  List({"a", "b", "c"});
  EXPECT_TRUE(Run({{"a", "b"}, {"b", "c"}, {"c", "a"}}));
  EXPECT_EQ(MoveLog(), (Log{u"a>a_tmp0", u"b>b_tmp0", u"c>a", u"a_tmp0>b", u"b_tmp0>c"}));
  EXPECT_EQ(m_dir.Read("a"), "c");
  EXPECT_EQ(m_dir.Read("b"), "a");
  EXPECT_EQ(m_dir.Read("c"), "b");
}

TEST_F(EngineTest, TakenTemporaryNameIsSkipped) {
  // Taken before the run (looked up one by one, or read in one listing when
  // many files are parked, then in any letter case), or taken by another
  // program between the choice of names and the park: the next free name.
  struct Case {
    const char* what;
    int pairs;
    const char* taken;
    bool meanwhile;
  } cases[] = {
      {"taken before", 1, "a0_tmp0.jpg", false},
      {"taken before, many parked", 70, "A0_TMP0.JPG", false},
      {"taken meanwhile", 1, "a0_tmp0.jpg", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem fs;
    MemoryDir dir(fs);
    std::vector<std::u16string> sources;
    std::vector<std::u16string> targets;
    for (int i = 0; i < c.pairs; ++i) {
      const std::string a = "a" + std::to_string(i) + ".jpg";
      const std::string b = "b" + std::to_string(i) + ".jpg";
      dir.Write(a);
      dir.Write(b);
      sources.insert(sources.end(), {U(a), U(b)});
      targets.insert(targets.end(), {U(b), U(a)});
    }
    if (!c.meanwhile) dir.Write(c.taken, "unlisted");
    fs.beforeOperation = [&](const MemoryFileSystem::Operation& operation) {
      if (c.meanwhile && operation.to == U(c.taken)) dir.Write(c.taken, "unlisted");
    };
    FakeDialog dialog;
    CQuillonDlg dlg(fs, dialog);
    ListNames(dlg, dir.Path(), sources);
    std::vector<std::u16string> namesAfter;
    EXPECT_TRUE(dlg.RunRenames(sources, targets, &namesAfter));
    EXPECT_TRUE(fs.MovedToNameContaining(u"a0_tmp1.jpg"));
    EXPECT_EQ(dir.Read(c.taken), "unlisted");
    EXPECT_EQ(dir.Read("a0.jpg"), "b0.jpg");
    EXPECT_EQ(dir.Read("b0.jpg"), "a0.jpg");
  }
}

TEST_F(EngineTest, NamesThatAreNotValidUtf8KeepTheirBytes) {
  List({"\xff\xfe.jpg", "b.jpg"});
  EXPECT_TRUE(Run({{"\xff\xfe.jpg", "b.jpg"}, {"b.jpg", "\xff\xfe.jpg"}}));
  EXPECT_TRUE(m_fs.MovedToNameContaining(U("\xff\xfe_tmp0.jpg")));
  EXPECT_EQ(m_dir.Read("\xff\xfe.jpg"), "b.jpg");
  EXPECT_EQ(m_dir.Read("b.jpg"), "\xff\xfe.jpg");
  EXPECT_EQ(m_dir.Entries().size(), 2u);
}

TEST_F(EngineTest, LongBaseIsCutBeforeTheTemporarySuffix) {
  const std::string a = std::string(250, 'a') + ".jpg";
  const std::string b = std::string(250, 'b') + ".jpg";
  List({a, b});
  EXPECT_TRUE(Run({{a, b}, {b, a}}));
  EXPECT_TRUE(m_fs.MovedToNameContaining(U(std::string(240, 'a') + "_tmp0.jpg")));
  EXPECT_EQ(m_dir.Read(a), b);
}

TEST_F(EngineTest, TemporaryNameIsShortenedToFitTheDirectoryInBytes) {
  // 83 three-byte characters: 249 bytes of base; with "_tmp0.jpg" the name
  // would be 258 bytes, over the 255 the file system allows.
  std::string base;
  for (int i = 0; i < 83; ++i) base += "写";
  const std::string a = base + ".jpg";
  const std::string b = "b.jpg";
  List({a, b});
  EXPECT_TRUE(Run({{a, b}, {b, a}}));
  std::string shorter;
  for (int i = 0; i < 82; ++i) shorter += "写";
  EXPECT_TRUE(m_fs.MovedToNameContaining(U(shorter + "_tmp0.jpg")));
  EXPECT_EQ(m_dir.Read(a), "b.jpg");
}

TEST_F(EngineTest, TemporaryNameIsShortenedWithoutSplittingACharacter) {
  // A limit in UTF-16 code units, as on exFAT: "a𝄞𝄞_tmp0.jpg" is 13 units;
  // with a limit of 12 one whole character goes, never half of one.
  m_fs.nameLimit = NameLimit{NameLimit::kNoLimit, 12};
  const std::string a = "a𝄞𝄞.jpg";
  List({a, "b.jpg"});
  EXPECT_TRUE(Run({{a, "b.jpg"}, {"b.jpg", a}}));
  EXPECT_TRUE(m_fs.MovedToNameContaining(U("a𝄞_tmp0.jpg")));
  EXPECT_EQ(m_dir.Read(a), "b.jpg");
}

TEST_F(EngineTest, NoTemporaryNameFitsFailsTheRowAndKeepsTheFile) {
  m_fs.nameLimit = NameLimit{5, NameLimit::kNoLimit};
  List({"a.jpg", "b.jpg"});
  EXPECT_FALSE(Run({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}}));
  EXPECT_EQ(Results(), (std::vector<std::u16string>{kCannot, kCannot}));
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
  EXPECT_EQ(m_dir.Read("b.jpg"), "b.jpg");
  EXPECT_EQ(m_current, Names({"a.jpg", "b.jpg"}));
}

TEST_F(EngineTest, SearchForATemporaryNameStopsAtTheFirstLookupThatFails) {
  // A directory that cannot be searched answers every lookup alike; asking a
  // million times per parked file would only waste minutes.
  // The park under the planned name fails, and asking why fails too: the
  // file keeps its name and nothing more is asked.
  m_fs.lookupsFail = true;
  m_fs.FailMovesTo(u"a_tmp0.jpg");
  List({"a.jpg", "b.jpg"});
  EXPECT_FALSE(Run({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}}));
  EXPECT_EQ(m_fs.lookups, 1);
  EXPECT_EQ(Results(), (std::vector<std::u16string>{kCannot, kCannot}));
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
  EXPECT_EQ(m_current, Names({"a.jpg", "b.jpg"}));
}

// --- Failures ---------------------------------------------------------------------

TEST(EngineFailures, RowsWaitingOnlyForAFailedRowKeepTheirNames) {
  // A temporary name is for breaking a cycle: a row whose new name stays
  // taken because the file holding it could not move keeps its own name. Only
  // a file parked to break a cycle whose way on and way back were both
  // blocked afterwards stays parked, and its row says where.
  using Plan = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* what;
    Plan plan;
    std::set<std::u16string> failFrom, failTo;
    std::vector<std::u16string> results;
    std::vector<std::string> namesNow;  // where each row's file ends
  } cases[] = {
      {"chain into a failed row",
       {{"x.jpg", "y.jpg"}, {"y.jpg", "z.jpg"}},
       {u"y.jpg"},
       {},
       {kCannot, kCannot},
       {"x.jpg", "y.jpg"}},
      {"series shifted up, the last file stuck",
       {{"1.jpg", "2.jpg"}, {"2.jpg", "3.jpg"}, {"3.jpg", "4.jpg"}, {"4.jpg", "5.jpg"}},
       {u"4.jpg"},
       {},
       {kCannot, kCannot, kCannot, kCannot},
       {"1.jpg", "2.jpg", "3.jpg", "4.jpg"}},
      {"swap whose first file cannot be parked",
       {{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}},
       {u"a.jpg"},
       {},
       {kCannot, kCannot},
       {"a.jpg", "b.jpg"}},
      {"swap whose parked file can go neither on nor back",
       {{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}},
       {},
       {u"b.jpg"},
       {StoredUnder("a_tmp0.jpg"), kOk},
       {"a_tmp0.jpg", "a.jpg"}},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    MemoryDir dir(fs);
    FakeDialog dialog;
    CQuillonDlg dlg(fs, dialog);
    std::vector<std::u16string> sources;
    std::vector<std::u16string> targets;
    for (const auto& [from, to] : c.plan) {
      dir.Write(from);
      sources.push_back(U(from));
      targets.push_back(U(to));
    }
    ListNames(dlg, dir.Path(), sources);
    for (const auto& name : c.failFrom) fs.FailMovesFrom(name);
    for (const auto& name : c.failTo) fs.FailMovesTo(name);
    std::vector<std::u16string> namesAfter;
    EXPECT_FALSE(dlg.RunRenames(sources, targets, &namesAfter)) << c.what;
    EXPECT_EQ(dialog.Column(kResultColumn), c.results) << c.what;
    std::vector<std::u16string> namesNow;
    for (const auto& name : c.namesNow) namesNow.push_back(U(name));
    EXPECT_EQ(namesAfter, namesNow) << c.what;
    for (std::size_t row = 0; row < c.plan.size(); ++row)
      EXPECT_EQ(dir.Read(c.namesNow[row]), c.plan[row].first) << c.what;
    EXPECT_EQ(dir.Entries().size(), c.plan.size()) << c.what;
  }
}

TEST_F(EngineTest, FailedFileKeepsBlockingItsName) {
  // Row 1 wants b's name; b's move fails, so a must never be moved onto it.
  List({"a.jpg", "b.jpg", "c.jpg"});
  m_fs.FailMovesFrom(u"b.jpg");
  EXPECT_FALSE(Run({{"a.jpg", "b.jpg"}, {"b.jpg", "d.jpg"}, {"c.jpg", "e.jpg"}}));
  EXPECT_EQ(m_dir.Read("b.jpg"), "b.jpg");
  EXPECT_EQ(m_dir.Read("e.jpg"), "c.jpg");
  EXPECT_EQ(Results()[2], kOk);
}

TEST_F(EngineTest, DirectoryThatCannotBeOpenedFailsEveryRow) {
  List({"a.jpg", "b.jpg"});
  m_fs.openFails = true;
  EXPECT_FALSE(Run({{"a.jpg", "a.jpg"}, {"b.jpg", "c.jpg"}}));
  EXPECT_EQ(Results(), (std::vector<std::u16string>{kCannot, kCannot}));
  EXPECT_EQ(m_current, Names({"a.jpg", "b.jpg"}));
}

TEST_F(EngineTest, EveryRowFailingLeavesEveryFileWhereItWas) {
  List({"a.jpg", "b.jpg", "c.jpg"});
  for (const char16_t* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) m_fs.FailMovesFrom(name);
  EXPECT_FALSE(Run({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}, {"c.jpg", "d.jpg"}}));
  EXPECT_EQ(Results(), (std::vector<std::u16string>{kCannot, kCannot, kCannot}));
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(m_current, Names({"a.jpg", "b.jpg", "c.jpg"}));
}

TEST_F(EngineTest, TargetTakenSinceValidationIsNeverOverwritten) {
  List({"a.jpg"});
  m_dir.Write("b.jpg", "someone else's");
  EXPECT_FALSE(Run({{"a.jpg", "b.jpg"}}));
  EXPECT_EQ(Results(), (std::vector<std::u16string>{kCannot}));
  EXPECT_EQ(m_dir.Read("b.jpg"), "someone else's");
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
}

TEST_F(EngineTest, VanishedSourceFailsOnlyItsRow) {
  List({"a.jpg", "b.jpg"});
  m_dir.Remove("a.jpg");
  EXPECT_FALSE(Run({{"a.jpg", "c.jpg"}, {"b.jpg", "d.jpg"}}));
  EXPECT_EQ(Results(), (std::vector<std::u16string>{kCannot, kOk}));
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"d.jpg"}));
}

// --- File in use --------------------------------------------------------------------

TEST_F(EngineTest, FileInUseShowsTheRetryDialogUntilItMoves) {
  List({"a.jpg"});
  m_fs.InUse(u"a.jpg", 2);
  EXPECT_TRUE(Run({{"a.jpg", "b.jpg"}}));
  const std::u16string message = JoinPath(m_dir.Path(), u"a.jpg") + str::kFileInUse;
  EXPECT_EQ(m_dialog.retryMessages, (std::vector<std::u16string>{message, message}));
  EXPECT_EQ(Results(), AllOk(1));
  EXPECT_EQ(m_dir.Read("b.jpg"), "a.jpg");
}

// --- The command ------------------------------------------------------------------------

TEST_F(EngineTest, ExecuteReportsSuccessAndEnablesOnlyUndo) {
  Plan({{"1.jpg", "2.jpg"}, {"2.jpg", "3.jpg"}});
  m_dlg.OnExecute();
  EXPECT_EQ(m_dialog.messages, (std::vector<std::u16string>{str::kRenamed}));
  EXPECT_TRUE(m_dlg.Executed());
  EXPECT_TRUE(m_dialog.Enabled(ControlId::kUndo));
  EXPECT_FALSE(m_dialog.Enabled(ControlId::kExecute));
  EXPECT_FALSE(m_dialog.acceptDrops);
  EXPECT_EQ(m_dlg.CurrentNames(), Names({"2.jpg", "3.jpg"}));
}

TEST_F(EngineTest, ExecuteWithEveryRowFailingStillAllowsUndo) {
  Plan({{"a.jpg", "b.jpg"}, {"c.jpg", "d.jpg"}});
  m_fs.FailMovesFrom(u"a.jpg");
  m_fs.FailMovesFrom(u"c.jpg");
  m_dlg.OnExecute();
  EXPECT_EQ(m_dialog.messages, (std::vector<std::u16string>{str::kSomeNotRenamed}));
  EXPECT_TRUE(m_dlg.Executed());
  EXPECT_TRUE(m_dialog.Enabled(ControlId::kUndo));
}

TEST_F(EngineTest, ExecuteDoesNothingWhenAlreadyExecutedOrNamesMissing) {
  Plan({{"a.jpg", "b.jpg"}});
  SetExecuted(m_dlg, true);
  m_dlg.OnExecute();
  SetExecuted(m_dlg, false);
  WithNewNames(m_dlg, {});
  m_dlg.OnExecute();
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_TRUE(m_dialog.messages.empty());
  EXPECT_TRUE(m_dir.Exists("a.jpg"));
}

}  // namespace
}  // namespace quillon::testing
