// Dropped files becoming rows, on the memory file system.
#include <gtest/gtest.h>

#include <functional>

#include "dialog/quillon_dlg.h"
#include "resources/strings.h"
#include "tests/fake_dialog.h"
#include "tests/support/memory_file_system.h"

namespace quillon {
namespace {

using testing::FakeDialog;
using testing::ListNames;
using testing::MemoryDir;
using testing::MemoryFileSystem;

class DropIntake : public ::testing::Test {
 protected:
  std::vector<std::u16string> Paths(const MemoryDir& d, std::initializer_list<const char*> names) {
    std::vector<std::u16string> paths;
    for (const char* n : names) paths.push_back(d.PathOf(n));
    return paths;
  }
  std::vector<std::u16string> Rows() const { return ui.Column(kOldNameColumn); }
  std::vector<std::u16string> Files() const {
    std::vector<std::u16string> names;
    for (const auto& f : dlg.Files()) names.push_back(f->m_name);
    return names;
  }

  MemoryFileSystem fs;
  MemoryDir dir{fs};
  FakeDialog ui;
  CQuillonDlg dlg{fs, ui};
};

TEST_F(DropIntake, AcceptedFilesBecomeRowsInNaturalOrder) {
  for (const char* n : {"b.txt", "a.txt", "x10.jpg", "x2.jpg", "x9.jpg"}) dir.Write(n);
  dlg.OnFilesDropped(Paths(dir, {"b.txt", "x10.jpg", "a.txt", "x9.jpg", "x2.jpg"}));

  const std::vector<std::u16string> expected{u"a.txt", u"b.txt", u"x2.jpg", u"x9.jpg", u"x10.jpg"};
  EXPECT_EQ(Rows(), expected);
  EXPECT_EQ(Files(), expected);
  EXPECT_EQ(dlg.Directory(), dir.Path());
  EXPECT_EQ(ui.directoryText, dir.Path());
  EXPECT_EQ(ui.rowsDirectory, dir.Path());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.Enabled(ControlId::kNameField));
  EXPECT_FALSE(ui.Enabled(ControlId::kGenerate));  // the name field is still empty
  EXPECT_FALSE(ui.Enabled(ControlId::kExecute));
}

TEST_F(DropIntake, LaterDropsMergeIntoTheRows) {
  for (const char* n : {"x1.jpg", "x2.jpg", "x5.jpg", "x9.jpg", "x10.jpg"}) dir.Write(n);
  dlg.OnFilesDropped(Paths(dir, {"x9.jpg", "x2.jpg"}));
  dlg.OnFilesDropped(Paths(dir, {"x10.jpg"}));
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"x2.jpg", u"x9.jpg", u"x10.jpg"}));
  dlg.OnFilesDropped(Paths(dir, {"x5.jpg", "x1.jpg"}));
  EXPECT_EQ(Rows(),
            (std::vector<std::u16string>{u"x1.jpg", u"x2.jpg", u"x5.jpg", u"x9.jpg", u"x10.jpg"}));
}

TEST_F(DropIntake, DroppingListedFilesAgainKeepsRowsButDropsTheNewNames) {
  dir.Write("a.jpg");
  dir.Write("b.jpg");
  dlg.OnFilesDropped(Paths(dir, {"a.jpg", "b.jpg", "a.jpg"}));  // the same file twice
  ASSERT_EQ(Rows().size(), 2u);
  ui.clipboard = u"x1\r\nx*2\r\n";
  dlg.PasteNewNames();
  ASSERT_TRUE(dlg.Invalid());
  ASSERT_EQ(ui.Column(kNewNameColumn), (std::vector<std::u16string>{u"x1.jpg", u"x*2.jpg"}));
  const int rebuilds = ui.rowRebuilds;

  dlg.OnFilesDropped(Paths(dir, {"b.jpg"}));
  EXPECT_EQ(ui.rowRebuilds, rebuilds);
  EXPECT_EQ(Rows().size(), 2u);
  EXPECT_TRUE(dlg.NewNames().empty());
  EXPECT_FALSE(dlg.Invalid());
  EXPECT_EQ(ui.Column(kNewNameColumn), (std::vector<std::u16string>{u"", u""}));
  EXPECT_EQ(ui.Column(kResultColumn), (std::vector<std::u16string>{u"", u""}));
}

