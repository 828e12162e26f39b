// Removing many elements of a list in one pass.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace quillon {

// Removes every element i of `items` for which doomed[i] is true (elements
// beyond `doomed` stay); the others keep their order. One pass, where erasing
// one element at a time would be quadratic for many rows.
template <typename T>
void EraseMarked(std::vector<T>& items, const std::vector<bool>& doomed) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i < doomed.size() && doomed[i]) continue;
    if (kept != i) items[kept] = std::move(items[i]);
    ++kept;
  }
  items.resize(kept);
}

}  // namespace quillon
