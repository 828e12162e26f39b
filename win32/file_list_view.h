// The file list as a report list-view with owner data: the list keeps no
// text of its own and asks for each cell as it paints it, from the window's
// row table (window/row_table.h), so that a hundred thousand rows cost their
// text and a few bytes each.
#pragma once

#include <windows.h>
// The headers below need <windows.h> first.
#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "window/row_table.h"
#include "window/window_port.h"

namespace quillon {

class FileListView final : public RowsView {
 public:
  // `list` is a list-view created with LVS_OWNERDATA; `rows` must outlive
  // the view.
  FileListView(HWND list, RowTable& rows);

  HWND Window() const { return m_list; }
  bool HasSelection() const;
  // The row with the focus rectangle, or -1.
  int CurrentRow() const;
  void SelectAll();
  // Gives the last column the width the others leave of the list's client
  // area, but at least `minimumWidth`, so that short rows need no horizontal
  // scroll bar. The list fits it again itself whenever its row count changes
  // (a vertical scroll bar comes or goes); its owner calls this on resizing.
  void FitLastColumn(int minimumWidth);

  // Answers LVN_GETDISPINFOW: the cell's text as shown and the row's icon.
  void FillDisplayInfo(NMLVDISPINFOW& info);

  // RowsView. Whenever rows come or go nothing stays selected, since the
  // row numbers now mean other files; after a removal the keyboard goes on
  // from where the first removed row was.
  void RowsChanging(const RowChange&) override {}
  void RowsChanged(const RowChange& change) override;
  void ScrollTo(int row) override;
  std::vector<int> Selection() const override;
  void Select(const std::vector<RowSpan>& runs) override;

 private:
  // The index of the row's icon in the system image list, looked up the
  // first time the row is shown.
  int IconOf(int row);
  void ResetCount();

  HWND m_list;
  RowTable& m_rows;
  int m_lastColumnMinimum = -1;  // -1 until the owner first fits the column
  std::unordered_map<std::u16string, int> m_iconByExtension;
};

}  // namespace quillon
