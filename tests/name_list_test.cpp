// Name lists on the clipboard and the list's row commands, through the
// logic with a scripted dialog and the memory file system.
#include "names/name_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
using testing::SetExecuted;
using testing::U;
using testing::WithNewNames;

using Lines = std::vector<std::u16string_view>;

TEST(NameList, LinesEndAtAnyLineBreakAndALastLineCountsWithoutOne) {
  const struct {
    std::u16string_view text;
    Lines lines;
  } cases[] = {
      {u"", {}},
      {u"a\r\nb\r\n", {u"a", u"b"}},
      {u"a\r\nb", {u"a", u"b"}},
      {u"one", {u"one"}},
      {u"a\rb\nc\r\nd", {u"a", u"b", u"c", u"d"}},
      {u"\r\n", {u""}},
      {u"a\n\r\nb\r\r\n", {u"a", u"", u"b", u""}},
      {u"\n\n", {u"", u""}},
      {std::u16string_view(u"a\r\nb\0c\r\n", 8), {u"a", u"b"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitNameLines(c.text), c.lines) << EncodeName(c.text).value_or("?");
}

TEST(NameList, CopiedTextEndsEveryNameWithCrLf) {
  EXPECT_EQ(FormatNameList({u"a", u"", u"写真 1.jpg"}), u"a\r\n\r\n写真 1.jpg\r\n");
  EXPECT_EQ(FormatNameList({}), u"");
}

TEST(NameList, TrimsWhiteSpaceOfEveryKindAtBothEndsOnly) {
  EXPECT_EQ(TrimNameListSpace(u"\t \u3000\u00A0\u0085a b\u3000c\u2003\v\f "), u"a b\u3000c");
  EXPECT_EQ(TrimNameListSpace(u" \u3000 "), u"");
  // Not white space: a zero-width space and a lone surrogate stay.
  EXPECT_EQ(TrimNameListSpace(u"\u200Bx\xDC80"), u"\u200Bx\xDC80");
}

// Three files of a directory on the list.
class RowCommands : public ::testing::Test {
 protected:
  RowCommands() {
    for (const char* name : {"photo.JPG", "b.txt", "c"}) dir.Write(name);
    dlg.OnFilesDropped({dir.PathOf("photo.JPG"), dir.PathOf("b.txt"), dir.PathOf("c")});
    ui.messages.clear();
  }

  void Paste(std::u16string text) {
    ui.clipboard = std::move(text);
    dlg.PasteNewNames();
  }

  MemoryFileSystem fs;
  MemoryDir dir{fs};
  FakeDialog ui;
  CQuillonDlg dlg{fs, ui};
};

TEST_F(RowCommands, PastedListsAreAppliedOrRefusedWhole) {
  using Names = std::vector<std::u16string>;
  const Names before = {u"keep1", u"keep2", u"keep3"};
  const struct {
    const char* what;
    std::u16string text;
    Names names;  // empty: refused, the earlier names stay
    std::u16string_view message;
  } cases[] = {
      {"own extension in any case", u"x.TXT\r\ny\r\nTrip.jpg\r\n", {u"x", u"y", u"Trip"}, u""},
      {"other extension stays", u"x\r\ny\r\nTrip.png\r\n", {u"x", u"y", u"Trip.png"}, u""},
      {"no final line break", u"a\r\nb\r\nc", {u"a", u"b", u"c"}, u""},
      {"mixed line breaks", u"a\rb\nc\r\n", {u"a", u"b", u"c"}, u""},
      {"white space trimmed", u" a b\t\r\n\u3000b\u3000\r\nc\u00A0\r\n", {u"a b", u"b", u"c"}, u""},
      {"empty line in the middle", u"a\r\n\r\nc\r\n", {u"a", u"", u"c"}, u""},
      {"surplus empty lines", u"a\r\nb\r\nc\r\n\r\n \t\r\n", {u"a", u"b", u"c"}, u""},
      {"too few", u"a\r\nb\r\n", {}, str::kTooFewNames},
      {"too few after a NUL", std::u16string(u"a\r\nb\0c\r\n", 8), {}, str::kTooFewNames},
      {"too many", u"a\nb\nc\nd\n", {}, str::kTooManyNames},
      {"a name only as extension", u".TXT\r\n\r\n.jpg\r\n", {u"", u"", u""}, u""},
  };
  for (const auto& c : cases) {
    WithNewNames(dlg, before);
    ui.messages.clear();
    Paste(c.text);
    EXPECT_EQ(dlg.NewNames(), c.names.empty() ? before : c.names) << c.what;
    if (c.message.empty()) {
      EXPECT_TRUE(ui.messages.empty() || ui.messages[0] != str::kTooFewNames) << c.what;
    } else {
      EXPECT_EQ(ui.messages, std::vector<std::u16string>{std::u16string(c.message)}) << c.what;
    }
  }
}

TEST_F(RowCommands, AnAcceptedPasteShowsTheFullNamesAndValidatesThem) {
  // Rows in natural order: b.txt, c, photo.JPG.
  Paste(u"x1\r\nz\r\nx1\r\n");
  EXPECT_EQ(ui.Column(kNewNameColumn), (std::vector<std::u16string>{u"x1.txt", u"z", u"x1.JPG"}));
  // Different extensions make different names; nothing clashes.
  EXPECT_EQ(ui.Column(kResultColumn), (std::vector<std::u16string>{u"", u"", u""}));
  EXPECT_TRUE(ui.Enabled(ControlId::kExecute));

  dir.Write("other.JPG");
  Paste(u"p\r\nq\r\nOTHER.jpg\r\n");
  EXPECT_EQ(ui.Column(kResultColumn), (std::vector<std::u16string>{u"", u"", u"×重複"}));
  EXPECT_EQ(ui.shownRows.back(), 2);
  EXPECT_FALSE(ui.Enabled(ControlId::kExecute));
}

TEST_F(RowCommands, NothingHappensWithoutTextOrRowsOrAfterExecution) {
  ui.clipboard.reset();
  dlg.PasteNewNames();
  Paste(u"");
  EXPECT_TRUE(dlg.NewNames().empty());
  SetExecuted(dlg, true);
  Paste(u"a\r\nb\r\nc\r\n");
  EXPECT_TRUE(dlg.NewNames().empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RowCommands, CopyCommandsWriteEveryRowAndPastingNewNamesBackChangesNothing) {
  Paste(u"Trip\r\n  spaced name \r\n\r\n");
  const struct {
    MenuCommand command;
    std::u16string text;
  } cases[] = {
      {MenuCommand::kCopyOldBase, u"b\r\nc\r\nphoto\r\n"},
      {MenuCommand::kCopyOldFull, u"b.txt\r\nc\r\nphoto.JPG\r\n"},
      {MenuCommand::kCopyNewBase, u"Trip\r\nspaced name\r\n\r\n"},
      {MenuCommand::kCopyNewFull, u"Trip.txt\r\nspaced name\r\n.JPG\r\n"},
  };
  ui.selection = {};  // the whole list is copied, whatever is selected
  for (const auto& c : cases) {
    dlg.OnMenuCommand(c.command);
    EXPECT_EQ(ui.clipboard, c.text);
  }
  const auto names = dlg.NewNames();
  dlg.PasteNewNames();  // the new names with extension, as copied last
  EXPECT_EQ(dlg.NewNames(), names);

  ui.clipboardWritable = false;
  dlg.OnMenuCommand(MenuCommand::kCopyOldFull);
  EXPECT_EQ(ui.messages.back(), str::kClipboardWriteFailed);
}

TEST_F(RowCommands, MenuItemsAreEnabledByState) {
  using M = MenuCommand;
  const M all[] = {M::kOpen,        M::kCopyOldBase, M::kCopyOldFull, M::kCopyNewBase,
                   M::kCopyNewFull, M::kPaste,       M::kDelete,      M::kRefresh};
  const auto enabled = [&](bool clipboard, bool selection) {
    std::string flags;
    for (M command : all)
      flags += dlg.IsMenuCommandEnabled(command, clipboard, selection) ? '1' : '0';
    return flags;
  };
  // Order: open, copy old x2, copy new x2, paste, delete, refresh.
  EXPECT_EQ(enabled(false, false), "01100000");
  EXPECT_EQ(enabled(true, true), "11100110");
  WithNewNames(dlg, {u"a", u"b", u"c"});
  EXPECT_EQ(enabled(false, false), "01111001");
  EXPECT_EQ(enabled(true, true), "11111111");
  SetExecuted(dlg, true);
  EXPECT_EQ(enabled(true, true), "11111000");
  SetExecuted(dlg, false);
  dlg.ListRows(FileRows());
  EXPECT_EQ(enabled(true, true), "00000000");
}

TEST_F(RowCommands, DeletingRowsKeepsTheOthersAlignedAndTheLastOneResets) {
  dir.Write("d.txt");
  dir.Write("e.txt");
  dlg.OnFilesDropped({dir.PathOf("d.txt"), dir.PathOf("e.txt")});
  // Rows: b.txt c d.txt e.txt photo.JPG
  Paste(u"n0\r\nn1\r\nn2\r\nn3\r\nn4\r\n");
  ui.selection = {3, 1};
  dlg.OnMenuCommand(MenuCommand::kDelete);
  EXPECT_EQ(dlg.NewNames(), (std::vector<std::u16string>{u"n0", u"n2", u"n4"}));
  EXPECT_EQ(ui.Column(kOldNameColumn),
            (std::vector<std::u16string>{u"b.txt", u"d.txt", u"photo.JPG"}));
  EXPECT_EQ(dlg.Files()[1]->m_name, u"d.txt");

  // Verdicts are those of the rows that remain.
  dir.Remove("d.txt");
  ui.selection = {0};
  dlg.DeleteSelectedRows();
  EXPECT_EQ(ui.Column(kResultColumn), (std::vector<std::u16string>{u"×元ファイルなし", u""}));

  SetExecuted(dlg, true);
  dlg.DeleteSelectedRows();  // refused after an execution, also by key
  EXPECT_EQ(dlg.Files().size(), 2u);
  SetExecuted(dlg, false);

  ui.selection = {0, 1};
  dlg.DeleteSelectedRows();
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_TRUE(dlg.Files().empty() && dlg.NewNames().empty() && dlg.Directory().empty());
  EXPECT_TRUE(ui.rows.empty());
  EXPECT_EQ(ui.directoryText, u"");
  EXPECT_TRUE(ui.acceptDrops);
  EXPECT_FALSE(ui.Enabled(ControlId::kNameField));
  EXPECT_FALSE(ui.Enabled(ControlId::kRefresh));
}

TEST_F(RowCommands, OpenAndEnterUseTheOldNamesOrOnceExecutedTheNewOnes) {
  ui.selection = {2, 0};
  dlg.OnOK(FocusArea::kFileList);
  dlg.OnOK(FocusArea::kOther);
  EXPECT_EQ(ui.opened, (std::vector<std::u16string>{dir.PathOf("b.txt"), dir.PathOf("photo.JPG")}));

  ui.nameField = u"t1";
  dlg.OnOK(FocusArea::kNameField);
  EXPECT_EQ(dlg.NewNames(), (std::vector<std::u16string>{u"t1", u"t2", u"t3"}));
  dlg.OnExecute();
  ui.opened.clear();
  ui.selection = {1};
  dlg.OnMenuCommand(MenuCommand::kOpen);
  EXPECT_EQ(ui.opened, std::vector<std::u16string>{dir.PathOf("t2")});
  ui.selection = {};
  dlg.OpenSelectedFiles();
  EXPECT_EQ(ui.opened.size(), 1u);
}

TEST_F(RowCommands, ResetWithOkEmptiesEverythingAndTakesDropsFromAnywhere) {
  Paste(u"a\r\nb\r\nc\r\n");
  ui.answers = {true};
  dlg.ResetList();
  EXPECT_EQ(ui.questions, std::vector<std::u16string>{str::kConfirmReset});
  EXPECT_TRUE(dlg.Files().empty() && dlg.NewNames().empty() && dlg.Directory().empty());
  EXPECT_TRUE(ui.rows.empty());
  EXPECT_EQ(ui.directoryText, u"");
  EXPECT_TRUE(ui.acceptDrops);
  MemoryDir other(fs);
  other.Write("z.png");
  dlg.OnFilesDropped({other.PathOf("z.png")});
  EXPECT_EQ(dlg.Directory(), other.Path());
}

TEST(RowCommandsAtScale, HugeSelectionsAndClipboardsStayLinear) {
  MemoryFileSystem fs;
  FakeDialog ui;
  CQuillonDlg dlg(fs, ui);
  MemoryDir dir(fs);
  constexpr int kRows = 100000;
  std::vector<std::u16string> names;
  for (int i = 0; i < kRows; ++i) {
    names.push_back(U("f" + std::to_string(i) + ".txt"));
    if (i % 2 == 1) ui.selection.push_back(i);
  }
  ListNames(dlg, dir.Path(), names);
  dlg.DeleteSelectedRows();
  ASSERT_EQ(dlg.Files().size(), static_cast<std::size_t>(kRows / 2));
  EXPECT_EQ(dlg.Files().back()->m_name, u"f99998.txt");
  EXPECT_EQ(ui.rows.size(), dlg.Files().size());

  // Megabytes of text: refused as too many without holding every line.
  std::u16string text;
  for (int i = 0; i < 400000; ++i) text += u"name\r\n";
  ui.messages.clear();
  ui.clipboard = text;
  dlg.PasteNewNames();
  EXPECT_EQ(ui.messages, std::vector<std::u16string>{str::kTooManyNames});
}

}  // namespace
}  // namespace quillon
