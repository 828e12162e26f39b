// The file-system port on POSIX: byte names, *at() calls relative to one
// directory handle, lstat semantics, moves that never replace.
#pragma once

#include "core/file_system.h"

namespace quillon {

class PosixFileSystem : public FileSystem {
 public:
  EntryType GetEntryType(std::u16string_view path) override;
  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) override;
};

}  // namespace quillon
