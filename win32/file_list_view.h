// The rows of the file list as a report list-view with owner data: the list
// keeps no text of its own and asks for each cell as it paints it, so that
// a hundred thousand rows cost their text and a few bytes each, and
// replacing every row or a whole column is one pass.
#pragma once

#include <windows.h>
// The headers below need <windows.h> first.
#include <commctrl.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/name_pool.h"
#include "window/text_column.h"

namespace quillon {

class FileListView {
 public:
  // `list` is a list-view created with LVS_OWNERDATA.
  explicit FileListView(HWND list);

  HWND Window() const { return m_list; }
  int RowCount() const { return static_cast<int>(m_columns[0].Size()); }

  // Replaces every row: the names in the first column, the others empty;
  // nothing stays selected.
  void SetRows(std::u16string_view directory, std::vector<std::u16string> names);
  // Removes these rows (ascending, each once); the others keep their order.
  void RemoveRows(const std::vector<int>& rows);
  void SetCell(int row, int column, std::u16string_view text);
  void SetColumn(int column, const std::vector<std::u16string>& texts);
  void SetColumn(int column, NamePool texts);
  void ClearColumn(int column);
  std::u16string_view Cell(int row, int column) const;

  // The selected rows, ascending.
  std::vector<int> SelectedRows() const;
  bool HasSelection() const;
  // The row with the focus rectangle, or -1.
  int CurrentRow() const;
  void EnsureVisible(int row);
  // Gives the last column the width the others leave of the list's client
  // area, but at least `minimumWidth`, so that short rows need no horizontal
  // scroll bar. The list fits it again itself whenever its row count changes
  // (a vertical scroll bar comes or goes); its owner calls this on resizing.
  void FitLastColumn(int minimumWidth);

  // Answers LVN_GETDISPINFOW: the cell's text as shown and the row's icon.
  void FillDisplayInfo(NMLVDISPINFOW& info);

 private:
  // The index of the row's icon in the system image list, looked up the
  // first time the row is shown.
  int IconOf(int row);
  void ResetCount();

  HWND m_list;
  std::u16string m_directory;
  TextColumn m_columns[3];
  std::vector<int> m_iconIndex;  // -1 until the row has been shown
  int m_lastColumnMinimum = -1;  // -1 until the owner first fits the column
  std::unordered_map<std::u16string, int> m_iconByExtension;
};

}  // namespace quillon
