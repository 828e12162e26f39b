// Run journals on Windows: files in the user's local application data
// folder (%LOCALAPPDATA%\Quillon), private to the user, each held by the
// process whose run it records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/journal_store.h"

namespace quillon {

// A journal is a file opened without any sharing for as long as its object
// lives: no other handle, in this process or another, can open it
// meanwhile, so a run going on in another window is never claimed. A process
// that ends, however it ends, lets go of its journals with its handles.
//
// The folder is made when the first journal is, readable by the user alone;
// a journal removed is deleted while still held, so nothing is left of a
// run that ended normally.
class Win32JournalStore : public JournalStore {
 public:
  // Journals in `directory` (a full path).
  explicit Win32JournalStore(std::u16string directory);
  // %LOCALAPPDATA%\Quillon; empty when the system names no such folder.
  static std::u16string UserDirectory();

  std::unique_ptr<JournalFile> Create() override;
  std::vector<std::unique_ptr<JournalFile>> ClaimAbandoned() override;

 private:
  // Makes the folder (the user alone has access) and its missing parents.
  bool MakeDirectory() const;

  std::wstring m_directory;  // extended form; empty when the path is unusable
};

}  // namespace quillon
