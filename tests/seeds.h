// How long the random campaigns run: a fixed share in the suite, more on
// request.
#pragma once

#include <cstdlib>

namespace quillon::testing {

// How many seeds to run: QUILLON_PROPERTY_SEEDS when set, else `fallback`.
inline int PropertySeeds(int fallback) {
  const char* text = std::getenv("QUILLON_PROPERTY_SEEDS");
  if (text == nullptr || *text == '\0') return fallback;
  const int value = std::atoi(text);
  return value > 0 ? value : fallback;
}

}  // namespace quillon::testing
