// Sequence generation: the typed number counts up per row as a digit
// sequence, each row keeping its own extension.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "resources/strings.h"
#include "tests/fake_dialog.h"
#include "tests/support/memory_file_system.h"

namespace quillon {
namespace {

using testing::FakeDialog;
using testing::MemoryDir;
using testing::MemoryFileSystem;
using testing::U;

// Counts how the new-name column is written.
class CountingDialog : public FakeDialog {
 public:
  void SetCellText(int row, int column, std::u16string_view text) override {
    if (column == kNewNameColumn) ++newNameCellWrites;
    FakeDialog::SetCellText(row, column, text);
  }
  void SetColumnTexts(int column, std::vector<std::u16string> texts) override {
    if (column == kNewNameColumn) ++newNameColumnWrites;
    FakeDialog::SetColumnTexts(column, std::move(texts));
  }
  int newNameCellWrites = 0;
  int newNameColumnWrites = 0;
};

using Texts = std::vector<std::u16string>;
using Messages = std::vector<std::u16string>;

class GenerationTest : public ::testing::Test {
 protected:
  void List(const std::vector<std::string>& names) {
    std::vector<std::u16string> paths;
    for (const auto& name : names) {
      dir.Write(name);
      paths.push_back(dir.PathOf(name));
    }
    dlg.OnFilesDropped(paths);
    ASSERT_EQ(dialog.rows.size(), names.size());
  }
  // n photos that sort in creation order.
  void ListPhotos(int n) {
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "p%05d.jpg", i);
      names.push_back(name);
    }
    List(names);
  }
  void Generate(std::u16string typed) {
    dialog.nameField = std::move(typed);
    dlg.GenerateNames();
  }

  MemoryFileSystem fs;
  MemoryDir dir{fs};
  CountingDialog dialog;
  CQuillonDlg dlg{fs, dialog};
};

// --- The width table ------------------------------------------------------------

struct WidthCase {
  std::u16string typed;
  int rows;
  std::map<int, std::u16string> expected;  // row -> name without extension
};

void PrintTo(const WidthCase& c, std::ostream* os) {
  *os << c.rows << " rows";
}

class WidthTest : public GenerationTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(WidthTest, NumberKeepsItsWidthAndCarries) {
  const WidthCase& c = GetParam();
  ListPhotos(c.rows);
  Generate(u"img" + c.typed);
  ASSERT_EQ(dlg.NewNames().size(), static_cast<std::size_t>(c.rows));
  for (const auto& [row, name] : c.expected) {
    EXPECT_EQ(dlg.NewNames()[row], u"img" + name) << "row " << row;
    EXPECT_EQ(dialog.rows[row].cells[kNewNameColumn], u"img" + name + u".jpg") << "row " << row;
  }
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_FALSE(dlg.Invalid());
}

std::u16string Digits(char16_t digit, int count) {
  return std::u16string(count, digit);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WidthTest,
    ::testing::Values(
        WidthCase{u"1", 11, {{0, u"1"}, {1, u"2"}, {8, u"9"}, {9, u"10"}, {10, u"11"}}},
        WidthCase{u"001",
                  1000,
                  {{0, u"001"},
                   {1, u"002"},
                   {8, u"009"},
                   {9, u"010"},
                   {98, u"099"},
                   {99, u"100"},
                   {998, u"999"},
                   {999, u"1000"}}},
        WidthCase{u"09", 3, {{0, u"09"}, {1, u"10"}, {2, u"11"}}},
        WidthCase{u"99", 3, {{0, u"99"}, {1, u"100"}, {2, u"101"}}},
        WidthCase{u"0", 3, {{0, u"0"}, {1, u"1"}, {2, u"2"}}},
        WidthCase{u"0099", 3, {{0, u"0099"}, {1, u"0100"}, {2, u"0101"}}},
        WidthCase{u"9", 3, {{0, u"9"}, {1, u"10"}, {2, u"11"}}},
        // Far beyond any machine integer.
        WidthCase{Digits(u'9', 60),
                  3,
                  {{0, Digits(u'9', 60)},
                   {1, u"1" + Digits(u'0', 60)},
                   {2, u"1" + Digits(u'0', 59) + u"1"}}},
        WidthCase{u"0" + Digits(u'9', 59),
                  2,
                  {{0, u"0" + Digits(u'9', 59)}, {1, u"1" + Digits(u'0', 59)}}},
        WidthCase{u"123456789012345678901234567890123456789012345678901234567890",
                  2,
                  {{1, u"123456789012345678901234567890123456789012345678901234567891"}}}));

// --- The typed text -------------------------------------------------------------

TEST_F(GenerationTest, ThreePhotosGetTheSeriesAndMayBeExecuted) {
  List({"DSC_9.jpg", "DSC_10.jpg", "DSC_11.jpg"});
  Generate(u"trip_001");
  EXPECT_EQ(dlg.NewNames(), (Texts{u"trip_001", u"trip_002", u"trip_003"}));
  EXPECT_EQ(dialog.Column(kNewNameColumn),
            (Texts{u"trip_001.jpg", u"trip_002.jpg", u"trip_003.jpg"}));
  EXPECT_EQ(dialog.Column(kResultColumn), (Texts{u"", u"", u""}));
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_TRUE(dialog.Enabled(ControlId::kExecute));
  EXPECT_TRUE(dialog.Enabled(ControlId::kRefresh));
  // One write for the whole column, however many rows.
  EXPECT_EQ(dialog.newNameColumnWrites, 1);
  EXPECT_EQ(dialog.newNameCellWrites, 0);
}

