// The rows a file list draws from, the same in every window: the directory,
// three columns of text (each in one buffer) and a slot per row for what the
// toolkit found as the row's icon. Rows and columns outside the table are
// never an error: reading gives nothing, writing changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/name_pool.h"
#include "window/text_column.h"
#include "window/window_constants.h"

namespace quillon {

// Rows first..last, both included.
struct RowSpan {
  int first = 0;
  int last = -1;
  bool operator==(const RowSpan&) const = default;
};

class RowTable {
 public:
  // A row's icon before the toolkit has looked for it.
  static constexpr int kIconNotLookedUp = -1;

  int RowCount() const { return static_cast<int>(m_columns[0].Size()); }
  std::u16string_view Directory() const { return m_directory; }
  bool HasRow(int row) const { return row >= 0 && row < RowCount(); }
  static bool HasColumn(int column) { return column >= 0 && column < window::kColumnCount; }
  // The cell's text as it was set; empty outside the table.
  std::u16string_view Cell(int row, int column) const;

  // Replaces every row: the names in the old-name column, the other columns
  // empty, no icon looked up.
  void Replace(std::u16string_view directory, std::vector<std::u16string> names);
  // The rows of `rows` that exist, in any order and repeated or not, as
  // ascending runs of neighbouring rows.
  std::vector<RowSpan> SpansOf(const std::vector<int>& rows) const;
  // Removes one run or several (ascending, as SpansOf gives them); the other
  // rows keep their order.
  void Remove(RowSpan span);
  void Remove(const std::vector<RowSpan>& spans);

  // Each returns false where nothing changed: no such cell or column, or a
  // column of no rows.
  bool SetCell(int row, int column, std::u16string_view text);
  // texts[j] into row j, for the rows both have; the rest empty.
  bool SetColumn(int column, const std::vector<std::u16string>& texts);
  // The same, taking the pool's buffer over.
  bool SetColumn(int column, NamePool texts);
  bool ClearColumn(int column);

  // What the toolkit found for the row's icon (its own index or handle), or
  // kIconNotLookedUp. Only for existing rows.
  int IconSlot(int row) const { return m_iconSlots[static_cast<std::size_t>(row)]; }
  void SetIconSlot(int row, int slot) { m_iconSlots[static_cast<std::size_t>(row)] = slot; }

 private:
  std::u16string m_directory;
  TextColumn m_columns[window::kColumnCount];
  std::vector<int> m_iconSlots;
};

}  // namespace quillon
