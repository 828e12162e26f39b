#include "shell/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <unordered_set>

#include "core/name_codec.h"
#include "intake/collation.h"
#include "shell/posix_signal_guard.h"

namespace quillon {
namespace {

// File systems that store names as UTF-16 and count their limit in code
// units rather than in bytes of the encoded name.
bool CountsUtf16Units(int fd) {
  struct statfs fs;
  if (::fstatfs(fd, &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x4d44UL:      // vfat / msdos
    case 0x2011BAB0UL:  // exFAT (kernel)
    case 0x65735546UL:  // FUSE (exfat-fuse, ntfs-3g)
    case 0x5346544eUL:  // NTFS
    case 0x7366746eUL:  // ntfs3
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
      return true;
    default:
      return false;
  }
}

class PosixDirectory : public DirectoryHandle {
 public:
  PosixDirectory(int fd, PosixMoveOptions options) : m_fd(fd), m_options(options) {}
  ~PosixDirectory() override { ::close(m_fd); }

  bool List(std::vector<std::u16string>* names) override {
    return ReadEntries([names](const char* name) { names->push_back(DecodeName(name)); });
  }

  bool ListEach(const std::function<void(std::u16string_view)>& visit) override {
    return ReadEntries([&visit](const char* name) { visit(DecodeName(name)); });
  }

  bool IsNameFree(std::u16string_view name) override {
    const auto bytes = EncodeName(name);
    if (!bytes) return false;
    struct stat st;
    return ::fstatat(m_fd, bytes->c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
  }

  MoveResult Move(std::u16string_view oldName, std::u16string_view newName) override {
    const auto from = EncodeName(oldName);
    const auto to = EncodeName(newName);
    if (!from || !to) return MoveResult::kFailed;
    const int error = MoveNoReplace(*from, *to);
    if (error == 0) {
      NoteMoved(*from, *to);
      return MoveResult::kMoved;
    }
    if (error == EEXIST && IsCaseAlias(oldName, newName, *to))
      return MoveThroughIntermediate(*from, *to);
    return Classify(error);
  }

  NameLimit GetNameLimit() override {
    NameLimit limit;
    errno = 0;
    const long max = ::fpathconf(m_fd, _PC_NAME_MAX);
    if (max > 0) limit.maxLength = static_cast<std::size_t>(max);
    limit.countsBytes = !CountsUtf16Units(m_fd);
    return limit;
  }

 private:
  // Moves `from` to `to` without ever replacing an entry. Returns 0 or the
  // errno of the failure; on failure both names are as they were.
  int MoveNoReplace(const std::string& from, const std::string& to) {
    if (!m_options.pretendNoReplaceUnsupported) {
      if (::renameat2(m_fd, from.c_str(), m_fd, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
      const int error = errno;
      // Only these say the flag itself is not understood; anything else is
      // the answer about this move.
      if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return error;
    }
    struct stat source;
    if (::fstatat(m_fd, from.c_str(), &source, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    // A directory can neither be hard-linked nor renamed over a file.
    if (S_ISDIR(source.st_mode)) return EOPNOTSUPP;
    if (!m_options.pretendHardLinksUnsupported) {
      const int error = MoveByLink(from, to, source);
      if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS && error != EMLINK) return error;
    }
    return MoveOverPlaceholder(from, to);
  }

  // link() fails when the new name exists, so the new name is taken
  // atomically; the old name goes only once both name the same file.
  int MoveByLink(const std::string& from, const std::string& to, const struct stat& source) {
    if (::linkat(m_fd, from.c_str(), m_fd, to.c_str(), 0) != 0) return errno;
    struct stat linked;
    struct stat original;
    if (::fstatat(m_fd, to.c_str(), &linked, AT_SYMLINK_NOFOLLOW) != 0 ||
        ::fstatat(m_fd, from.c_str(), &original, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(original, source) || !LinkedToSameFile(linked, original)) {
      // Someone replaced a name at once. Whatever the new name holds now may
      // be theirs, so it stays; our file still has its old name.
      return EEXIST;
    }
    if (::unlinkat(m_fd, from.c_str(), 0) != 0) {
      const int error = errno;
      ::unlinkat(m_fd, to.c_str(), 0);  // the file keeps its old name only
      return error;
    }
    return 0;
  }

  // Reserves the new name with an empty file of our own (creation fails if
  // the name exists), then renames over that placeholder only.
  int MoveOverPlaceholder(const std::string& from, const std::string& to) {
    const int fd =
        ::openat(m_fd, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    struct stat placeholder;
    const bool known = ::fstat(fd, &placeholder) == 0;
    ::close(fd);
    // Without knowing our placeholder we cannot tell it from a file someone
    // put there meanwhile: better an empty file left behind than theirs gone.
    if (!known) return EIO;
    if (!IsOurPlaceholder(to, placeholder)) return EEXIST;
    if (::renameat(m_fd, from.c_str(), m_fd, to.c_str()) == 0) return 0;
    const int error = errno;
    RemoveIfPlaceholder(to, placeholder);
    return error;
  }

  bool IsOurPlaceholder(const std::string& name, const struct stat& placeholder) {
    struct stat now;
    return ::fstatat(m_fd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(now.st_mode) &&
           now.st_size == 0 && SameFile(now, placeholder);
  }

  void RemoveIfPlaceholder(const std::string& name, const struct stat& placeholder) {
    if (IsOurPlaceholder(name, placeholder)) ::unlinkat(m_fd, name.c_str(), 0);
  }

  static bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  }

  // Whether two names, read just after linking, are one file. A FUSE file
  // system that works by path gives each name a node number of its own, so
  // there two names of one file agree in everything but that number.
  bool LinkedToSameFile(const struct stat& a, const struct stat& b) {
    if (SameFile(a, b)) return true;
    struct statfs fs;
    if (::fstatfs(m_fd, &fs) != 0 || static_cast<unsigned long>(fs.f_type) != 0x65735546UL)
      return false;
    return a.st_dev == b.st_dev && a.st_mode == b.st_mode && a.st_size == b.st_size &&
           a.st_nlink >= 2 && a.st_nlink == b.st_nlink && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
  }

  // On a file system that ignores case, "A.txt" already "exists" while
  // "a.txt" does: both spellings lead to the same file, and no entry is spelt
  // exactly "A.txt". Inode numbers cannot tell: a FUSE file system may give
  // each spelling a node of its own. Where the exact entry exists (two hard
  // links on a file system that tells case apart) the name really is taken.
  bool IsCaseAlias(std::u16string_view oldName, std::u16string_view newName,
                   const std::string& to) {
    if (oldName == newName || CompareNames(oldName, newName) != 0) return false;
    // The spellings are read once per handle and then follow our own moves,
    // so that renaming a whole series by case stays linear.
    if (!m_spellings && !ReadSpellings()) return false;
    return m_spellings->count(to) == 0;
  }

  // Calls `visit` with the byte name of every entry; false when the
  // enumeration could not start or stopped early. fdopendir takes over the
  // descriptor it is given, and reading moves its position, so this reads
  // through a fresh descriptor of the same directory.
  template <typename Visit>
  bool ReadEntries(Visit visit) {
    const int fd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
      ::close(fd);
      return false;
    }
    bool complete = true;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (entry == nullptr) {
        complete = errno == 0;
        break;
      }
      visit(entry->d_name);
    }
    ::closedir(dir);
    return complete;
  }

  // Reads the exact spelling of every entry; false when the directory cannot
  // be read to the end.
  bool ReadSpellings() {
    m_spellings.reset();
    std::unordered_set<std::string> spellings;
    const bool complete = ReadEntries([&spellings](const char* name) { spellings.insert(name); });
    if (complete) m_spellings = std::move(spellings);
    return complete;
  }

  void NoteMoved(const std::string& from, const std::string& to) {
    if (!m_spellings) return;
    m_spellings->erase(from);
    m_spellings->insert(to);
  }

  // A case-only change on a file system that ignores case: a plain rename
  // between two names of one file does nothing and reports success, so the
  // file goes through a name of its own, in two moves that never replace.
  MoveResult MoveThroughIntermediate(const std::string& from, const std::string& to) {
    std::string middle;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, ".quillon-%ld-%u", static_cast<long>(::getpid()),
                    ++m_intermediateCounter);
      middle = buffer;
      error = MoveNoReplace(from, middle);
    }
    if (error != 0) return Classify(error);
    error = MoveNoReplace(middle, to);
    if (error != 0) {
      MoveNoReplace(middle, from);
      return Classify(error);
    }
    return SpellingTaken(from, to) ? MoveResult::kMoved : MoveResult::kFailed;
  }

  // Some file systems keep a spelling of their own for some names (vfat
  // with shortname=lower shows an upper-case 8.3 name in lower case): then
  // the case did not change, which is no success; the file is still found
  // under its old name, since the file system ignores case. Each change is
  // checked against a fresh listing until kTrustedSpellings in a row have
  // kept the spelling asked for; checking every one would make renaming a
  // large series by case quadratic.
  bool SpellingTaken(const std::string& from, const std::string& to) {
    if (m_spellingsKept >= kTrustedSpellings) {
      NoteMoved(from, to);
      return true;
    }
    if (!ReadSpellings()) return false;
    const bool kept = m_spellings->count(to) != 0;
    m_spellingsKept = kept ? m_spellingsKept + 1 : 0;
    return kept;
  }

  // "In use" exists only where a Windows program can hold a file open
  // against us: an SMB share. Anywhere else the same errors (a mount point,
  // a busy text file) would trap the user in an endless retry.
  MoveResult Classify(int error) {
    if (error != EBUSY && error != ETXTBSY && error != EAGAIN) return MoveResult::kFailed;
    struct statfs fs;
    if (::fstatfs(m_fd, &fs) != 0) return MoveResult::kFailed;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type == 0xFF534D42UL || type == 0xFE534D42UL ? MoveResult::kInUse : MoveResult::kFailed;
  }

  int m_fd;
  PosixMoveOptions m_options;
  unsigned m_intermediateCounter = 0;
  static constexpr int kTrustedSpellings = 16;
  std::optional<std::unordered_set<std::string>> m_spellings;  // exact entry names
  int m_spellingsKept = 0;
  TerminateSignalGuard m_signalGuard;
};

}  // namespace

EntryType PosixFileSystem::GetEntryType(std::u16string_view path) {
  const auto bytes = EncodePath(path);
  if (!bytes) return EntryType::kUnreadable;
  struct stat st;
  if (::lstat(bytes->c_str(), &st) != 0) return EntryType::kUnreadable;
  return S_ISDIR(st.st_mode) ? EntryType::kDirectory : EntryType::kNonDirectory;
}

std::unique_ptr<DirectoryHandle> PosixFileSystem::OpenDirectory(std::u16string_view path) {
  const auto bytes = EncodePath(path);
  if (!bytes) return nullptr;
  const int fd = ::open(bytes->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixDirectory>(fd, m_options);
}

}  // namespace quillon
