#include "core/layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string_view>

#include "resources/templates.h"

namespace quillon {
namespace {

// The main dialog's controls at their template places, in pixels of a font
// whose dialog units are 6 x 13 pixels (a 9-point Japanese font at 96 dpi).
class MainDialogLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& item : templates::kMainDialogItems) {
      if (item.id != templates::kNoId)
        rects[item.id] = units.Map(item.x, item.y, item.width, item.height);
    }
    client = units.Map(0, 0, templates::kMainDialog.width, templates::kMainDialog.height);
    layout.Record(client.right, client.bottom, lookup);
    initial = rects;
  }

  void Resize(int width, int height) { layout.OnSize(width, height, lookup, mover); }

  DialogUnits units{6, 13};
  std::map<int, LayoutRect> rects;
  std::map<int, LayoutRect> initial;
  LayoutRect client;
  DialogLayout layout;
  ControlLookup lookup = [this](int id) -> std::optional<LayoutRect> {
    const auto it = rects.find(id);
    if (it == rects.end()) return std::nullopt;
    return it->second;
  };
  ControlMover mover = [this](int id, const LayoutRect& rect) { rects[id] = rect; };
};

TEST(DialogUnits, MapsEachEdgeWithRounding) {
  const DialogUnits units{7, 15};
  EXPECT_EQ(units.X(4), 7);
  EXPECT_EQ(units.X(120), 210);
  EXPECT_EQ(units.X(3), 5);  // 5.25
  EXPECT_EQ(units.X(2), 4);  // 3.5 rounds up
  EXPECT_EQ(units.Y(8), 15);
  EXPECT_EQ(units.Y(25), 47);  // 46.875
  // Adjacent controls stay adjacent: edges are mapped, not widths.
  const LayoutRect left = units.Map(5, 0, 3, 8);
  const LayoutRect right = units.Map(8, 0, 3, 8);
  EXPECT_EQ(left.right, right.left);
}

TEST(LayoutRules, EachRuleOnOneAxis) {
  int nearEdge = 10, farEdge = 50;
  ApplyRule(LAYOUT_KEEP, 300, 20, nearEdge, farEdge);
  EXPECT_EQ(nearEdge, 10);
  EXPECT_EQ(farEdge, 50);
  ApplyRule(LAYOUT_STRETCH, 300, 20, nearEdge, farEdge);
  EXPECT_EQ(nearEdge, 10);
  EXPECT_EQ(farEdge, 280);
  nearEdge = 10, farEdge = 50;
  ApplyRule(LAYOUT_MOVE, 300, 20, nearEdge, farEdge);
  EXPECT_EQ(nearEdge, 240);
  EXPECT_EQ(farEdge, 280);
}

TEST_F(MainDialogLayout, RecordsElevenControlsWithTheirGaps) {
  ASSERT_EQ(layout.Items().size(), 11u);
  EXPECT_EQ(layout.Items()[0].id, 1004);
  EXPECT_EQ(layout.Items()[3].id, 1000);
  // The list: 3 units to the right edge, 85 to the bottom edge.
  const LAYOUTITEM& list = layout.Items()[3];
  EXPECT_EQ(list.rightGap, client.right - units.X(315));
  EXPECT_EQ(list.bottomGap, client.bottom - units.Y(175));
}

TEST_F(MainDialogLayout, SkipsControlsTheWindowLacks) {
  rects.erase(1017);
  DialogLayout partial;
  partial.Record(client.right, client.bottom, lookup);
  EXPECT_EQ(partial.Items().size(), 10u);
}

TEST_F(MainDialogLayout, WiderWindowStretchesAndMovesByTheSameAmount) {
  const int d = 37;
  Resize(client.right + d, client.bottom);
  for (int id : {1004, 1000, 1016, 1010, 1013}) {
    EXPECT_EQ(rects[id].left, initial[id].left) << id;
    EXPECT_EQ(rects[id].Width(), initial[id].Width() + d) << id;
  }
  for (int id : {1012, 1011, 1014}) {
    EXPECT_EQ(rects[id].left, initial[id].left + d) << id;
    EXPECT_EQ(rects[id].Width(), initial[id].Width()) << id;
  }
  for (int id : {1003, 1005, 1017}) EXPECT_EQ(rects[id], initial[id]) << id;
}

TEST_F(MainDialogLayout, TallerWindowGrowsTheListAndMovesWhatIsBelow) {
  const int d = 50;
  Resize(client.right, client.bottom + d);
  EXPECT_EQ(rects[1000].top, initial[1000].top);
  EXPECT_EQ(rects[1000].Height(), initial[1000].Height() + d);
  for (int id : {1017, 1016, 1014, 1003, 1010, 1005, 1013}) {
    EXPECT_EQ(rects[id].top, initial[id].top + d) << id;
    EXPECT_EQ(rects[id].Height(), initial[id].Height()) << id;
  }
  for (int id : {1004, 1012, 1011}) EXPECT_EQ(rects[id], initial[id]) << id;
}

TEST_F(MainDialogLayout, MinimiseToNothingAndRestoreBringsEveryControlBack) {
  Resize(0, 0);
  // A stretched control's far edge now lies before its near edge; moved
  // controls keep their extent.
  EXPECT_LT(rects[1000].right, rects[1000].left);
  EXPECT_LT(rects[1000].bottom, rects[1000].top);
  EXPECT_EQ(rects[1011].Width(), initial[1011].Width());
  EXPECT_EQ(rects[1003].Height(), initial[1003].Height());
  Resize(client.right, client.bottom);
  EXPECT_EQ(rects, initial);
  // And a maximise followed by a restore, too.
  Resize(client.right * 3, client.bottom * 2);
  Resize(client.right, client.bottom);
  EXPECT_EQ(rects, initial);
}

TEST(DialogLayoutEmpty, SizeBeforeRecordingMovesNothing) {
  DialogLayout layout;
  bool moved = false;
  EXPECT_FALSE(layout.OnSize(
      100, 100,
      [](int) {
        return std::optional<LayoutRect>(LayoutRect{0, 0, 10, 10});
      },
      [&](int, const LayoutRect&) { moved = true; }));
  EXPECT_FALSE(moved);
}

// Windows' screen readers name an edit or a list by the static text just
// before it in the template (the tab order): each needs one, and the one
// before the list and the directory field starts with their short name.
TEST(MainDialogTemplate, AStaticTextNamesEachFieldAndTheList) {
  using templates::ItemKind;
  const std::map<int, std::u16string_view> startsWith = {
      {1000, str::kFileListName}, {1004, str::kDirectoryLabel}, {1016, u""}};
  const auto& items = templates::kMainDialogItems;
  std::map<int, std::u16string_view> found;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].kind != ItemKind::kEdit && items[i].kind != ItemKind::kListView) continue;
    ASSERT_GT(i, 0u) << items[i].id;
    ASSERT_EQ(items[i - 1].kind, ItemKind::kStatic) << items[i].id;
    found.emplace(items[i].id, items[i - 1].text);
  }
  ASSERT_EQ(found.size(), startsWith.size());
  for (const auto& [id, prefix] : startsWith) {
    EXPECT_FALSE(found.at(id).empty()) << id;
    EXPECT_TRUE(found.at(id).starts_with(prefix)) << id;
  }
}

}  // namespace
}  // namespace quillon
