// Where run journals are kept: the user's state directory. The platform
// implements it; tests keep journals in memory.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// One journal file, held by this process alone for as long as the object
// lives; another process never takes a journal that is held.
class JournalFile {
 public:
  virtual ~JournalFile() = default;
  // Adds bytes at the end; false when they could not all be written.
  virtual bool Append(std::string_view bytes) = 0;
  // Makes everything appended so far durable, the file's own entry
  // included; false when the file system refused.
  virtual bool Sync() = 0;
  // The whole content; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadAll() = 0;
  // Deletes the file; false when it could not be deleted.
  virtual bool Remove() = 0;
};

class JournalStore {
 public:
  virtual ~JournalStore() = default;
  // A new, empty journal; nullptr when none can be made (a read-only home,
  // a full disk).
  virtual std::unique_ptr<JournalFile> Create() = 0;
  // Every journal that no running process holds, each now held by this one:
  // those of runs cut short by a crash, a kill or a power cut.
  virtual std::vector<std::unique_ptr<JournalFile>> ClaimAbandoned() = 0;
};

}  // namespace quillon
