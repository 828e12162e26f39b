// Small rename plans for cutting runs at every step: shifted series, swaps,
// cycles, case-only changes and moves to free names.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/seeds.h"

namespace quillon::testing {

struct Plan {
  std::vector<std::string> sources;
  std::vector<std::string> targets;
};

// A few rows each, so that every step of a plan can be cut; the seed picks
// the kind.
inline Plan MakePlan(std::uint32_t seed) {
  std::mt19937 rng(seed);
  const int rows = 2 + static_cast<int>(rng() % 4);
  Plan plan;
  for (int i = 0; i < rows; ++i) plan.sources.push_back("f" + std::to_string(i) + ".jpg");
  switch (seed % 5) {
    case 0:  // the series shifted up by one
      for (int i = 0; i < rows; ++i) plan.targets.push_back("f" + std::to_string(i + 1) + ".jpg");
      break;
    case 1:  // shifted down: the first name is free
      for (int i = 0; i < rows; ++i) plan.targets.push_back("f" + std::to_string(i - 1) + ".jpg");
      break;
    case 2:  // a permutation: cycles
      plan.targets = plan.sources;
      std::shuffle(plan.targets.begin(), plan.targets.end(), rng);
      break;
    case 3:  // case only, beside a swap
      plan.targets = plan.sources;
      plan.targets[0] = "F0.JPG";
      std::swap(plan.targets[1], plan.targets[rows - 1]);
      if (rows == 2) plan.targets[1] = "f1.JPG";
      break;
    default: {  // into free names and the names freed
      std::vector<std::string> pool;
      for (int i = 0; i < rows + 3; ++i) pool.push_back("f" + std::to_string(i) + ".jpg");
      std::shuffle(pool.begin(), pool.end(), rng);
      plan.targets.assign(pool.begin(), pool.begin() + rows);
      break;
    }
  }
  return plan;
}

}  // namespace quillon::testing
