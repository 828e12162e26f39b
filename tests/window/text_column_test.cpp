// The list's columns keep every text in one buffer: whatever is set, erased
// or taken over, each row must read back exactly what a plain list of
// strings would hold, also after the buffer has been compacted.
#include "window/text_column.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quillon {
namespace {

TEST(TextColumn, ReadsBackWhatAListOfStringsHolds) {
  std::mt19937 rng(5);
  const auto randomText = [&rng] {
    std::u16string text(std::uniform_int_distribution<std::size_t>(0, 12)(rng), u'a');
    for (auto& unit : text) unit = static_cast<char16_t>(u'a' + rng() % 26);
    return text;
  };
  TextColumn column;
  std::vector<std::u16string> expected(300);
  for (auto& text : expected) text = randomText();
  column.Assign(expected, expected.size());
  for (int step = 0; step < 20000; ++step) {
    const std::size_t rows = expected.size();
    const std::size_t row = rows == 0 ? 0 : rng() % rows;
    // Whole columns rarely, so that single cells set meanwhile grow the
    // buffer far enough to be compacted.
    switch (rng() % 2000) {
      case 0: {  // a whole column, sometimes shorter than the rows
        std::vector<std::u16string> texts(rng() % 300);
        for (auto& text : texts) text = randomText();
        const std::size_t count = rows == 0 ? texts.size() : rows;
        column.Assign(texts, count);
        texts.resize(count);
        expected = texts;
        break;
      }
      case 1: {
        NamePool pool;
        std::vector<std::u16string> texts(rows);
        for (auto& text : texts) {
          text = randomText();
          pool.Add(text);
        }
        column.Take(std::move(pool), rows);
        expected = texts;
        break;
      }
      case 2:
      case 3:
        column.ClearTexts();
        for (auto& text : expected) text.clear();
        break;
      case 4:
      case 5:
      case 6:
      case 7:
        if (rows > 0) {
          const std::size_t end = std::min(rows, row + 1 + rng() % 5);
          column.EraseRange(row, end);
          expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(row),
                         expected.begin() + static_cast<std::ptrdiff_t>(end));
        }
        break;
      case 8:
      case 9: {
        std::vector<bool> doomed(rows);
        for (std::size_t i = 0; i < rows; ++i) doomed[i] = rng() % 7 == 0;
        column.EraseMarked(doomed);
        std::vector<std::u16string> kept;
        for (std::size_t i = 0; i < rows; ++i)
          if (!doomed[i]) kept.push_back(expected[i]);
        expected = kept;
        break;
      }
      default:  // single cells: longer, shorter and equal texts
        if (rows > 0) {
          expected[row] = randomText();
          column.Set(row, expected[row]);
        }
        break;
    }
    ASSERT_EQ(column.Size(), expected.size()) << "step " << step;
    for (std::size_t i = 0; i < expected.size(); ++i)
      ASSERT_EQ(column.At(i), expected[i]) << "step " << step << " row " << i;
  }
}

}  // namespace
}  // namespace quillon
