// Small rename plans for cutting runs at every step: shifted series, swaps,
// cycles, case-only changes and moves to free names.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/name_codec.h"
#include "dialog/quillon_dlg.h"
#include "tests/fake_dialog.h"
#include "tests/seeds.h"

namespace quillon::testing {

struct Plan {
  std::vector<std::string> sources;
  std::vector<std::string> targets;
  // Files beside the plan's, bearing the first temporary names: each holds
  // its own name and must keep it.
  std::vector<std::string> unlisted;
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
  if (seed % 3 == 2) plan.unlisted = {"f0_tmp0.jpg", "f1_tmp0.jpg"};
  return plan;
}

inline std::vector<std::u16string> Decoded(const std::vector<std::string>& names) {
  std::vector<std::u16string> decoded;
  for (const auto& name : names) decoded.push_back(DecodeName(name));
  return decoded;
}

// Lists the plan's files in `directory` and runs it, keeping a journal in
// `store`; whatever stops the run midway (a test's exception) goes through.
inline bool RunPlanIn(FileSystem& fs, JournalStore& store, std::u16string directory,
                      const Plan& plan) {
  FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog, &store);
  ListNames(dlg, std::move(directory), Decoded(plan.sources));
  std::vector<std::u16string> namesAfter;
  return dlg.RunRenames(Decoded(plan.sources), Decoded(plan.targets), &namesAfter);
}

}  // namespace quillon::testing
