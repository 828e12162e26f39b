#include "window/row_table.h"

#include "core/erase_marked.h"

namespace quillon {

std::u16string_view RowTable::Cell(int row, int column) const {
  if (!HasRow(row) || !HasColumn(column)) return {};
  return m_columns[column].At(static_cast<std::size_t>(row));
}

void RowTable::Replace(std::u16string_view directory, std::vector<std::u16string> names) {
  m_directory = directory;
  const std::size_t count = names.size();
  m_columns[0].Assign(names, count);
  // The names are in the column's buffer now; a hundred thousand of them
  // are not held twice.
  names = {};
  for (int column = 1; column < window::kColumnCount; ++column) m_columns[column].Assign({}, count);
  m_iconSlots.assign(count, kIconNotLookedUp);
}

std::vector<RowSpan> RowTable::SpansOf(const std::vector<int>& rows) const {
  std::vector<bool> marked(static_cast<std::size_t>(RowCount()), false);
  for (const int row : rows)
    if (HasRow(row)) marked[static_cast<std::size_t>(row)] = true;
  std::vector<RowSpan> spans;
  for (int row = 0; row < RowCount(); ++row) {
    if (!marked[static_cast<std::size_t>(row)]) continue;
    if (!spans.empty() && spans.back().last + 1 == row) {
      spans.back().last = row;
    } else {
      spans.push_back({row, row});
    }
  }
  return spans;
}

void RowTable::Remove(RowSpan span) {
  if (!HasRow(span.first) || !HasRow(span.last) || span.last < span.first) return;
  const auto first = static_cast<std::size_t>(span.first);
  const auto end = static_cast<std::size_t>(span.last) + 1;
  for (TextColumn& column : m_columns) column.EraseRange(first, end);
  m_iconSlots.erase(m_iconSlots.begin() + span.first, m_iconSlots.begin() + span.last + 1);
}

void RowTable::Remove(const std::vector<RowSpan>& spans) {
  std::vector<bool> doomed(static_cast<std::size_t>(RowCount()), false);
  for (const RowSpan& span : spans)
    for (int row = span.first; row <= span.last; ++row)
      if (HasRow(row)) doomed[static_cast<std::size_t>(row)] = true;
  for (TextColumn& column : m_columns) column.EraseMarked(doomed);
  EraseMarked(m_iconSlots, doomed);
}

bool RowTable::SetCell(int row, int column, std::u16string_view text) {
  if (!HasRow(row) || !HasColumn(column)) return false;
  m_columns[column].Set(static_cast<std::size_t>(row), text);
  return true;
}

bool RowTable::SetColumn(int column, const std::vector<std::u16string>& texts) {
  if (!HasColumn(column) || RowCount() == 0) return false;
  m_columns[column].Assign(texts, m_columns[column].Size());
  return true;
}

bool RowTable::SetColumn(int column, NamePool texts) {
  if (!HasColumn(column) || RowCount() == 0) return false;
  m_columns[column].Take(std::move(texts), m_columns[column].Size());
  return true;
}

bool RowTable::ClearColumn(int column) {
  if (!HasColumn(column) || RowCount() == 0) return false;
  m_columns[column].ClearTexts();
  return true;
}

}  // namespace quillon
