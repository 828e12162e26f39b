// Finding where the files of a run cut short are, from its journal and what
// the directory shows now.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/file_system.h"
#include "core/run_journal.h"

namespace quillon {

struct LocatedRun {
  // The directory shows one moment of the run, so every row's file is
  // known; false when it shows none (something else changed the
  // directory), and then nothing may be moved.
  bool clear = false;
  // The name each row's file bears now; nullopt where it is gone.
  std::vector<std::optional<std::u16string>> namesNow;
  // Entries the interrupted move left beside a file, each with the name of
  // that file: removed once proven the run's own.
  std::vector<std::pair<std::u16string, std::u16string>> leftovers;

  // Rows whose file does not bear the name `wanted` gives it.
  template <typename Wanted>
  std::size_t CountNotAt(Wanted wanted) const {
    std::size_t count = 0;
    for (std::size_t row = 0; row < namesNow.size(); ++row)
      if (!namesNow[row] || *namesNow[row] != wanted(row)) ++count;
    return count;
  }
};

// The run's moves are found again by running the engine over the plan with
// the outcomes on record; the directory's names then show how far it got.
// Reads `directory` (one listing, and a look at the entries the interrupted
// move concerns); changes nothing.
LocatedRun LocateRun(const JournalContents& journal, DirectoryHandle& directory);

// Whether `now` is the directory the journal's run worked in, as far as the
// file system can tell after a restart (a device may be numbered anew).
bool SameDirectoryAfterRestart(const std::optional<DirectoryIdentity>& then,
                               const std::optional<DirectoryIdentity>& now);

}  // namespace quillon
