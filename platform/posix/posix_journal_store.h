// Run journals on POSIX: files in the user's state directory
// ($XDG_STATE_HOME/quillon, by default ~/.local/state/quillon), private to
// the user, each locked by the process whose run it records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/journal_store.h"

namespace quillon {

class PosixJournalStore : public JournalStore {
 public:
  // Journals in `directory` (bytes), made when first needed.
  explicit PosixJournalStore(std::string directory) : m_directory(std::move(directory)) {}
  // The user's state directory for Quillon; empty when neither
  // XDG_STATE_HOME nor HOME gives an absolute path.
  static std::string UserDirectory();

  std::unique_ptr<JournalFile> Create() override;
  std::vector<std::unique_ptr<JournalFile>> ClaimAbandoned() override;

 private:
  // Makes the directory (owner only), and its parents as XDG asks.
  bool MakeDirectory() const;

  std::string m_directory;
};

}  // namespace quillon
