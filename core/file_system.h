// The file-system port: everything the logic asks of the disk. The POSIX
// implementation lives in shell/; tests use it on temporary directories or
// wrap it to inject failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
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
  // The move went half way and could not be taken back: the file bears
  // neither name but a third one, reported through the move's `nameNow`.
  kStranded,
  // The move could be neither finished nor taken back: the file still bears
  // its old name, and an entry of the move's own remains under the name
  // reported through `nameNow` (a second link of the file, or the empty file
  // that reserved the new name).
  kLeftBehind,
};

// What looking a name up in a directory found.
enum class NameState {
  kFree,     // no such entry
  kTaken,    // an entry answers to the name
  kUnknown,  // the lookup itself failed (no permission, I/O error, gone)
};

// The longest name a directory accepts. A name fits when its encoded bytes
// and its UTF-16 code units both stay within their limits: ext4, xfs, btrfs,
// tmpfs and most FUSE file systems count bytes; vfat, exFAT and NTFS count
// units; where the file system is not known, both apply.
struct NameLimit {
  static constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
  std::size_t maxBytes = 255;
  std::size_t maxUnits = kNoLimit;
};

// Whether the name fits the limit. Meaningful only for a name that
// EncodeName accepts.
bool NameFits(const NameLimit& limit, std::u16string_view name);

// Which directory a handle reaches, so that one replaced by another at the
// same path is told apart. Where the file system gives a handle that names
// this very directory and no later one (it carries a generation, so a node
// number handed back to a new directory does not match), that handle;
// otherwise the node number where it is stable, and the birth time where the
// file system reports one. The parts a file system cannot give stay empty.
struct DirectoryIdentity {
  std::uint64_t device = 0;
  std::uint64_t node = 0;
  std::string handle;
  std::uint64_t birth = 0;
  bool operator==(const DirectoryIdentity&) const = default;
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

  // kFree only when the lookup fails with "no such entry"; kUnknown when it
  // fails otherwise, so that a caller searching for a free name can stop
  // instead of asking again and again.
  virtual NameState LookUpName(std::u16string_view name) = 0;

  // Moves one entry of this directory to a new name and never replaces an
  // existing entry. A change of letter case only, of one file, succeeds also
  // on a file system that ignores case. On kStranded, `nameNow` (when given)
  // receives the name the file bears now; on kLeftBehind, the name of the
  // entry left beside it.
  virtual MoveResult Move(std::u16string_view oldName, std::u16string_view newName,
                          std::u16string* nameNow) = 0;
  MoveResult Move(std::u16string_view oldName, std::u16string_view newName) {
    return Move(oldName, newName, nullptr);
  }

  // A change of letter case only that Move reported done may not have
  // taken where the file system keeps a spelling of its own; checking each
  // at once would cost a listing of the whole directory per file. Appends
  // the new names, among those moves since the last call, that no entry
  // bears exactly: the file still bears its old spelling.
  virtual void ConfirmSpellings(std::vector<std::u16string>* notTaken) { (void)notTaken; }

  virtual NameLimit GetNameLimit() = 0;

  // Makes the moves made so far in this directory durable (an fsync of the
  // directory, and of the whole file system where that alone is not
  // enough); false when the file system refused, so that a success is never
  // reported on changes a power cut could take back.
  virtual bool MakeDurable() { return true; }

  // Intermediate names this handle gives a file within one move (a change
  // of case where the file system ignores case) begin with `prefix`, which
  // the caller has recorded beforehand, so that after a crash a file found
  // under such a name is known to be one of the run's.
  virtual void SetIntermediatePrefix(std::u16string_view prefix) { (void)prefix; }

  // Whether `leftover`, an entry a move cut short may have left, is proven
  // to be the run's own: a second link of the file bearing `file`, or an
  // empty regular file (the reserve of a name). Looks, never changes.
  virtual bool IsOwnLeftover(std::u16string_view leftover, std::u16string_view file) {
    (void)leftover;
    (void)file;
    return false;
  }
  // Removes `leftover` if it is proven so at that moment; true when it is
  // gone.
  virtual bool RemoveLeftover(std::u16string_view leftover, std::u16string_view file) {
    (void)leftover;
    (void)file;
    return false;
  }

  // nullopt when the file system cannot say.
  virtual std::optional<DirectoryIdentity> Identity() = 0;
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
