// Validation of new names: the stages, their order, the verdicts and the
// messages, on the memory file system.
#include <gtest/gtest.h>

#include <optional>
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

std::u16string Repeat(std::u16string_view piece, std::size_t times) {
  std::u16string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

class ValidationTest : public ::testing::Test {
 protected:
  // Creates the files and drops them onto the list (natural order).
  void List(std::initializer_list<const char*> names) {
    std::vector<std::u16string> paths;
    for (const char* name : names) {
      dir.Write(name);
      paths.push_back(dir.PathOf(name));
    }
    dlg.OnFilesDropped(paths);
    ASSERT_EQ(dialog.rows.size(), names.size());
  }

  bool Validate(std::vector<std::u16string> newNames) {
    WithNewNames(dlg, std::move(newNames));
    dialog.messages.clear();
    return dlg.ValidateNewNames();
  }

  std::vector<std::u16string> Verdicts() const { return dialog.Column(kResultColumn); }

  MemoryFileSystem fs;
  MemoryDir dir{fs};
  FakeDialog dialog;
  CQuillonDlg dlg{fs, dialog};
};

using Texts = std::vector<std::u16string>;
using Messages = std::vector<std::u16string>;

// --- One name on one row: what each stage accepts ---------------------------

struct NameCase {
  const char* file;
  std::u16string newName;  // without the file's extension
  std::u16string verdict;  // empty: passes
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.file << " <- " << c.newName.size();
}

class SingleNameTest : public ValidationTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(SingleNameTest, GetsItsVerdictAndAtMostOneMessage) {
  const NameCase& c = GetParam();
  List({c.file});
  const bool passed = Validate({c.newName});
  EXPECT_EQ(Verdicts(), Texts{c.verdict});
  EXPECT_EQ(passed, c.verdict.empty());
  EXPECT_EQ(dlg.Invalid(), !passed);
  EXPECT_EQ(dialog.messages.size(), passed ? 0u : 1u);
}

const std::u16string kUnusable = str::kVerdictUnusable;
const std::u16string kExtension = str::kVerdictExtension;
const std::u16string kDuplicate = str::kVerdictDuplicate;
const std::u16string kMissing = str::kVerdictMissing;

INSTANTIATE_TEST_SUITE_P(
    Stage1, SingleNameTest,
    ::testing::Values(NameCase{"a.txt", u"x:1", kUnusable}, NameCase{"a.txt", u"a\\b", kUnusable},
                      NameCase{"a.txt", u"a/b", kUnusable}, NameCase{"a.txt", u"a*", kUnusable},
                      NameCase{"a.txt", u"a?", kUnusable}, NameCase{"a.txt", u"\"a\"", kUnusable},
                      NameCase{"a.txt", u"<a", kUnusable}, NameCase{"a.txt", u"a>", kUnusable},
                      NameCase{"a.txt", u"a|b", kUnusable}, NameCase{"a.txt", u"a\tb", kUnusable},
                      NameCase{"a.txt", u"\x1F", kUnusable},
                      NameCase{"a.txt", std::u16string(1, u'\0'), kUnusable},
                      NameCase{"a.txt", u"a\x7F", u""},  // DEL is not a control code of the table
                      NameCase{"data", u"", kUnusable},
                      NameCase{"data.csv", u"", u""},  // ".csv" is a name
                      NameCase{"data", u".", kUnusable}, NameCase{"data", u"..", kUnusable},
                      NameCase{"data.csv", u"...", u""}, NameCase{"data", u"CON", u""},
                      NameCase{"data", u"trailing ", u""},
                      NameCase{"data", u"\u5199\u771F\uFF11", u""},
                      NameCase{"data", u"\U0001F600", u""},
                      // A lone surrogate has no encoding on disk.
                      NameCase{"data", std::u16string(u"a") + char16_t{0xD800}, kUnusable},
                      NameCase{"data", std::u16string(1, char16_t{0xDFFF}), kUnusable}));

INSTANTIATE_TEST_SUITE_P(Stage2, SingleNameTest,
                         ::testing::Values(NameCase{"README", u"ver1.5", kExtension},
                                           NameCase{"README", u"...", kExtension},
                                           NameCase{"README", u".hidden", kExtension},
                                           NameCase{"data", u"img1.jpg", kExtension},
                                           NameCase{"a.png", u"img1.jpg", u""},  // img1.jpg.png
                                           NameCase{"a.JPG", u"b", u""}));

// --- Order of the stages ------------------------------------------------------

TEST_F(ValidationTest, UnusableNameHidesEveryLaterStage) {
  List({"a.txt", "b.txt", "README"});
  dir.Remove("b.txt");
  const int openedBefore = fs.opens;
  EXPECT_FALSE(Validate({u"x:1", u"dup", u"v1.5"}));  // + a clash, a change of extension, a gap
  EXPECT_EQ(Verdicts(), (Texts{kUnusable, u"", u""}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgUnusable});
  EXPECT_TRUE(dlg.Invalid());
  EXPECT_LE(fs.opens - openedBefore, 1);  // the limit only; no listing
}

TEST_F(ValidationTest, TypedNameWithColonMarksEveryRowWithOneMessage) {
  List({"a.txt", "b.txt"});
  EXPECT_FALSE(Validate({u"x:1", u"x:2"}));
  EXPECT_EQ(Verdicts(), (Texts{kUnusable, kUnusable}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgUnusable});
}

TEST_F(ValidationTest, ExtensionChangeHidesTheDirectoryCheck) {
  List({"a.txt", "b.txt", "README"});
  dir.Remove("a.txt");
  EXPECT_FALSE(Validate({u"same", u"SAME", u"v1.5"}));
  EXPECT_EQ(Verdicts(), (Texts{u"", u"", kExtension}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgExtension});
}

TEST_F(ValidationTest, MissingSourceHidesClashes) {
  List({"a", "b", "c"});
  dir.Remove("c");
  EXPECT_FALSE(Validate({u"n", u"n", u"m"}));
  EXPECT_EQ(Verdicts(), (Texts{u"", u"", kMissing}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgMissing});
}

TEST_F(ValidationTest, ClashesWithEachOtherAndWithUnlistedEntries) {
  List({"1.txt", "2.txt", "3.txt", "4.txt"});
  dir.Write("taken.txt");
  dir.MakeDir("folder.txt");
  EXPECT_FALSE(Validate({u"A1", u"a1", u"TAKEN", u"Folder"}));
  EXPECT_EQ(Verdicts(), (Texts{kDuplicate, kDuplicate, kDuplicate, kDuplicate}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgDuplicate});
}

TEST_F(ValidationTest, OldNamesOfOtherRowsAreFreeToTake) {
  List({"1.jpg", "2.jpg", "3.jpg"});
  EXPECT_TRUE(Validate({u"2", u"3", u"4"}));
  EXPECT_TRUE(Validate({u"3", u"1", u"2"}));
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_FALSE(dlg.Invalid());
}

TEST_F(ValidationTest, WithoutNewNamesOnlyMissingSourcesAreFound) {
  List({"a", "b"});
  EXPECT_TRUE(Validate({}));
  dir.Remove("b");
  EXPECT_FALSE(Validate({}));
  EXPECT_EQ(Verdicts(), (Texts{u"", kMissing}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgMissing});
}

TEST_F(ValidationTest, EveryRunStartsFromAnEmptyResultColumn) {
  List({"a", "b"});
  EXPECT_FALSE(Validate({u"x", u"X"}));
  EXPECT_EQ(Verdicts(), (Texts{kDuplicate, kDuplicate}));
  EXPECT_TRUE(Validate({u"x", u"y"}));
  EXPECT_EQ(Verdicts(), (Texts{u"", u""}));
  EXPECT_FALSE(dlg.Invalid());
}

// --- Length limits ------------------------------------------------------------

TEST_F(ValidationTest, FullNameOf255UnitsPassesAnd256DoNot) {
  List({"f.txt", "g.txt"});
  // 251 + ".txt" = 255 ASCII characters: 255 units and 255 bytes.
  EXPECT_TRUE(Validate({Repeat(u"a", 251), Repeat(u"b", 250)}));
  EXPECT_FALSE(Validate({Repeat(u"a", 252), Repeat(u"b", 250)}));
  EXPECT_EQ(Verdicts(), (Texts{kUnusable, u""}));
}

TEST_F(ValidationTest, UnitCountingFileSystemTakes255UnitsOfAnyScript) {
  fs.nameLimit = NameLimit{NameLimit::kNoLimit, 255};  // like exFAT or NTFS
  List({"data", "more"});
  EXPECT_TRUE(Validate({Repeat(u"\u3042", 255), Repeat(u"\U0001F600", 127) + u"a"}));
  EXPECT_FALSE(Validate({Repeat(u"\u3042", 256), Repeat(u"\U0001F600", 128)}));
  EXPECT_EQ(Verdicts(), (Texts{kUnusable, kUnusable}));
}

TEST_F(ValidationTest, A255UnitRuleHoldsEvenWhereTheDirectoryAllowsMore) {
  fs.nameLimit = NameLimit{1024, NameLimit::kNoLimit};
  List({"data"});
  EXPECT_FALSE(Validate({Repeat(u"a", 256)}));
  EXPECT_EQ(Verdicts(), Texts{kUnusable});
}

TEST_F(ValidationTest, ByteCountingDirectoryRejectsLongJapaneseNames) {
  fs.nameLimit = NameLimit{255, NameLimit::kNoLimit};  // like ext4 or tmpfs
  List({"a.txt", "data"});
  // 100 kana are 100 units but 300 bytes (+ 4 for the extension).
  EXPECT_FALSE(Validate({Repeat(u"\u5199", 100), u"b"}));
  EXPECT_EQ(Verdicts(), (Texts{kUnusable, u""}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgUnusable});
  // 85 kana are exactly 255 bytes; one more byte is too many.
  EXPECT_TRUE(Validate({u"b", Repeat(u"\u3042", 85)}));
  EXPECT_FALSE(Validate({u"b", Repeat(u"\u3042", 85) + u"x"}));
  EXPECT_EQ(Verdicts(), (Texts{u"", kUnusable}));
}

TEST_F(ValidationTest, VanishedDirectoryLeavesOnlyTheUnitRule) {
  ListNames(dlg, dir.PathOf("gone"), {u"data"});
  EXPECT_FALSE(Validate({Repeat(u"\u3042", 255)}));  // 765 bytes, but no limit is known
  EXPECT_EQ(Verdicts(), Texts{kMissing});
  EXPECT_EQ(dialog.messages, Messages{str::kMsgMissing});
}

// --- Refresh --------------------------------------------------------------------

TEST_F(ValidationTest, RefreshClearsAClashOnceTheBlockingFileIsGone) {
  List({"a.jpg", "b.jpg"});
  dir.Write("x2.jpg");
  Validate({u"x1", u"x2"});
  dlg.UpdateControls();
  EXPECT_EQ(Verdicts(), (Texts{u"", kDuplicate}));
  EXPECT_FALSE(dialog.Enabled(ControlId::kExecute));

  dir.Remove("x2.jpg");
  dialog.messages.clear();
  dlg.RefreshList();
  EXPECT_EQ(Verdicts(), (Texts{u"", u""}));
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_TRUE(dialog.Enabled(ControlId::kExecute));
}

TEST_F(ValidationTest, RefreshMarksAFileRemovedBehindOurBack) {
  List({"a.jpg", "b.jpg"});
  Validate({u"x1", u"x2"});
  dlg.UpdateControls();
  EXPECT_TRUE(dialog.Enabled(ControlId::kExecute));
  dir.Remove("a.jpg");
  dlg.RefreshList();
  EXPECT_EQ(Verdicts(), (Texts{kMissing, u""}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgMissing});
  EXPECT_FALSE(dialog.Enabled(ControlId::kExecute));
}

TEST_F(ValidationTest, RefreshDoesNothingWithoutNamesOrAfterExecution) {
  List({"a.jpg"});
  dir.Remove("a.jpg");
  const int openedBefore = fs.opens;
  dlg.RefreshList();  // no new names yet
  WithNewNames(dlg, {u"x"});
  SetExecuted(dlg, true);
  dlg.RefreshList();
  EXPECT_EQ(fs.opens, openedBefore);
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_EQ(Verdicts(), Texts{u""});
}

}  // namespace
}  // namespace quillon
