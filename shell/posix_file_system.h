// The file-system port on POSIX: byte names, *at() calls relative to one
// directory handle, lstat semantics, moves that never replace.
#pragma once

#include "core/file_system.h"

namespace quillon {

// Switches that make the port behave as on a file system lacking a feature,
// so that every way of moving a file can be exercised on any machine.
struct PosixMoveOptions {
  // Behave as if renameat2(RENAME_NOREPLACE) were refused (NFS, some FUSE).
  bool pretendNoReplaceUnsupported = false;
  // Behave as if hard links were refused too (FAT, exFAT, some FUSE).
  bool pretendHardLinksUnsupported = false;
};

// Every open directory handle holds back terminate signals until it is
// closed (see TerminateSignalGuard): a run of renames keeps one handle open
// from its first move to its last.
class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem() = default;
  explicit PosixFileSystem(PosixMoveOptions options) : m_options(options) {}

  EntryType GetEntryType(std::u16string_view path) override;
  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) override;

 private:
  PosixMoveOptions m_options;
};

}  // namespace quillon