TEST_F(GenerationTest, LastDigitRunIsTheNumber) {
  List({"a", "b", "c"});
  Generate(u"a1b22c");
  EXPECT_EQ(dlg.NewNames(), (Texts{u"a1b22c", u"a1b23c", u"a1b24c"}));
  Generate(u"2023_trip_05");
  EXPECT_EQ(dlg.NewNames(), (Texts{u"2023_trip_05", u"2023_trip_06", u"2023_trip_07"}));
  // Full-width digits are text, even after the half-width number.
  Generate(u"x8\uFF19");
  EXPECT_EQ(dlg.NewNames(), (Texts{u"x8\uFF19", u"x9\uFF19", u"x10\uFF19"}));
}

TEST_F(GenerationTest, EachRowKeepsItsOwnExtension) {
  List({"a.jpg", "b.JPG", "c"});
  Generate(u"x1");
  EXPECT_EQ(dlg.NewNames(), (Texts{u"x1", u"x2", u"x3"}));
  EXPECT_EQ(dialog.Column(kNewNameColumn), (Texts{u"x1.jpg", u"x2.JPG", u"x3"}));
  EXPECT_TRUE(dialog.Enabled(ControlId::kExecute));
}

TEST_F(GenerationTest, TypedTextIsUsedUnchangedAndJudgedByValidation) {
  List({"a.png", "data"});
  Generate(u" img001.jpg ");
  EXPECT_EQ(dialog.Column(kNewNameColumn), (Texts{u" img001.jpg .png", u" img002.jpg "}));
  EXPECT_EQ(dialog.Column(kResultColumn), (Texts{u"", str::kVerdictExtension}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgExtension});
  EXPECT_FALSE(dialog.Enabled(ControlId::kExecute));
}

TEST_F(GenerationTest, UnusableNameMarksEveryRowWithOneMessage) {
  List({"a.txt", "b.txt"});
  Generate(u"x:1");
  EXPECT_EQ(dialog.Column(kNewNameColumn), (Texts{u"x:1.txt", u"x:2.txt"}));
  EXPECT_EQ(dialog.Column(kResultColumn), (Texts{str::kVerdictUnusable, str::kVerdictUnusable}));
  EXPECT_EQ(dialog.messages, Messages{str::kMsgUnusable});
  EXPECT_FALSE(dialog.Enabled(ControlId::kExecute));
  EXPECT_TRUE(dialog.Enabled(ControlId::kRefresh));
}

TEST_F(GenerationTest, RunningAgainReplacesEveryName) {
  List({"a", "b"});
  Generate(u"x:1");
  Generate(u"y7");
  EXPECT_EQ(dlg.NewNames(), (Texts{u"y7", u"y8"}));
  EXPECT_EQ(dialog.Column(kNewNameColumn), (Texts{u"y7", u"y8"}));
  EXPECT_EQ(dialog.Column(kResultColumn), (Texts{u"", u""}));
  EXPECT_FALSE(dlg.Invalid());
}

class NoDigitTest : public GenerationTest, public ::testing::WithParamInterface<std::u16string> {};

TEST_P(NoDigitTest, ShowsTheMessageAndChangesNothing) {
  List({"a.jpg", "b.jpg"});
  Generate(u"x1");
  dialog.SetCellText(0, kResultColumn, u"kept");
  dialog.messages.clear();
  dialog.newNameColumnWrites = 0;

  dialog.nameField = GetParam();
  dlg.UpdateControls();
  EXPECT_TRUE(dialog.Enabled(ControlId::kGenerate));  // any text, even spaces, enables it
  dlg.GenerateNames();
  EXPECT_EQ(dialog.messages, Messages{str::kNeedDigits});
  EXPECT_EQ(dlg.NewNames(), (Texts{u"x1", u"x2"}));
  EXPECT_EQ(dialog.Column(kNewNameColumn), (Texts{u"x1.jpg", u"x2.jpg"}));
  EXPECT_EQ(dialog.Column(kResultColumn), (Texts{u"kept", u""}));
  EXPECT_EQ(dialog.newNameColumnWrites, 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, NoDigitTest,
                         ::testing::Values(u"report", u"\u30EC\u30DD\u30FC\u30C8\uFF11", u"   ",
                                           u"\u0661\u0662"));  // Arabic-Indic digits

TEST_F(GenerationTest, RefusedSilentlyWhenNotAllowed) {
  Generate(u"x1");  // no rows
  EXPECT_TRUE(dlg.NewNames().empty());

  List({"a", "b"});
  Generate(u"");  // empty field
  EXPECT_TRUE(dlg.NewNames().empty());

  dlg.ListRows(dlg.Rows(), CQuillonDlg::ExecutedRun{});
  Generate(u"x1");
  EXPECT_TRUE(dlg.NewNames().empty());
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_EQ(dialog.newNameColumnWrites, 0);
}

}  // namespace
}  // namespace quillon
