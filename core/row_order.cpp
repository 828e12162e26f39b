#include "core/row_order.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <unordered_map>

namespace quillon {
namespace {

const std::optional<WallTime>& TimeOf(const FileDates& dates, RowOrder order) {
  return order == RowOrder::kByDateTaken && dates.taken ? dates.taken : dates.modified;
}

}  // namespace

std::vector<std::size_t> OrderByDates(const std::vector<FileDates>& dates, RowOrder order) {
  const bool instants = std::all_of(dates.begin(), dates.end(), [&](const FileDates& row) {
    const auto& time = TimeOf(row, order);
    return !time || time->offsetSeconds.has_value();
  });
  std::vector<std::optional<std::int64_t>> keys(dates.size());
  for (std::size_t row = 0; row < dates.size(); ++row) {
    if (const auto& time = TimeOf(dates[row], order))
      keys[row] = instants ? *time->Instant() : time->localMicros;
  }
  std::vector<std::size_t> permutation(dates.size());
  std::iota(permutation.begin(), permutation.end(), std::size_t{0});
  std::stable_sort(permutation.begin(), permutation.end(), [&](std::size_t a, std::size_t b) {
    if (!keys[a] || !keys[b]) return keys[a].has_value() && !keys[b].has_value();
    return *keys[a] < *keys[b];
  });
  return permutation;
}

std::vector<std::size_t> MoveRows(std::size_t rows, std::vector<int>* selected, int delta) {
  std::vector<std::size_t> permutation(rows);
  std::iota(permutation.begin(), permutation.end(), std::size_t{0});
  std::vector<char> chosen(rows, 0);
  for (const int row : *selected)
    if (row >= 0 && static_cast<std::size_t>(row) < rows) chosen[static_cast<std::size_t>(row)] = 1;
  // Up: the selected rows from the top down, each past the unselected row
  // above it; down: from the bottom up, mirrored.
  const auto step = [&](std::size_t at) {
    const std::size_t other = delta < 0 ? at - 1 : at + 1;
    if (!chosen[at] || chosen[other]) return;
    std::swap(permutation[at], permutation[other]);
    std::swap(chosen[at], chosen[other]);
  };
  if (delta < 0) {
    for (std::size_t at = 1; at < rows; ++at) step(at);
  } else {
    for (std::size_t at = rows; at-- > 1;) step(at - 1);
  }
  selected->clear();
  for (std::size_t row = 0; row < rows; ++row)
    if (chosen[row]) selected->push_back(static_cast<int>(row));
  return permutation;
}

std::vector<std::size_t> KeepHandOrder(const std::vector<std::u16string_view>& before,
                                       const std::vector<std::u16string_view>& merged) {
  std::unordered_map<std::u16string_view, std::size_t> rowOf;
  rowOf.reserve(merged.size());
  for (std::size_t row = 0; row < merged.size(); ++row) rowOf.emplace(merged[row], row);
  std::vector<char> placed(merged.size(), 0);
  std::vector<std::size_t> permutation;
  permutation.reserve(merged.size());
  for (const std::u16string_view name : before) {
    const auto found = rowOf.find(name);
    if (found == rowOf.end() || placed[found->second]) continue;
    placed[found->second] = 1;
    permutation.push_back(found->second);
  }
  for (std::size_t row = 0; row < merged.size(); ++row)
    if (!placed[row]) permutation.push_back(row);
  return permutation;
}

}  // namespace quillon
