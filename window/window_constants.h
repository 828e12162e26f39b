// The main window's numbers and titles that both windows share, whatever
// toolkit draws them.
#pragma once

#include <array>
#include <cstdint>

#include "dialog/dialog_port.h"
#include "resources/strings.h"

namespace quillon::window {

// The file list's columns: the old name, the new name and the result.
inline constexpr int kColumnCount = 3;
inline constexpr std::array<const char16_t*, kColumnCount> kColumnTitles = {
    str::kColumnOldName, str::kColumnNewName, str::kColumnResult};
static_assert(kOldNameColumn == 0 && kNewNameColumn == 1 && kResultColumn == 2);

// The first two columns are 120 horizontal dialog units wide: thirty times
// the average character width. The last one takes what the others leave of
// the list's width, so that short rows show no horizontal scroll bar, but
// never less than this.
inline constexpr int kColumnWidthUnits = 120;
inline constexpr int kLastColumnMinimumUnits = 60;

// The row's icon, square, in pixels.
inline constexpr int kRowIconSize = 16;

// Work shorter than this shows no progress: a count that flashes up and is
// gone again only distracts.
inline constexpr std::uint64_t kShowProgressAfterMs = 500;
// While work runs the window repaints (and drops the user's input) this
// often: often enough to look alive, rarely enough to cost the work nothing.
inline constexpr std::uint64_t kRepaintEveryMs = 40;

// Beyond this many separate runs of removed rows a list is told once that
// every row changed: each run costs a view a pass over its rows.
inline constexpr std::size_t kMostRemovedRuns = 64;

}  // namespace quillon::window
