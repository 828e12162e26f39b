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

#include "core/collation.h"
#include "core/name_codec.h"
#include "shell/posix_mount.h"
#include "shell/posix_signal_guard.h"

namespace quillon {
namespace {

// statfs's f_type of every FUSE file system.
constexpr unsigned long kFuseMagic = 0x65735546UL;

class PosixDirectory : public DirectoryHandle {
 public:
  PosixDirectory(int fd, PosixMoveOptions options, PosixCallSeam seam)
      : m_fd(fd), m_options(options), m_seam(std::move(seam)) {}
  ~PosixDirectory() override { ::close(m_fd); }

  bool List(std::vector<std::u16string>* names) override {
    return ReadEntries([names](const char* name) { names->push_back(DecodeName(name)); });
  }

  bool ListEach(const std::function<void(std::u16string_view)>& visit) override {
    return ReadEntries([&visit](const char* name) { visit(DecodeName(name)); });
  }

  NameState LookUpName(std::u16string_view name) override {
    const auto bytes = EncodeName(name);
    if (!bytes) return NameState::kUnknown;
    struct stat st;
    if (::fstatat(m_fd, bytes->c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return NameState::kTaken;
    return errno == ENOENT ? NameState::kFree : NameState::kUnknown;
  }

  MoveResult Move(std::u16string_view oldName, std::u16string_view newName,
                  std::u16string* nameNow) override {
    const auto from = EncodeName(oldName);
    const auto to = EncodeName(newName);
    if (!from || !to) return MoveResult::kFailed;
    m_leftBehind.clear();
    // Once the directory has shown that it ignores case, a change of case
    // only goes through an intermediate name at once: the direct move could
    // only find the new spelling taken by the file itself.
    if (m_ignoresCase && IsCaseAlias(oldName, newName, *to))
      return MoveThroughIntermediate(*from, *to, nameNow);
    const int error = MoveNoReplace(*from, *to);
    if (error == 0) {
      NoteMoved(*from, *to);
      return MoveResult::kMoved;
    }
    if (!m_leftBehind.empty()) return LeftBehind(nameNow);
    if (error == EEXIST && IsCaseAlias(oldName, newName, *to)) {
      m_ignoresCase = true;
      return MoveThroughIntermediate(*from, *to, nameNow);
    }
    return Classify(error);
  }

  // Some file systems keep a spelling of their own for some names (vfat
  // with shortname=lower shows an upper-case 8.3 name in lower case): then
  // the case did not change, which is no success; the file is still found
  // under its old name, since the file system ignores case. One listing
  // checks every change made since the last call.
  void ConfirmSpellings(std::vector<std::u16string>* notTaken) override {
    if (m_unconfirmed.empty()) return;
    std::unordered_set<std::string> pending(m_unconfirmed.begin(), m_unconfirmed.end());
    m_unconfirmed.clear();
    ReadEntries([&pending](const char* entry) { pending.erase(entry); });
    for (const std::string& name : pending) notTaken->push_back(DecodeName(name));
    // What the file system made of those names is no longer known.
    if (!pending.empty()) m_spellings.reset();
  }

  NameLimit GetNameLimit() override {
    errno = 0;
    const long max = ::fpathconf(m_fd, _PC_NAME_MAX);
    return NameLimitForMount(FileSystemTypeOf(m_fd), max > 0 ? max : 0);
  }

  bool MakeDurable() override {
    // A directory fd that cannot be synced (a file system without the
    // notion) has nothing to make durable that way; the others must.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) return false;
    // FUSE passes a directory's fsync to a daemon that may ignore it, and
    // FAT-family file systems keep their tables apart from the directory:
    // there the whole file system is flushed.
    return !NeedsWholeSync() || ::syncfs(m_fd) == 0;
  }

  void SetIntermediatePrefix(std::u16string_view prefix) override {
    if (const auto bytes = EncodeName(prefix)) m_intermediatePrefix = *bytes;
  }

  bool IsOwnLeftover(std::u16string_view leftover, std::u16string_view file) override {
    const auto extra = EncodeName(leftover);
    const auto kept = EncodeName(file);
    return extra && kept && *extra != *kept && ProvenLeftover(*extra, *kept);
  }

  bool RemoveLeftover(std::u16string_view leftover, std::u16string_view file) override {
    const auto extra = EncodeName(leftover);
    const auto kept = EncodeName(file);
    return extra && kept && *extra != *kept && ProvenLeftover(*extra, *kept) &&
           UnlinkAt(*extra) == 0;
  }

  std::optional<DirectoryIdentity> Identity() override {
    struct stat st;
    if (::fstat(m_fd, &st) != 0) return std::nullopt;
    DirectoryIdentity identity;
    identity.device = static_cast<std::uint64_t>(st.st_dev);
    // A FUSE file system may number a directory anew, and so hand out
    // another export handle, once the kernel has forgotten it (exfat-fuse
    // does under memory pressure): neither says anything there. Elsewhere a
    // freed node number may be handed straight back to a new directory
    // (ext4), which the handle's generation tells apart.
    if (!OnFuse()) {
      identity.handle = ExportHandle();
      if (identity.handle.empty()) identity.node = static_cast<std::uint64_t>(st.st_ino);
    }
    struct statx sx;
    if (::statx(m_fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_BTIME, &sx) == 0 &&
        (sx.stx_mask & STATX_BTIME) != 0) {
      identity.birth =
          static_cast<std::uint64_t>(sx.stx_btime.tv_sec) * 1000000000u + sx.stx_btime.tv_nsec;
    }
    return identity;
  }

 private:
  // A second link of the file, or an empty regular file: nothing of the
  // user's is lost with it.
  bool ProvenLeftover(const std::string& extra, const std::string& kept) {
    struct stat leftover;
    struct stat file;
    if (StatAt(extra, &leftover) != 0 || !S_ISREG(leftover.st_mode)) return false;
    if (leftover.st_size == 0) return true;
    return StatAt(kept, &file) == 0 && LinkedToSameFile(leftover, file);
  }

  bool NeedsWholeSync() {
    if (OnFuse()) return true;
    struct statfs fs;
    if (::fstatfs(m_fd, &fs) != 0) return true;
    constexpr unsigned long kMsdosMagic = 0x4d44UL;
    constexpr unsigned long kExfatMagic = 0x2011BAB0UL;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type == kMsdosMagic || type == kExfatMagic;
  }

  // The file system's export handle of the directory (its type and bytes),
  // empty where it gives none.
  std::string ExportHandle() const {
    union {
      file_handle handle;
      char space[sizeof(file_handle) + MAX_HANDLE_SZ];
    } buffer;
    buffer.handle.handle_bytes = MAX_HANDLE_SZ;
    int mountId = 0;
    if (::name_to_handle_at(m_fd, "", &buffer.handle, &mountId, AT_EMPTY_PATH) != 0) return {};
    std::string bytes(reinterpret_cast<const char*>(&buffer.handle.handle_type),
                      sizeof buffer.handle.handle_type);
    bytes.append(reinterpret_cast<const char*>(buffer.handle.f_handle), buffer.handle.handle_bytes);
    return bytes;
  }

  // The system calls of a move, each 0 or its errno, each passing the test
  // seam first.
  int Seam(PosixCall call, const std::string& from, const std::string& to) {
    return m_seam ? m_seam(call, from, to) : 0;
  }
  int RenameAt(const std::string& from, const std::string& to, unsigned flags) {
    if (const int injected = Seam(PosixCall::kRename, from, to)) return injected < 0 ? 0 : injected;
    return ::renameat2(m_fd, from.c_str(), m_fd, to.c_str(), flags) == 0 ? 0 : errno;
  }
  int LinkAt(const std::string& from, const std::string& to) {
    if (const int injected = Seam(PosixCall::kLink, from, to)) return injected < 0 ? 0 : injected;
    return ::linkat(m_fd, from.c_str(), m_fd, to.c_str(), 0) == 0 ? 0 : errno;
  }
  int StatAt(const std::string& name, struct stat* st) {
    if (const int injected = Seam(PosixCall::kStat, name, {})) return injected < 0 ? 0 : injected;
    return ::fstatat(m_fd, name.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
  }
  int UnlinkAt(const std::string& name) {
    if (const int injected = Seam(PosixCall::kUnlink, name, {})) return injected < 0 ? 0 : injected;
    return ::unlinkat(m_fd, name.c_str(), 0) == 0 ? 0 : errno;
  }

  // Moves `from` to `to` without ever replacing an entry. Returns 0 or the
  // errno of the failure; on failure both names are as they were.
  //
  // What the file system refuses is remembered for the handle, so that a
  // run asks once, not once per file.
  int MoveNoReplace(const std::string& from, const std::string& to) {
    if (!m_options.pretendNoReplaceUnsupported && !m_noReplaceRefused && NoReplaceTrusted()) {
      const int error = RenameAt(from, to, RENAME_NOREPLACE);
      // Only these say the flag itself is not understood; anything else is
      // the answer about this move.
      if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return error;
      m_noReplaceRefused = true;
    }
    struct stat source;
    if (const int error = StatAt(from, &source)) return error;
    // A directory can neither be hard-linked nor renamed over a file.
    if (S_ISDIR(source.st_mode)) return EOPNOTSUPP;
    if (!m_options.pretendHardLinksUnsupported && !m_linksRefused) {
      const int error = MoveByLink(from, to, source);
      // Too many links is this file's matter; the others the file system's.
      if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS && error != EMLINK) return error;
      m_linksRefused = error != EMLINK;
    }
    return MoveOverPlaceholder(from, to);
  }

  // Whether renameat2 may be asked not to replace. A kernel file system
  // honours RENAME_NOREPLACE or refuses it; a FUSE file system may hand the
  // flag to code that ignores it and replace the target all the same, so
  // there a move never relies on it. Decided once per handle.
  bool NoReplaceTrusted() { return !OnFuse(); }

  // Whether the directory lies on a FUSE file system; asked once per handle.
  bool OnFuse() {
    if (!m_fuse) {
      struct statfs fs;
      m_fuse = ::fstatfs(m_fd, &fs) == 0 && static_cast<unsigned long>(fs.f_type) == kFuseMagic;
    }
    return *m_fuse;
  }

  // link() fails when the new name exists, so the new name is taken
  // atomically; the old name goes only once both name the same file.
  int MoveByLink(const std::string& from, const std::string& to, const struct stat& source) {
    if (const int error = LinkAt(from, to)) return error;
    struct stat linked;
    struct stat original;
    if (StatAt(to, &linked) == 0 && StatAt(from, &original) == 0 && StillSame(original, source) &&
        LinkedToSameFile(linked, original)) {
      const int error = UnlinkAt(from);
      if (error == 0) return 0;
      RemoveOwnLink(from, to, source);
      return error;
    }
    return SettleUnprovenLink(from, to, source);
  }

  // The check after linking failed: a name was replaced at once, or a
  // lookup failed. Every name is looked at again, and only a name proven to
  // be our file is acted on; whatever else a name holds may be another
  // program's and stays.
  int SettleUnprovenLink(const std::string& from, const std::string& to,
                         const struct stat& source) {
    const Ownership target = Owner(to, source);
    const Ownership origin = Owner(from, source);
    if (target == Ownership::kOurs && origin == Ownership::kOurs) {
      // Two names of our file: it keeps the old one only, as on any failure.
      if (UnlinkAt(to) != 0) m_leftBehind = to;
      return EEXIST;
    }
    // Another file took the old name: ours now bears only the new one, so
    // the move is what happened; removing that name would lose the file.
    if (target == Ownership::kOurs && origin == Ownership::kTheirs) return 0;
    return EEXIST;
  }

  // The old name could not be removed: the new link goes again, but only
  // while both names still lead to our file. Where it cannot go either (the
  // directory turned read-only), the file has both names, and says so.
  void RemoveOwnLink(const std::string& from, const std::string& to, const struct stat& source) {
    if (Owner(to, source) == Ownership::kOurs && Owner(from, source) == Ownership::kOurs &&
        UnlinkAt(to) != 0)
      m_leftBehind = to;
  }

  enum class Ownership { kOurs, kTheirs, kUnknown };
  // kTheirs also when the name is gone.
  Ownership Owner(const std::string& name, const struct stat& source) {
    struct stat now;
    const int error = StatAt(name, &now);
    if (error == ENOENT) return Ownership::kTheirs;
    if (error != 0) return Ownership::kUnknown;
    return StillSame(now, source) ? Ownership::kOurs : Ownership::kTheirs;
  }

  // Reserves the new name with an empty file of our own (creation fails if
  // the name exists), then renames over that placeholder only.
  //
  // The last resort, used only where neither RENAME_NOREPLACE nor hard links
  // exist. It has a window no check can close: between proving the
  // placeholder ours and the rename over it, another program may replace
  // the placeholder with a file of its own, and the plain rename then
  // replaces that file. The window is a few system calls wide and needs a
  // program writing exactly that name at that moment; every better way of
  // moving is tried first.
  int MoveOverPlaceholder(const std::string& from, const std::string& to) {
    if (const int injected = Seam(PosixCall::kCreate, to, {})) return injected < 0 ? 0 : injected;
    const int fd =
        ::openat(m_fd, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    struct stat placeholder;
    const bool known = ::fstat(fd, &placeholder) == 0;
    ::close(fd);
    // Without knowing our placeholder we cannot tell it from a file someone
    // put there meanwhile: better an empty file left behind than theirs gone.
    if (!known) {
      m_leftBehind = to;
      return EIO;
    }
    if (!IsOurPlaceholder(to, placeholder)) return EEXIST;
    const int error = RenameAt(from, to, 0);
    if (error == 0) return 0;
    RemoveIfPlaceholder(to, placeholder);
    return error;
  }

  bool IsOurPlaceholder(const std::string& name, const struct stat& placeholder) {
    struct stat now;
    return StatAt(name, &now) == 0 && S_ISREG(now.st_mode) && now.st_size == 0 &&
           StillSame(now, placeholder);
  }

  void RemoveIfPlaceholder(const std::string& name, const struct stat& placeholder) {
    if (IsOurPlaceholder(name, placeholder) && UnlinkAt(name) != 0) m_leftBehind = name;
  }

  // The answer for a move that left an entry of its own beside the file.
  MoveResult LeftBehind(std::u16string* nameNow) {
    if (nameNow != nullptr) *nameNow = DecodeName(m_leftBehind);
    return MoveResult::kLeftBehind;
  }

  static bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  }

  // Whether an entry read now is the file read before. A FUSE file system
  // that works by path numbers a file anew once the kernel has forgotten
  // it (memory pressure between two looks), so there the file is known by
  // what it holds instead: the same type, size and modification time.
  bool StillSame(const struct stat& now, const struct stat& before) {
    if (SameFile(now, before)) return true;
    return OnFuse() && now.st_dev == before.st_dev && now.st_mode == before.st_mode &&
           now.st_size == before.st_size && now.st_mtim.tv_sec == before.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
  }

  // Whether two names, read just after linking, are one file. A FUSE file
  // system that works by path gives each name a node number of its own, so
  // there two names of one file agree in everything but that number.
  bool LinkedToSameFile(const struct stat& a, const struct stat& b) {
    if (SameFile(a, b)) return true;
    if (!OnFuse()) return false;
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
  MoveResult MoveThroughIntermediate(const std::string& from, const std::string& to,
                                     std::u16string* nameNow) {
    std::string middle;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
      middle = IntermediateName();
      error = MoveNoReplace(from, middle);
      if (!m_leftBehind.empty()) return LeftBehind(nameNow);
    }
    if (error != 0) return Classify(error);
    error = MoveNoReplace(middle, to);
    if (error != 0) {
      // Back to the old spelling; what the failed step left under the new
      // one stays reported.
      std::string leftUnderNew = std::move(m_leftBehind);
      m_leftBehind.clear();
      if (MoveNoReplace(middle, from) == 0 && m_leftBehind.empty()) {
        m_leftBehind = std::move(leftUnderNew);
        return m_leftBehind.empty() ? Classify(error) : LeftBehind(nameNow);
      }
      // Another program saved a file under the old spelling between the two
      // steps, or the volume turned read-only: the file is left under the
      // intermediate name, and whoever keeps track of it must know that name,
      // or the old one would lead to the other program's file.
      NoteMoved(from, middle);
      if (nameNow != nullptr) *nameNow = DecodeName(middle);
      return MoveResult::kStranded;
    }
    // Whether the new spelling took is known only from a listing: one at
    // the end of the run tells for every such change at once.
    NoteMoved(from, to);
    m_unconfirmed.push_back(to);
    return MoveResult::kMoved;
  }

  // A name of the handle's own for the middle of a two-step move: under the
  // run's recorded prefix where there is one.
  std::string IntermediateName() {
    const unsigned n = ++m_intermediateCounter;
    if (!m_intermediatePrefix.empty()) return m_intermediatePrefix + std::to_string(n);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, ".quillon-%ld-%u", static_cast<long>(::getpid()), n);
    return buffer;
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
  PosixCallSeam m_seam;
  unsigned m_intermediateCounter = 0;
  std::string m_intermediatePrefix;
  // The entry the last move left beside the file, if any: a second link, or
  // the empty file that reserved the new name.
  std::string m_leftBehind;
  std::optional<bool> m_fuse;
  bool m_noReplaceRefused = false;
  bool m_linksRefused = false;
  bool m_ignoresCase = false;
  std::optional<std::unordered_set<std::string>> m_spellings;  // exact entry names
  // Case-only changes made through an intermediate name, not yet checked.
  std::vector<std::string> m_unconfirmed;
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
  return std::make_unique<PosixDirectory>(fd, m_options, m_seam);
}

}  // namespace quillon
