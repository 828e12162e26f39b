// The check of a rename plan against one listing of its directory: which
// sources are gone, and which targets would meet another file or each other.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"

namespace quillon {

// How the targets of a plan may meet each other.
enum class TargetsAre {
  // New names: two that differ only in letter case clash, so that no such
  // twins are ever created.
  kNew,
  // The names the files bore before: twins that existed side by side
  // (a.txt and A.TXT where case is told apart) may come back.
  kFormer,
};

struct PlanCheck {
  // Rows whose source is not in the directory, ascending.
  std::vector<int> missing;
  // Rows whose target clashes with another file or another target, ascending.
  std::vector<int> duplicates;
  // New names only: the entries that share a name with a source but are
  // another file (a twin in another letter case where case is told apart).
  std::vector<std::u16string> twins;

  bool Passed() const { return missing.empty() && duplicates.empty(); }
};

struct PlanToCheck {
  std::u16string_view directory;
  std::span<const std::u16string_view> sources;
  std::span<const std::u16string_view> targets;
  TargetsAre targetsAre = TargetsAre::kNew;
  // Former names: twins noted at the execution stood there all along and
  // block nothing.
  std::span<const std::u16string> knownTwins;
  // Told how many targets have been numbered, often; may be empty.
  std::function<void(std::size_t)> progress;
};

// Reads the directory once, each entry looked at and forgotten, so that a
// large directory is never held whole; names are numbered, never sorted or
// compared by collation. A directory that cannot be opened lists as empty
// and answers no lookup, so every source is reported missing.
PlanCheck CheckRenamePlan(FileSystem& fileSystem, const PlanToCheck& plan);

}  // namespace quillon
