// Execute and undo through the real validation and plan check, on the
// memory file system.
#include <gtest/gtest.h>

#include "tests/engine_fixture.h"

namespace quillon::testing {
namespace {

using Log = std::vector<std::u16string>;
using Texts = std::vector<std::u16string>;

class UndoTest : public EngineTest {
 protected:
  void Execute(const std::vector<std::pair<std::string, std::string>>& plan) {
    Plan(plan);
    m_dlg.OnExecute();
    ASSERT_TRUE(m_dlg.Executed());
    m_dialog.messages.clear();
    m_fs.moves.clear();
  }
};

TEST_F(UndoTest, ExecuteThenUndoRestoresEveryName) {
  Execute({{"1.jpg", "2.jpg"}, {"2.jpg", "3.jpg"}, {"3.jpg", "4.jpg"}});
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"2.jpg", "3.jpg", "4.jpg"}));
  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg"}));
  for (const char* name : {"1.jpg", "2.jpg", "3.jpg"}) EXPECT_EQ(m_dir.Read(name), name);
  EXPECT_EQ(m_fs.moves.size(), 3u);  // one sweep back, no temporary names
  EXPECT_EQ(Results(), AllOk(3));
  EXPECT_EQ(m_dialog.messages, Texts{str::kRestored});
  EXPECT_FALSE(m_dlg.Executed());
  EXPECT_FALSE(m_dialog.Enabled(ControlId::kUndo));
  EXPECT_TRUE(m_dialog.Enabled(ControlId::kExecute));
  EXPECT_TRUE(m_dialog.acceptDrops);
  // The record of the execution is kept; undo worked on a scratch list.
  EXPECT_EQ(m_dlg.CurrentNames(), Names({"2.jpg", "3.jpg", "4.jpg"}));
}

TEST_F(UndoTest, UndoOfASwapGoesThroughATemporaryNameAgain) {
  Execute({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}});
  EXPECT_EQ(m_dir.Read("a.jpg"), "b.jpg");
  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(MoveLog(), (Log{u"b.jpg>b_tmp0.jpg", u"a.jpg>b.jpg", u"b_tmp0.jpg>a.jpg"}));
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
  EXPECT_EQ(m_dir.Read("b.jpg"), "b.jpg");
}

TEST_F(UndoTest, RefusedWhenTheDirectoryWasReplacedByOneWithTheSameNames) {
  Execute({{"1.jpg", "2.jpg"}, {"2.jpg", "3.jpg"}});
  ASSERT_TRUE(m_fs.ReplaceDirectory(m_dir.Path()));
  m_dir.Write("2.jpg", "other");
  m_dir.Write("3.jpg", "other");
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kDirectoryChanged});
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"2.jpg", "3.jpg"}));
  EXPECT_TRUE(m_dlg.Executed());
}

TEST_F(UndoTest, RefusedWhenARenamedFileWasDeleted) {
  Execute({{"1.jpg", "2.jpg"}, {"2.jpg", "3.jpg"}});
  const Texts outcomes = Results();
  m_dir.Remove("3.jpg");
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kDirectoryChanged});
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"2.jpg"}));
  EXPECT_EQ(Results(), outcomes);
  EXPECT_TRUE(m_dlg.Executed());
  EXPECT_TRUE(m_dialog.Enabled(ControlId::kUndo));
}

TEST_F(UndoTest, RefusedWhenAnOldNameWasTakenAndAllowedOnceItIsFreeAgain) {
  Execute({{"a.jpg", "b.jpg"}});
  m_dir.Write("A.JPG", "newcomer");  // the same name as a.jpg, case ignored
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kDirectoryChanged});
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_EQ(m_dir.Read("A.JPG"), "newcomer");
  EXPECT_TRUE(m_dlg.Executed());

  // The user puts things back; undo is still there.
  m_dir.Remove("A.JPG");
  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
}

TEST_F(UndoTest, ACaseTwinLeftBehindIsNotTheListedFile) {
  // A file system that tells case apart: with c.jpg gone, C.JPG is another
  // file, so validation reports the row missing instead of the move failing.
  Plan({{"a.jpg", "b.jpg"}, {"c.jpg", "d.jpg"}});
  m_dir.Write("C.JPG", "twin");
  m_dir.Remove("c.jpg");
  m_dlg.OnExecute();
  EXPECT_FALSE(m_dlg.Executed());
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_EQ(m_dialog.messages, Texts{str::kMsgMissing});
  EXPECT_EQ(Results(), (Texts{u"", str::kVerdictMissing}));

  // The same for the way back: d.jpg gone, D.JPG someone else's.
  m_dir.Remove("C.JPG");
  m_dir.Write("c.jpg");
  m_dialog.messages.clear();
  m_dlg.OnExecute();
  ASSERT_TRUE(m_dlg.Executed());
  m_dir.Write("D.JPG", "twin");
  m_dir.Remove("d.jpg");
  m_fs.moves.clear();
  m_dialog.messages.clear();
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kDirectoryChanged});
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_EQ(m_dir.Read("D.JPG"), "twin");
}

