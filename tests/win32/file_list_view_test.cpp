// The file list in a real report list-view. Its columns: the last one takes
// what the others leave of the list's width, so that rows shorter than the
// list never bring a horizontal scroll bar, whatever the list's size and
// whether a vertical scroll bar takes part of its width. Its selection of
// rows moved by hand.
#include "win32/file_list_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon::testing {
namespace {

bool ShowsHorizontalScrollBar(HWND list) {
  return (::GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) != 0;
}

int ColumnWidths(HWND list) {
  int sum = 0;
  for (int column = 0; column < 3; ++column) sum += ListView_GetColumnWidth(list, column);
  return sum;
}

TEST(FileListView, LastColumnTakesTheRemainingWidth) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(::InitCommonControlsEx(&controls));
  constexpr int kMinimum = 60;
  struct Case {
    int width;  // of the list's window
    int rows;
    bool fits;  // false: the others leave less than the minimum
  };
  // Each case follows the one before in the same list, as a user resizes.
  const Case cases[] = {{300, 4, true},     // the three columns of 120 are wider than the list
                        {600, 4, true},     // wider: the last column grows
                        {400, 200, true},   // a vertical scroll bar takes part of the width
                        {400, 2, true},     // and gives it back
                        {250, 4, false},    // narrower than two columns and the minimum
                        {1000, 50, true}};  // maximised
  const HWND list =
      ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                        cases[0].width, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(list, nullptr);
  for (int column = 0; column < 3; ++column) {
    LVCOLUMNW info{};
    info.mask = LVCF_WIDTH | LVCF_SUBITEM;
    info.cx = 120;
    info.iSubItem = column;
    ListView_InsertColumn(list, column, &info);
  }
  RowTable rows;
  FileListView view(list, rows);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " wide, " << c.rows << " rows");
    ::SetWindowPos(list, nullptr, 0, 0, c.width, 200, SWP_NOMOVE | SWP_NOZORDER);
    rows.Replace(u"C:\\folder", std::vector<std::u16string>(c.rows, u"a.txt"));
    view.RowsChanged({RowChange::Kind::kReplaced, {}, -1});
    view.FitLastColumn(kMinimum);
    RECT client;
    ::GetClientRect(list, &client);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 120);
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 120);
    if (c.fits) {
      EXPECT_EQ(ColumnWidths(list), client.right);
      EXPECT_FALSE(ShowsHorizontalScrollBar(list));
    } else {
      EXPECT_EQ(ListView_GetColumnWidth(list, 2), kMinimum);
    }
  }
  ::DestroyWindow(list);
}

TEST(FileListView, SelectsExactlyTheRunsWithTheFocusOnTheFirstInView) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(::InitCommonControlsEx(&controls));
  const HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT | LVS_OWNERDATA,
                                      0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(list, nullptr);
  LVCOLUMNW info{};
  info.mask = LVCF_WIDTH;
  info.cx = 120;
  ListView_InsertColumn(list, 0, &info);
  RowTable rows;
  rows.Replace(u"C:\\folder", std::vector<std::u16string>(300, u"a.txt"));
  FileListView view(list, rows);
  view.RowsChanged({RowChange::Kind::kReplaced, {}, -1});
  // Rows selected before, and the list scrolled to its end.
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list, 299, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, 299, FALSE);
  ASSERT_GT(ListView_GetTopIndex(list), 5);

  view.Select({{5, 6}, {120, 121}});
  EXPECT_EQ(view.Selection(), (std::vector<int>{5, 6, 120, 121}));
  EXPECT_EQ(view.CurrentRow(), 5);
  const int top = ListView_GetTopIndex(list);
  EXPECT_LE(top, 5);
  EXPECT_GT(top + ListView_GetCountPerPage(list), 5);

  view.Select({});
  EXPECT_FALSE(view.HasSelection());
  ::DestroyWindow(list);
}

}  // namespace
}  // namespace quillon::testing
