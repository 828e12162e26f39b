// The file-system port on POSIX: byte names, *at() calls relative to one
// directory handle, lstat semantics, moves that never replace.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/file_system.h"

namespace quillon {

// The system calls a move is made of, as a test seam names them.
enum class PosixCall { kRename, kLink, kStat, kUnlink, kCreate };

// Switches that make the port behave as on a file system lacking a feature,
// so that every way of moving a file can be exercised on any machine.
struct PosixMoveOptions {
  // Behave as if renameat2(RENAME_NOREPLACE) were refused (NFS, some FUSE).
  bool pretendNoReplaceUnsupported = false;
  // Behave as if hard links were refused too (FAT, exFAT, some FUSE).
  bool pretendHardLinksUnsupported = false;
};

// Test seam: runs before each system call of a move with the call and its
// byte names (`to` is empty for kStat, kUnlink and kCreate, the empty file
// that reserves a name). A test plays another
// program here. A positive return fails the call with that errno instead of
// making it; a negative one skips the call and reports success (the test
// made it in a way of its own).
using PosixCallSeam =
    std::function<int(PosixCall call, const std::string& from, const std::string& to)>;

// Every open directory handle holds back terminate signals until it is
// closed (see TerminateSignalGuard): a run of renames keeps one handle open
// from its first move to its last.
class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem() = default;
  explicit PosixFileSystem(PosixMoveOptions options, PosixCallSeam seam = {})
      : m_options(options), m_seam(std::move(seam)) {}

  EntryType GetEntryType(std::u16string_view path) override;
  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) override;

 private:
  PosixMoveOptions m_options;
  PosixCallSeam m_seam;
};

}  // namespace quillon
