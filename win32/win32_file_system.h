// The file-system port on Windows: wide-character calls on extended-length
// paths (no MAX_PATH limit), moves that never replace.
#pragma once

#include "core/file_system.h"

namespace quillon {

// GetEntryType follows the file attributes alone, without following a final
// link: an entry carrying the directory attribute is a directory, and that
// includes a directory symbolic link or junction, which the shell shows as a
// folder; a file symbolic link is a non-directory.
//
// An open directory is held by a handle that does not share deletion, so
// that neither it nor (on NTFS) any folder above it can be renamed or
// removed while a command works in it; its operations use the path of that
// handle as the system resolved it when it was opened.
//
// A move reports kInUse for a sharing violation only (a file held open by
// a program that does not let others delete or rename it); any other
// failure is kFailed with both names untouched. Names are counted in UTF-16
// units against 255, or the volume's maximum component length where that
// is smaller.
class Win32FileSystem : public FileSystem {
 public:
  EntryType GetEntryType(std::u16string_view path) override;
  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) override;
};

}  // namespace quillon