TEST_F(DropIntake, CaseTwinsAreTwoFilesAndEachRowShowsItsOwnName) {
  // A file system that tells case apart: each spelling is a file of its own,
  // and what column 0 shows is exactly what would be renamed.
  using Drops = std::vector<std::vector<const char*>>;
  using Names = std::vector<std::u16string>;
  struct Case {
    const char* what;
    Drops drops;
    const char* deletedBeforeLastDrop;
    Names rows;
    int listings;  // directory reads: only when spellings of one name meet
  } cases[] = {
      {"listed, then its twin alone", {{"a.txt"}, {"A.TXT"}}, nullptr, {u"A.TXT", u"a.txt"}, 1},
      {"both in one drop",
       {{"a.txt", "b.txt", "A.TXT"}},
       nullptr,
       {u"A.TXT", u"a.txt", u"b.txt"},
       1},
      {"both in one drop, other order", {{"A.TXT", "a.txt"}}, nullptr, {u"A.TXT", u"a.txt"}, 1},
      {"a listed twin dropped again",
       {{"a.txt", "A.TXT"}, {"a.txt"}},
       nullptr,
       {u"A.TXT", u"a.txt"},
       2},
      {"the twin of a deleted row", {{"a.txt"}, {"A.TXT"}}, "a.txt", {u"A.TXT", u"a.txt"}, 1},
      {"no twins", {{"b.txt"}, {"a.txt", "b.txt"}}, nullptr, {u"a.txt", u"b.txt"}, 0},
  };
  for (const Case& c : cases) {
    MemoryFileSystem counting;
    MemoryDir twins(counting);
    for (const char* name : {"a.txt", "A.TXT", "b.txt"}) twins.Write(name);
    ASSERT_EQ(twins.Entries().size(), 3u) << "needs a file system that tells case apart";
    FakeDialog view;
    CQuillonDlg list(counting, view);
    for (std::size_t d = 0; d < c.drops.size(); ++d) {
      if (d + 1 == c.drops.size() && c.deletedBeforeLastDrop != nullptr)
        twins.Remove(c.deletedBeforeLastDrop);
      std::vector<std::u16string> paths;
      for (const char* name : c.drops[d]) paths.push_back(twins.PathOf(name));
      list.OnFilesDropped(paths);
    }
    Names files;
    for (const auto& f : list.Files()) files.push_back(f->m_name);
    EXPECT_EQ(files, c.rows) << c.what;
    EXPECT_EQ(view.Column(kOldNameColumn), c.rows) << c.what;
    EXPECT_EQ(counting.opens, c.listings) << c.what;
    EXPECT_TRUE(view.messages.empty()) << c.what;
  }
}

TEST(DropIntakeIgnoringCase, SpellingsOfOneFileAreOneRow) {
  using Names = std::vector<std::u16string>;
  struct Case {
    const char* what;
    std::vector<std::vector<const char*>> drops;
    Names rows;
  } cases[] = {
      {"listed, then another spelling", {{"a.txt"}, {"A.TXT"}}, {u"a.txt"}},
      {"both in one drop", {{"A.TXT", "b.txt", "a.txt"}}, {u"a.txt", u"b.txt"}},
      // Neither is the entry: the row takes the name the file really has.
      {"two other spellings", {{"A.TXT", "a.TXT"}}, {u"a.txt"}},
      {"another spelling, then the entry", {{"A.TXT"}, {"a.txt"}}, {u"a.txt"}},
      // Alone it is the name that will be renamed, and the file system finds it.
      {"another spelling alone", {{"A.TXT"}}, {u"A.TXT"}},
  };
  MemoryFileSystem fs({.ignoresCase = true});
  MemoryDir dir(fs);
  dir.Write("a.txt");
  dir.Write("b.txt");
  for (const Case& c : cases) {
    FakeDialog dialog;
    CQuillonDlg dlg(fs, dialog);
    for (const auto& drop : c.drops) {
      std::vector<std::u16string> paths;
      for (const char* name : drop) paths.push_back(dir.PathOf(name));
      dlg.OnFilesDropped(paths);
    }
    Names files;
    for (const auto& file : dlg.Files()) files.push_back(file->m_name);
    EXPECT_EQ(files, c.rows) << c.what;
    EXPECT_EQ(dialog.Column(kOldNameColumn), c.rows) << c.what;
    EXPECT_TRUE(dialog.messages.empty()) << c.what;
  }
}