TEST_F(UndoTest, TwinsThatDifferOnlyInCaseComeBackUnlessAThirdAppeared) {
  // Where case is told apart, a.jpg and A.JPG are two files; they lived side
  // by side before, so undo may bring both back.
  Execute({{"A.JPG", "x2.JPG"}, {"a.jpg", "x1.jpg"}});
  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kRestored});
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
  EXPECT_EQ(m_dir.Read("A.JPG"), "A.JPG");

  // A third spelling that someone else made meanwhile still blocks the way.
  m_dlg.OnExecute();
  ASSERT_TRUE(m_dlg.Executed());
  m_dir.Write("a.JPG", "third");
  m_dialog.messages.clear();
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kDirectoryChanged});
  EXPECT_EQ(m_dir.Read("a.JPG"), "third");
}

TEST_F(UndoTest, RefusedWhenAnOldNameBecameADirectory) {
  Execute({{"a.jpg", "b.jpg"}});
  m_dir.MakeDir("a.jpg");
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kDirectoryChanged});
  EXPECT_EQ(m_dir.Read("b.jpg"), "a.jpg");
}

TEST_F(UndoTest, AllowedAfterAnUnrelatedFileAppeared) {
  Execute({{"a.jpg", "b.jpg"}});
  m_dir.Write("unrelated.jpg");
  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kRestored});
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"a.jpg", "unrelated.jpg"}));
}

TEST_F(UndoTest, RowThatFailedNeedsNoMoveBack) {
  m_fs.FailMovesFrom(u"b.jpg");
  Plan({{"a.jpg", "c.jpg"}, {"b.jpg", "d.jpg"}});
  m_dlg.OnExecute();
  EXPECT_EQ(m_dialog.messages, Texts{str::kSomeNotRenamed});
  EXPECT_EQ(Results(), (Texts{kOk, kCannot}));
  m_dialog.messages.clear();
  m_fs.moves.clear();
  m_fs.moveRules.clear();

  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(MoveLog(), (Log{u"c.jpg>a.jpg"}));
  EXPECT_EQ(Results(), AllOk(2));
  EXPECT_EQ(m_dialog.messages, Texts{str::kRestored});
}

TEST_F(UndoTest, ParkedFileIsMovedStraightBack) {
  // The parked file can go neither on to b.jpg nor back to a.jpg, which b
  // took: it stays parked until undo.
  m_fs.FailMovesTo(u"b.jpg");
  Plan({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}});
  m_dlg.OnExecute();
  EXPECT_EQ(Results(), (Texts{StoredUnder("a_tmp0.jpg"), kOk}));
  m_fs.moves.clear();
  m_fs.moveRules.clear();

  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(MoveLog(), (Log{u"a.jpg>b.jpg", u"a_tmp0.jpg>a.jpg"}));
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
  EXPECT_EQ(m_dir.Read("b.jpg"), "b.jpg");
}

TEST_F(UndoTest, ATwinThatStoodBesideAListedFileAllAlongDoesNotBlockUndo) {
  // Where case is told apart, A1.txt is another file that was there before
  // the execution: the directory has not changed.
  m_dir.Write("A1.txt", "twin");
  Execute({{"a1.txt", "b1.txt"}});
  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, Texts{str::kRestored});
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"A1.txt", "a1.txt"}));
  EXPECT_EQ(m_dir.Read("a1.txt"), "a1.txt");
  EXPECT_EQ(m_dir.Read("A1.txt"), "twin");
}

TEST_F(UndoTest, ReverseMoveThatFailsIsReportedAndUndoEnds) {
  Execute({{"a.jpg", "c.jpg"}, {"b.jpg", "d.jpg"}});
  m_fs.FailMovesFrom(u"d.jpg");
  EXPECT_TRUE(m_dlg.OnUndo());
  EXPECT_EQ(Results(), (Texts{kOk, kCannot}));
  EXPECT_EQ(m_dialog.messages, Texts{str::kSomeNotRestored});
  EXPECT_FALSE(m_dlg.Executed());
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"a.jpg", "d.jpg"}));
}

TEST_F(UndoTest, ExecutingAgainAfterUndoRepeatsTheRenames) {
  Execute({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}});
  ASSERT_TRUE(m_dlg.OnUndo());
  m_dialog.messages.clear();
  m_dlg.OnExecute();
  EXPECT_EQ(m_dialog.messages, Texts{str::kRenamed});
  EXPECT_EQ(m_dir.Read("a.jpg"), "b.jpg");
  EXPECT_EQ(m_dir.Read("b.jpg"), "a.jpg");
  EXPECT_TRUE(m_dlg.Executed());
}

TEST_F(UndoTest, UndoWithoutExecutionDoesNothing) {
  Plan({{"a.jpg", "b.jpg"}});
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_TRUE(m_dialog.messages.empty());
  EXPECT_EQ(m_fs.opens, 0);
}

TEST_F(UndoTest, ExecuteRefusedByValidationMovesNothing) {
  Plan({{"a.jpg", "b.jpg"}});
  m_dir.Write("b.jpg", "unlisted");
  m_dlg.OnExecute();
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_FALSE(m_dlg.Executed());
  EXPECT_TRUE(m_dlg.Invalid());
  EXPECT_EQ(m_dialog.messages, Texts{str::kMsgDuplicate});
  EXPECT_EQ(m_dir.Read("b.jpg"), "unlisted");
}

}  // namespace
}  // namespace quillon::testing
