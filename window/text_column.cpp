#include "window/text_column.h"

namespace quillon {

void TextColumn::Assign(const std::vector<std::u16string>& texts, std::size_t rows) {
  std::size_t units = 0;
  const std::size_t given = std::min(texts.size(), rows);
  for (std::size_t row = 0; row < given; ++row) units += texts[row].size();
  m_units.clear();
  m_units.shrink_to_fit();
  m_units.reserve(units);
  m_cells.assign(rows, Cell{});
  for (std::size_t row = 0; row < given; ++row) {
    m_cells[row] = {static_cast<std::uint32_t>(m_units.size()),
                    static_cast<std::uint32_t>(texts[row].size())};
    m_units += texts[row];
  }
  m_live = units;
}

void TextColumn::Take(NamePool texts, std::size_t rows) {
  const std::size_t given = std::min(texts.Size(), rows);
  m_cells.assign(rows, Cell{});
  std::size_t begin = 0;
  for (std::size_t row = 0; row < given; ++row) {
    const std::size_t end = texts.Ends()[row];
    m_cells[row] = {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end - begin)};
    begin = end;
  }
  m_live = begin;
  m_units = texts.TakeUnits();
  // Texts beyond the rows are not shown; they go at the next compaction.
}

void TextColumn::ClearTexts() {
  m_units.clear();
  m_units.shrink_to_fit();
  for (Cell& cell : m_cells) cell = Cell{};
  m_live = 0;
}

void TextColumn::Set(std::size_t row, std::u16string_view text) {
  Cell& cell = m_cells[row];
  m_live = m_live - cell.length + text.size();
  if (text.size() <= cell.length) {
    // The same or a shorter text fits where the old one was.
    m_units.replace(cell.begin, text.size(), text);
    cell.length = static_cast<std::uint32_t>(text.size());
    return;
  }
  cell = {static_cast<std::uint32_t>(m_units.size()), static_cast<std::uint32_t>(text.size())};
  m_units += text;
  CompactIfWasteful();
}

void TextColumn::Erase(std::size_t row) {
  EraseRange(row, row + 1);
}

void TextColumn::EraseRange(std::size_t first, std::size_t end) {
  for (std::size_t row = first; row < end; ++row) m_live -= m_cells[row].length;
  m_cells.erase(m_cells.begin() + static_cast<std::ptrdiff_t>(first),
                m_cells.begin() + static_cast<std::ptrdiff_t>(end));
  CompactIfWasteful();
}

void TextColumn::EraseMarked(const std::vector<bool>& doomed) {
  std::size_t kept = 0;
  for (std::size_t row = 0; row < m_cells.size(); ++row) {
    if (doomed[row]) {
      m_live -= m_cells[row].length;
      continue;
    }
    m_cells[kept++] = m_cells[row];
  }
  m_cells.resize(kept);
  CompactIfWasteful();
}

void TextColumn::CompactIfWasteful() {
  if (m_units.size() < 4096 || m_units.size() < 2 * m_live) return;
  std::u16string units;
  units.reserve(m_live);
  for (Cell& cell : m_cells) {
    const std::uint32_t begin = static_cast<std::uint32_t>(units.size());
    units.append(m_units, cell.begin, cell.length);
    cell.begin = begin;
  }
  m_units = std::move(units);
}

}  // namespace quillon
