// The dialog port as both windows answer it: what a list is told of each
// change of the rows, and what the window shows of long work.
#include "window/window_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

class RecordingView : public RowsView, public BusyView {
 public:
  void RowsChanging(const RowChange& change) override { changing.push_back(change); }
  void RowsChanged(const RowChange& change) override { changed.push_back(change); }
  void ScrollTo(int row) override { scrolledTo.push_back(row); }
  std::vector<int> Selection() const override { return selection; }
  void Select(const std::vector<RowSpan>& runs) override { selectedRuns.push_back(runs); }

  void BusyStarted() override { busy += "started "; }
  void ShowProgress(std::size_t done, std::size_t total) override {
    busy += std::to_string(done) + "/" + std::to_string(total) + " ";
  }
  void RepaintWhileBusy() override { busy += "repaint "; }
  void BusyEnded(bool progressShown) override { busy += progressShown ? "ended shown " : "ended "; }

  std::vector<RowChange> changing;
  std::vector<RowChange> changed;
  std::vector<int> scrolledTo;
  std::vector<int> selection;
  std::vector<std::vector<RowSpan>> selectedRuns;
  std::string busy;
};

class NoDesktop : public Clipboard, public Opener {
 public:
  bool SetText(std::u16string_view) override { return false; }
  std::optional<std::u16string> Text() override { return std::nullopt; }
  bool HasText() override { return false; }
  void Open(std::u16string_view) override {}
};

class FakeClock : public Clock {
 public:
  std::uint64_t NowMs() const override { return now; }
  std::uint64_t now = 0;
};

// A window of the port alone: no message boxes, no controls.
class PortOnly : public WindowPort {
 public:
  PortOnly(NoDesktop& desktop, RecordingView& view, const Clock& clock)
      : WindowPort(desktop, desktop, clock) {
    SetRowsView(&view);
    SetBusyView(&view);
  }
  void ShowMessage(std::u16string_view) override {}
  bool AskOkCancel(std::u16string_view) override { return false; }
  void ShowRetryDialog(std::u16string_view) override {}
  void SetDirectoryText(std::u16string_view) override {}
  std::u16string NameFieldText() override { return {}; }
  void SetControlEnabled(ControlId, bool) override {}
  void SetAcceptDrops(bool) override {}
};

class WindowPortTest : public ::testing::Test {
 protected:
  NoDesktop desktop;
  RecordingView view;
  FakeClock clock;
  PortOnly port{desktop, view, clock};
};

TEST_F(WindowPortTest, TheListHearsOfEachChangeBeforeAndAfter) {
  using enum RowChange::Kind;
  std::vector<std::u16string> names(300, u"n");
  port.SetRows(u"/d", names);
  port.SetCellText(299, kResultColumn, u"〇");
  port.SetCellText(300, kResultColumn, u"beyond");
  port.SetColumnTexts(5, names);
  port.ClearColumn(kNewNameColumn);
  port.DeleteRows({10, 11, 12, 20, 400});
  std::vector<int> every2nd;
  for (int row = 0; row < 200; row += 2) every2nd.push_back(row);
  port.DeleteRows(every2nd);
  port.DeleteRows({-1});
  port.EnsureRowVisible(5);
  port.EnsureRowVisible(1000);
  port.DeleteAllRows();

  const std::vector<RowChange> removals = {
      {kReplaced, {}, -1},
      // From the last run to the first; rows that do not exist are passed over.
      {kRemoved, {20, 20}, -1},
      {kRemoved, {10, 12}, -1},
      // Beyond 64 runs, one notice for all of them.
      {kRemovedScattered, {0, 198}, -1},
      {kReplaced, {}, -1},
  };
  EXPECT_EQ(view.changing, removals);
  std::vector<RowChange> changes = removals;
  changes.insert(changes.begin() + 1,
                 {{kCells, {299, 299}, kResultColumn}, {kCells, {0, 299}, kNewNameColumn}});
  EXPECT_EQ(view.changed, changes);
  EXPECT_EQ(view.scrolledTo, std::vector<int>{5});
  EXPECT_EQ(port.Rows().RowCount(), 0);
}

TEST_F(WindowPortTest, SelectedRowsAscendAndAreSelectedInRuns) {
  view.selection = {7, 2, 5};
  EXPECT_EQ(port.SelectedRows(), (std::vector<int>{2, 5, 7}));

  port.SetRows(u"/d", std::vector<std::u16string>(10, u"n"));
  // Rows moved by hand come back in any order; rows beyond the list are
  // passed over, and none at all clears the selection.
  port.SelectRows({5, 3, 4, 9, 12, -1});
  port.SelectRows({});
  EXPECT_EQ(view.selectedRuns, (std::vector<std::vector<RowSpan>>{{{3, 5}, {9, 9}}, {}}));
}

TEST_F(WindowPortTest, LongWorkShowsItsCountOnceItHasLasted) {
  port.BeginProgress(10);
  for (std::size_t done = 1; done <= 3; ++done) {
    clock.now += 300;
    port.SetProgress(done);
  }
  port.BeginProgress(4);  // nested, while the count shows
  port.EndProgress();
  port.EndProgress();
  port.BeginProgress(2);
  clock.now += 100;
  port.SetProgress(2);
  port.EndProgress();
  EXPECT_EQ(view.busy,
            "started repaint 2/10 repaint 3/10 repaint 0/4 ended shown "
            "started repaint ended ");
  EXPECT_FALSE(port.Busy());
}

}  // namespace
}  // namespace quillon
