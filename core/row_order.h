// The order of the rows, which numbering follows: by name (natural order),
// by the time a photo was taken, by the time a file was modified, or as the
// user moved the rows by hand.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "core/file_dates.h"

namespace quillon {

enum class RowOrder { kByName, kByDateTaken, kByTimeModified, kByHand };

// The permutation that puts rows given in natural order into `order` (by
// date taken or by time modified): row result[i] goes to row i. By date
// taken, a row without a capture time sorts by its modification time among
// the others. Times are compared as instants when every time compared
// carries its offset from UTC, and by the wall clock otherwise (a camera
// that records no offset and a phone that does, on one trip). Equal times
// keep the natural order; rows without any time follow, in natural order.
std::vector<std::size_t> OrderByDates(const std::vector<FileDates>& dates, RowOrder order);

// Moves each selected row (ascending, each once) one place up (delta -1) or
// down (+1), past the next row that is not selected; a selected row already
// at the edge, or behind one that is, stays. Returns the permutation, and
// replaces `selected` by the rows where the selected ones are now.
std::vector<std::size_t> MoveRows(std::size_t rows, std::vector<int>* selected, int delta);

// The permutation that keeps rows ordered by hand once a drop has merged
// its files into them in natural order: the rows listed before stay in
// their order, the files new to the list follow in natural order. A name
// listed before but gone from `merged` is dropped.
std::vector<std::size_t> KeepHandOrder(const std::vector<std::u16string_view>& before,
                                       const std::vector<std::u16string_view>& merged);

}  // namespace quillon
