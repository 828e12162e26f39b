// One column of the file list: every cell's text in one buffer. A list of a
// million rows then costs about the text itself plus eight bytes a row,
// instead of a string object and an allocation per cell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/name_pool.h"

namespace quillon {

class TextColumn {
 public:
  std::size_t Size() const { return m_cells.size(); }
  std::u16string_view At(std::size_t row) const {
    const Cell& cell = m_cells[row];
    return std::u16string_view(m_units).substr(cell.begin, cell.length);
  }

  // Replaces every cell: texts[j] into row j, `rows` rows in all (empty
  // where texts has none).
  void Assign(const std::vector<std::u16string>& texts, std::size_t rows);
  // Every cell empty, as many rows as before.
  void ClearTexts();
  // The same as Assign, taking the pool's buffer over.
  void Take(NamePool texts, std::size_t rows);
  void Set(std::size_t row, std::u16string_view text);
  void Erase(std::size_t row);
  // Removes rows first..end-1.
  void EraseRange(std::size_t first, std::size_t end);
  // Removes every row marked in `doomed` (one mark per row).
  void EraseMarked(const std::vector<bool>& doomed);

 private:
  struct Cell {
    std::uint32_t begin = 0;
    std::uint32_t length = 0;
  };
  // Drops the texts no cell points to any more, once they outweigh the rest.
  void CompactIfWasteful();

  std::u16string m_units;
  std::vector<Cell> m_cells;
  std::size_t m_live = 0;  // units that cells point to
};

}  // namespace quillon