// Every refusal shows its message and leaves the rows, the directory and the
// new names exactly as they were.
TEST_F(DropIntake, RefusedDropsChangeNothing) {
  MemoryDir other(fs);
  dir.Write("a.jpg");
  dir.Write("b.jpg");
  dir.MakeDir("sub");
  other.Write("c.jpg");
  ASSERT_TRUE(fs.MakeSymbolicLink(dir.PathOf("b-link"), dir.Path()));
  dlg.OnFilesDropped(Paths(dir, {"a.jpg"}));
  ui.clipboard = u"n1";
  dlg.PasteNewNames();
  ASSERT_EQ(dlg.NewNames(), std::vector<std::u16string>{u"n1"});
  const std::u16string directoryBefore = ui.directoryText;

  struct Case {
    const char* what;
    std::vector<std::u16string> paths;
    const char16_t* message;
  } cases[] = {
      {"a folder", Paths(dir, {"sub"}), str::kNoDirectories},
      {"a folder after files", Paths(dir, {"b.jpg", "sub"}), str::kNoDirectories},
      {"a vanished file", Paths(dir, {"b.jpg", "gone.jpg"}), str::kNoDirectories},
      {"a relative path", {u"b.jpg"}, str::kNoDirectories},
      {"another directory", Paths(other, {"c.jpg"}), str::kMixedDirectories},
      {"two directories", {dir.PathOf("b.jpg"), other.PathOf("c.jpg")}, str::kMixedDirectories},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    dlg.OnFilesDropped(c.paths);
    ASSERT_EQ(ui.messages.size(), 1u) << c.what;
    EXPECT_EQ(ui.messages[0], c.message) << c.what;
    EXPECT_EQ(Rows(), std::vector<std::u16string>{u"a.jpg"}) << c.what;
    EXPECT_EQ(dlg.NewNames(), std::vector<std::u16string>{u"n1"}) << c.what;
    EXPECT_EQ(ui.directoryText, directoryBefore) << c.what;
  }
}

TEST_F(DropIntake, DirectoriesAreComparedExactly) {
  // On a file system that tells case apart these are two directories; mixing
  // them would rename files the user never dropped.
  const MemoryDir upper = dir.MakeDir("Photos");
  const MemoryDir lower = dir.MakeDir("photos");
  upper.Write("a.jpg");
  lower.Write("a.jpg");
  dlg.OnFilesDropped({upper.PathOf("a.jpg")});
  dlg.OnFilesDropped({lower.PathOf("a.jpg")});
  EXPECT_EQ(ui.messages, std::vector<std::u16string>{str::kMixedDirectories});
  EXPECT_EQ(dlg.Directory(), upper.Path());
}

