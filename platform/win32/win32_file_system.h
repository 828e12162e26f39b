// The file-system port on Windows: wide-character calls on extended-length
// paths (no MAX_PATH limit), moves that never replace.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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
//
// MakeDurable flushes the directory (see FlushDirectory). No move leaves an
// entry of its own beside a file: MoveFileW moves in one step, and a change
// of case that goes through an intermediate name moves the file itself
// twice, under the prefix the run has recorded.
class Win32FileSystem : public FileSystem {
 public:
  // Called with both extended paths before each MoveFileW of every
  // directory opened here; tests use it to stop a run at any move.
  using MoveSeam = std::function<void(const std::wstring& from, const std::wstring& to)>;

  explicit Win32FileSystem(MoveSeam seam = {}) : m_seam(std::move(seam)) {}
  EntryType GetEntryType(std::u16string_view path) override;
  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) override;

 private:
  MoveSeam m_seam;
};

// Makes the entries of a directory durable: FlushFileBuffers on a handle of
// it opened anew, from `directory` (any handle of it), for adding files,
// which is the access any move into it needed. NTFS and ReFS then write
// their log and the directory's index; FAT and exFAT its entries. True when
// that is done, and also where the system does not let a directory be
// flushed (a network redirector, a volume opened read-only, no write access
// to the directory itself), since nothing more can be done there; false
// only when the flush itself failed (an I/O error, the device gone).
bool FlushDirectory(HANDLE directory);
// The same for the directory at `path` (extended form).
bool FlushDirectoryAt(const std::wstring& path);

}  // namespace quillon
