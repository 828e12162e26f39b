// How a failing test shows a wall-clock time, instead of the bytes of the
// struct.
#pragma once

#include <ostream>

#include "core/file_dates.h"

namespace quillon {

inline void PrintTo(const WallTime& time, std::ostream* out) {
  *out << "{localMicros " << time.localMicros << ", offset ";
  if (time.offsetSeconds)
    *out << *time.offsetSeconds << " s}";
  else
    *out << "none}";
}

}  // namespace quillon