TEST_F(DropIntake, AfterAResetAnyDirectoryIsAccepted) {
  MemoryDir other(fs);
  dir.Write("a.jpg");
  other.Write("c.jpg");
  dlg.OnFilesDropped(Paths(dir, {"a.jpg"}));
  ui.answers = {true};
  dlg.ResetList();
  EXPECT_EQ(ui.questions, std::vector<std::u16string>{str::kConfirmReset});
  EXPECT_TRUE(dlg.Directory().empty());
  dlg.OnFilesDropped(Paths(other, {"c.jpg"}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(dlg.Directory(), other.Path());
}

TEST_F(DropIntake, ALinkToADirectoryIsListedAsTheLinkItself) {
  dir.MakeDir("real");
  ASSERT_TRUE(fs.MakeSymbolicLink(dir.PathOf("link"), u"real"));
  dlg.OnFilesDropped(Paths(dir, {"link"}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Rows(), std::vector<std::u16string>{u"link"});
}

TEST_F(DropIntake, NothingIsAcceptedWhileAnExecutionIsInForce) {
  dir.Write("a.jpg");
  dir.Write("b.jpg");
  dlg.OnFilesDropped(Paths(dir, {"a.jpg"}));
  dlg.ListRows(dlg.Rows(), CQuillonDlg::ExecutedRun{});
  dlg.OnFilesDropped(Paths(dir, {"b.jpg"}));
  EXPECT_EQ(Rows(), std::vector<std::u16string>{u"a.jpg"});
}

TEST(UpdateControls, FollowsTheRenamingState) {
  MemoryFileSystem fs;
  MemoryDir dir(fs);
  dir.Write("a.jpg");
  const std::vector<std::u16string> files{u"a.jpg"};
  FakeDialog ui;
  CQuillonDlg dlg(fs, ui);
  using C = ControlId;
  struct Case {
    const char* state;
    std::function<void()> set;
    bool nameField, generate, execute, refresh, undo, drops;
  } cases[] = {
      {"no files", [] {}, false, false, false, false, false, true},
      {"files, no names", [&] { ListNames(dlg, dir.Path(), files); }, true, false, false, false,
       false, true},
      {"with text", [&] { ui.nameField = u"x1"; }, true, true, false, false, false, true},
      {"names rejected",
       [&] {
         ListNames(dlg, dir.Path(), files, {u"x:1"});
         dlg.ValidateNewNames();
       },
       true, true, false, true, false, true},
      {"names accepted",
       [&] {
         ListNames(dlg, dir.Path(), files, {u"x1"});
         dlg.ValidateNewNames();
       },
       true, true, true, true, false, true},
      {"executed", [&] { dlg.ListRows(dlg.Rows(), CQuillonDlg::ExecutedRun{}); }, false, false,
       false, false, true, false},
  };
  for (const Case& c : cases) {
    c.set();
    dlg.UpdateControls();
    EXPECT_EQ(ui.Enabled(C::kNameField), c.nameField) << c.state;
    EXPECT_EQ(ui.Enabled(C::kGenerate), c.generate) << c.state;
    EXPECT_EQ(ui.Enabled(C::kExecute), c.execute) << c.state;
    EXPECT_EQ(ui.Enabled(C::kRefresh), c.refresh) << c.state;
    EXPECT_EQ(ui.Enabled(C::kUndo), c.undo) << c.state;
    EXPECT_EQ(ui.acceptDrops, c.drops) << c.state;
  }
}

TEST(ResetList, AsksOnlyWhenUnexecutedWorkWouldBeLost) {
  MemoryFileSystem fs;
  FakeDialog ui;
  CQuillonDlg dlg(fs, ui);
  dlg.ResetList();  // empty: no question
  EXPECT_TRUE(ui.questions.empty());

  ListNames(dlg, u"/tmp", {u"a.jpg"});
  ui.answers = {false};
  dlg.ResetList();
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(dlg.Files().size(), 1u);  // Cancel keeps everything

  FileRows executed = dlg.Rows();
  executed.SetCurrentNames({u"b.jpg"});
  dlg.ListRows(std::move(executed), CQuillonDlg::ExecutedRun{});
  dlg.ResetList();  // after an execution: no question
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_TRUE(dlg.Files().empty());
  EXPECT_TRUE(dlg.CurrentNames().empty());
  EXPECT_FALSE(dlg.Executed());
  EXPECT_TRUE(ui.acceptDrops);
  EXPECT_FALSE(ui.Enabled(ControlId::kUndo));
}

}  // namespace
}  // namespace quillon
