// The order of the rows: by dates, by hand, and what a change of order does
// to the names, the drops and the run.
#include "core/row_order.h"

#include <gtest/gtest.h>

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
using Texts = std::vector<std::u16string>;
using Order = std::vector<std::size_t>;

constexpr std::int32_t kTokyo = 9 * 3600;
constexpr std::int32_t kNewYork = -5 * 3600;

// 2026-08-01 at the given wall-clock time, in seconds and microseconds.
WallTime At(int hour, int minute, int second, std::optional<std::int32_t> offset = std::nullopt,
            int micros = 0) {
  return {CivilMicros(2026, 8, 1, hour, minute, second) + micros, offset};
}

TEST(OrderByDates, FollowsTheCaptureTimeAndFallsBackToTheModificationTime) {
  const auto taken = [](WallTime time) { return FileDates{time, At(23, 0, 0, kTokyo)}; };
  const auto modified = [](WallTime time) { return FileDates{std::nullopt, time}; };
  struct Case {
    const char* what;
    std::vector<FileDates> rows;  // in natural order
    RowOrder order;
    Order expected;
  } cases[] = {
      {"a camera without offset and a phone with one, by the wall clock",
       {taken(At(9, 30, 0)), taken(At(9, 0, 0, kTokyo)), taken(At(9, 15, 0)),
        taken(At(8, 0, 0, kTokyo))},
       RowOrder::kByDateTaken,
       {3, 1, 2, 0}},
      {"every time with its offset: instants",
       {taken(At(10, 0, 0, kTokyo)), taken(At(9, 0, 0, kNewYork))},
       RowOrder::kByDateTaken,
       {0, 1}},
      {"sub-seconds tell a burst apart",
       {taken(At(9, 0, 0, std::nullopt, 500'000)), taken(At(9, 0, 0, std::nullopt, 20'000))},
       RowOrder::kByDateTaken,
       {1, 0}},
      {"no capture time: the modification time among the others",
       {taken(At(9, 0, 0)), modified(At(8, 0, 0, kTokyo)), taken(At(7, 0, 0))},
       RowOrder::kByDateTaken,
       {2, 1, 0}},
      {"equal times keep the natural order",
       {taken(At(9, 0, 0)), taken(At(8, 0, 0)), taken(At(9, 0, 0))},
       RowOrder::kByDateTaken,
       {1, 0, 2}},
      {"a file without any time comes last",
       {FileDates{}, taken(At(9, 0, 0)), FileDates{}},
       RowOrder::kByDateTaken,
       {1, 0, 2}},
      {"by time modified the capture time is not looked at",
       {FileDates{At(1, 0, 0), At(12, 0, 0, kTokyo)}, FileDates{At(2, 0, 0), At(11, 0, 0, kTokyo)}},
       RowOrder::kByTimeModified,
       {1, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(OrderByDates(c.rows, c.order), c.expected) << c.what;
}

TEST(MoveRows, MovesTheSelectionPastItsNeighbourAndStopsAtTheEdges) {
  struct Case {
    std::vector<int> selected;
    int delta;
    Order expected;
    std::vector<int> selectedAfter;
  } cases[] = {
      {{2}, -1, {0, 2, 1, 3, 4}, {1}},       {{2, 3}, -1, {0, 2, 3, 1, 4}, {1, 2}},
      {{1, 3}, +1, {0, 2, 1, 4, 3}, {2, 4}}, {{0, 1, 3}, -1, {0, 1, 3, 2, 4}, {0, 1, 2}},
      {{4}, +1, {0, 1, 2, 3, 4}, {4}},       {{0}, -1, {0, 1, 2, 3, 4}, {0}},
  };
  for (const Case& c : cases) {
    std::vector<int> selected = c.selected;
    EXPECT_EQ(MoveRows(5, &selected, c.delta), c.expected);
    EXPECT_EQ(selected, c.selectedAfter);
  }
}

// Capture times set by a test, in place of a photo's metadata.
class FakeDateReader : public FileDateReader {
 public:
  FileDates Read(std::u16string_view, std::u16string_view name) override {
    ++reads;
    const auto found = dates.find(std::u16string(name));
    return found == dates.end() ? FileDates{} : found->second;
  }
  std::map<std::u16string, FileDates> dates;
  int reads = 0;
};

class RowOrderTest : public ::testing::Test {
 protected:
  // Photos of a camera and a phone, taken alternately.
  RowOrderTest() {
    int minute = 0;
    for (const char* name : {"DSC_0001.JPG", "IMG_0001.jpg", "DSC_0002.JPG", "IMG_0002.jpg"}) {
      dir.Write(name);
      dates.dates[U(name)] = FileDates{At(9, minute++, 0), std::nullopt};
    }
    dlg.OnFilesDropped({dir.PathOf("DSC_0001.JPG"), dir.PathOf("DSC_0002.JPG"),
                        dir.PathOf("IMG_0001.jpg"), dir.PathOf("IMG_0002.jpg")});
  }
  Texts Rows() const { return ui.Column(kOldNameColumn); }

  MemoryFileSystem fs;
  MemoryDir dir{fs};
  FakeDialog ui;
  FakeDateReader dates;
  CQuillonDlg dlg{fs, ui, nullptr, &dates};
};

TEST_F(RowOrderTest, GeneratedNamesFollowTheNewOrderAndExecuteAndUndoThere) {
  ui.nameField = u"trip_001";
  dlg.GenerateNames();
  dlg.OnMenuCommand(MenuCommand::kOrderByDateTaken);
  EXPECT_EQ(Rows(), (Texts{u"DSC_0001.JPG", u"IMG_0001.jpg", u"DSC_0002.JPG", u"IMG_0002.jpg"}));
  EXPECT_EQ(ui.Column(kNewNameColumn),
            (Texts{u"trip_001.JPG", u"trip_002.jpg", u"trip_003.JPG", u"trip_004.jpg"}));
  EXPECT_TRUE(dlg.IsMenuCommandChecked(MenuCommand::kOrderByDateTaken));
  EXPECT_FALSE(dlg.IsMenuCommandChecked(MenuCommand::kOrderByName));

  dlg.OnExecute();
  EXPECT_EQ(dir.Read("trip_002.jpg"), "IMG_0001.jpg");
  EXPECT_EQ(dir.Read("trip_003.JPG"), "DSC_0002.JPG");
  EXPECT_FALSE(dlg.IsMenuCommandEnabled(MenuCommand::kOrderByName, false, true));
  EXPECT_TRUE(dlg.OnUndo());
  EXPECT_EQ(dir.Read("IMG_0001.jpg"), "IMG_0001.jpg");
  EXPECT_EQ(dir.Read("DSC_0002.JPG"), "DSC_0002.JPG");
}

TEST_F(RowOrderTest, MovingByHandKeepsTheSelectionAndEmptiesPastedNames) {
  ui.clipboard = u"a\r\nb\r\nc\r\nd\r\n";
  dlg.PasteNewNames();
  // The order they already stand in moves nothing, and the names stay.
  dlg.OnMenuCommand(MenuCommand::kOrderByName);
  EXPECT_EQ(dlg.NewNames(), (Texts{u"a", u"b", u"c", u"d"}));
  ui.selection = {2, 3};
  dlg.OnMenuCommand(MenuCommand::kMoveUp);
  EXPECT_EQ(Rows(), (Texts{u"DSC_0001.JPG", u"IMG_0001.jpg", u"IMG_0002.jpg", u"DSC_0002.JPG"}));
  EXPECT_EQ(ui.selection, (std::vector<int>{1, 2}));
  EXPECT_TRUE(dlg.NewNames().empty());
  EXPECT_EQ(dlg.CurrentRowOrder(), RowOrder::kByHand);

  // A drop appends its new files in natural order and keeps the rest.
  dir.Write("A.jpg");
  dlg.OnFilesDropped({dir.PathOf("A.jpg"), dir.PathOf("DSC_0002.JPG")});
  EXPECT_EQ(Rows(),
            (Texts{u"DSC_0001.JPG", u"IMG_0001.jpg", u"IMG_0002.jpg", u"DSC_0002.JPG", u"A.jpg"}));

  dlg.OnMenuCommand(MenuCommand::kOrderByName);
  EXPECT_EQ(Rows().front(), u"A.jpg");
  ui.selection = {};
  EXPECT_FALSE(dlg.IsMenuCommandEnabled(MenuCommand::kMoveDown, false, false));
}

TEST_F(RowOrderTest, ADropIntoRowsOrderedByDateTakenTakesItsPlaceAndResetForgetsTheOrder) {
  dlg.OnRowOrder(RowOrder::kByDateTaken);
  dir.Write("PXL_0001.jpg");
  dates.dates[u"PXL_0001.jpg"] = FileDates{At(9, 0, 30), std::nullopt};
  dlg.OnFilesDropped({dir.PathOf("PXL_0001.jpg")});
  EXPECT_EQ(Rows(), (Texts{u"DSC_0001.JPG", u"PXL_0001.jpg", u"IMG_0001.jpg", u"DSC_0002.JPG",
                           u"IMG_0002.jpg"}));
  ui.answers = {true};
  dlg.ResetList();
  EXPECT_EQ(dlg.CurrentRowOrder(), RowOrder::kByName);
}

TEST(RowOrderWithoutDates, OnlyTheNameOrderAndMovesAreOffered) {
  MemoryFileSystem fs;
  MemoryDir dir(fs);
  dir.Write("a.jpg");
  FakeDialog ui;
  CQuillonDlg dlg(fs, ui);
  EXPECT_FALSE(dlg.IsMenuCommandEnabled(MenuCommand::kOrderByName, false, false));
  dlg.OnFilesDropped({dir.PathOf("a.jpg")});
  EXPECT_TRUE(dlg.IsMenuCommandEnabled(MenuCommand::kOrderByName, false, false));
  EXPECT_FALSE(dlg.IsMenuCommandEnabled(MenuCommand::kOrderByDateTaken, false, false));
  EXPECT_TRUE(dlg.IsMenuCommandEnabled(MenuCommand::kMoveUp, false, true));
  EXPECT_TRUE(dlg.IsMenuCommandChecked(MenuCommand::kOrderByName));
}

}  // namespace
}  // namespace quillon
