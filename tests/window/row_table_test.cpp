// The rows both windows draw from: whatever the logic asks, rows and columns
// outside the table change nothing, and removing rows keeps every column and
// the icons aligned.
#include "window/row_table.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

std::vector<std::u16string> Column(const RowTable& table, int column) {
  std::vector<std::u16string> texts;
  for (int row = 0; row < table.RowCount(); ++row) texts.emplace_back(table.Cell(row, column));
  return texts;
}

TEST(RowTable, CellsOutsideTheTableAreNeitherReadNorWritten) {
  RowTable table;
  EXPECT_FALSE(table.SetColumn(kNewNameColumn, {u"x"}));  // no rows yet
  table.Replace(u"/d", {u"a", u"b"});
  EXPECT_EQ(table.Directory(), u"/d");
  EXPECT_EQ(Column(table, kNewNameColumn), (std::vector<std::u16string>{u"", u""}));
  struct Cell {
    int row;
    int column;
    bool inside;
  };
  for (const Cell& cell : {Cell{0, 0, true}, Cell{1, 2, true}, Cell{-1, 0, false},
                           Cell{2, 0, false}, Cell{0, -1, false}, Cell{0, 3, false}}) {
    SCOPED_TRACE(::testing::Message() << cell.row << ", " << cell.column);
    EXPECT_EQ(table.SetCell(cell.row, cell.column, u"set"), cell.inside);
    EXPECT_EQ(table.Cell(cell.row, cell.column), cell.inside ? u"set" : u"");
  }
  EXPECT_FALSE(table.SetColumn(3, {u"x", u"y"}));
  EXPECT_FALSE(table.ClearColumn(-1));
  // A shorter list fills the first rows.
  EXPECT_TRUE(table.SetColumn(kNewNameColumn, {u"n1"}));
  EXPECT_EQ(Column(table, kNewNameColumn), (std::vector<std::u16string>{u"n1", u""}));
  NamePool pool;
  pool.Add(u"p1");
  pool.Add(u"p2");
  pool.Add(u"beyond the rows");
  EXPECT_TRUE(table.SetColumn(kResultColumn, std::move(pool)));
  EXPECT_EQ(Column(table, kResultColumn), (std::vector<std::u16string>{u"p1", u"p2"}));
  EXPECT_TRUE(table.ClearColumn(kResultColumn));
  EXPECT_EQ(Column(table, kResultColumn), (std::vector<std::u16string>{u"", u""}));
  EXPECT_EQ(Column(table, kOldNameColumn), (std::vector<std::u16string>{u"set", u"b"}));
}

TEST(RowTable, RemovingRunsOfRowsKeepsColumnsAndIconsAligned) {
  struct Case {
    std::vector<int> rows;  // as the logic asks
    std::vector<RowSpan> spans;
  };
  const Case cases[] = {
      {{}, {}},
      {{2}, {{2, 2}}},
      {{1, 2, 3, 5}, {{1, 3}, {5, 5}}},
      {{5, 1, 3, 2, 2}, {{1, 3}, {5, 5}}},  // any order, repeated
      {{-1, 6, 99, 0}, {{0, 0}}},           // rows that do not exist
      {{0, 1, 2, 3, 4, 5}, {{0, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.rows));
    RowTable table;
    table.Replace(u"/d", {u"r0", u"r1", u"r2", u"r3", u"r4", u"r5"});
    std::vector<std::u16string> kept;
    for (int row = 0; row < table.RowCount(); ++row) {
      table.SetCell(row, kResultColumn, u"x" + std::u16string(table.Cell(row, 0)));
      table.SetIconSlot(row, row * 10);
    }
    EXPECT_EQ(table.IconSlot(0), 0);
    const std::vector<RowSpan> spans = table.SpansOf(c.rows);
    EXPECT_EQ(spans, c.spans);
    std::vector<bool> gone(6, false);
    for (const RowSpan& span : spans)
      for (int row = span.first; row <= span.last; ++row)
        gone[static_cast<std::size_t>(row)] = true;

    // All runs at once, and one run at a time from the last: the same rows.
    RowTable oneByOne = table;
    table.Remove(spans);
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) oneByOne.Remove(*span);
    for (const RowTable* after : {&table, &oneByOne}) {
      int row = 0;
      for (int before = 0; before < 6; ++before) {
        if (gone[static_cast<std::size_t>(before)]) continue;
        const std::u16string name = u"r" + std::u16string(1, static_cast<char16_t>(u'0' + before));
        EXPECT_EQ(after->Cell(row, kOldNameColumn), name);
        EXPECT_EQ(after->Cell(row, kResultColumn), u"x" + name);
        EXPECT_EQ(after->IconSlot(row), before * 10);
        ++row;
      }
      EXPECT_EQ(after->RowCount(), row);
    }
  }
}

}  // namespace
}  // namespace quillon
