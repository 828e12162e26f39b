// The file-system port: everything the logic asks of the disk. The POSIX
// implementation lives in shell/; tests use it on temporary directories or
// wrap it to inject failures.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// What lstat says of a path; a symbolic link is an entry of its own and is
// never followed, so only a real directory is kDirectory.
enum class EntryType {
  kUnreadable,  // the path does not exist or cannot be examined
  kDirectory,
  kNonDirectory,
};

enum class MoveResult {
  kMoved,
  kInUse,   // held open by another program; the user may close it and retry
  kFailed,  // anything else; both names are as they were
};

// The longest name a directory accepts, and what its file system counts.
struct NameLimit {
  std::size_t maxLength = 255;
  bool countsBytes = true;  // ext4, xfs, btrfs, tmpfs: bytes of the encoded name;
                            // vfat, exFAT, NTFS, SMB: UTF-16 code units
};

// One open directory. Every operation is relative to the handle taken when it
// was opened, so a directory renamed or replaced by a link meanwhile cannot
// redirect anything elsewhere.
class DirectoryHandle {
 public:
  virtual ~DirectoryHandle() = default;

  // Appends the name of every entry ("." and ".." where the file system
  // reports them, hidden files, sub-directories). Returns false when the
  // enumeration stopped early; the entries read so far stay appended.
  virtual bool List(std::vector<std::u16string>* names) = 0;

  // The same entries, each handed to `visit` and forgotten, so that a large
  // directory is never held whole. Returns as List does.
  virtual bool ListEach(const std::function<void(std::u16string_view)>& visit) {
    std::vector<std::u16string> names;
    const bool complete = List(&names);
    for (const auto& name : names) visit(name);
    return complete;
  }

  // True only when looking the name up fails with "no such entry"; any other
  // outcome counts as taken.
  virtual bool IsNameFree(std::u16string_view name) = 0;

  // Moves one entry of this directory to a new name and never replaces an
  // existing entry. A change of letter case only, of one file, succeeds also
  // on a file system that ignores case.
  virtual MoveResult Move(std::u16string_view oldName, std::u16string_view newName) = 0;

  virtual NameLimit GetNameLimit() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // lstat of a full path.
  virtual EntryType GetEntryType(std::u16string_view path) = 0;

  // nullptr when the directory cannot be opened (gone, not a directory, no
  // permission).
  virtual std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) = 0;
};

}  // namespace quillon
