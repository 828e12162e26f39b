#include "platform/posix/posix_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <unordered_set>

#include "core/name_codec.h"
#include "platform/posix/posix_mount.h"

namespace quillon::internal {
namespace {

// statfs's f_type of every FUSE file system.
constexpr unsigned long kFuseMagic = 0x65735546UL;

}  // namespace

PosixDirectory::~PosixDirectory() {
  ::close(m_fd);
}

bool PosixDirectory::List(std::vector<std::u16string>* names) {
  return ReadEntries([names](const char* name) { names->push_back(DecodeName(name)); });
}

bool PosixDirectory::ListEach(const std::function<void(std::u16string_view)>& visit) {
  return ReadEntries([&visit](const char* name) { visit(DecodeName(name)); });
}

// Calls `visit` with the byte name of every entry; false when the
// enumeration could not start or stopped early. fdopendir takes over the
// descriptor it is given, and reading moves its position, so this reads
// through a fresh descriptor of the same directory.
template <typename Visit>
bool PosixDirectory::ReadEntries(Visit visit) {
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
bool PosixDirectory::ReadSpellings() {
  m_spellings.reset();
  std::unordered_set<std::string> spellings;
  const bool complete = ReadEntries([&spellings](const char* name) { spellings.insert(name); });
  if (complete) m_spellings = std::move(spellings);
  return complete;
}

NameState PosixDirectory::LookUpName(std::u16string_view name) {
  const auto bytes = EncodeName(name);
  if (!bytes) return NameState::kUnknown;
  struct stat st;
  if (::fstatat(m_fd, bytes->c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return NameState::kTaken;
  return errno == ENOENT ? NameState::kFree : NameState::kUnknown;
}

// Some file systems keep a spelling of their own for some names (vfat
// with shortname=lower shows an upper-case 8.3 name in lower case): then
// the case did not change, which is no success; the file is still found
// under its old name, since the file system ignores case. One listing
// checks every change made since the last call.
void PosixDirectory::ConfirmSpellings(std::vector<std::u16string>* notTaken) {
  if (m_unconfirmed.empty()) return;
  std::unordered_set<std::string> pending(m_unconfirmed.begin(), m_unconfirmed.end());
  m_unconfirmed.clear();
  ReadEntries([&pending](const char* entry) { pending.erase(entry); });
  for (const std::string& name : pending) notTaken->push_back(DecodeName(name));
  // What the file system made of those names is no longer known.
  if (!pending.empty()) m_spellings.reset();
}

NameLimit PosixDirectory::GetNameLimit() {
  errno = 0;
  const long max = ::fpathconf(m_fd, _PC_NAME_MAX);
  return NameLimitForMount(FileSystemTypeOf(m_fd), max > 0 ? max : 0);
}

bool PosixDirectory::MakeDurable() {
  // A directory fd that cannot be synced (a file system without the
  // notion) has nothing to make durable that way; the others must.
  if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) return false;
  // FUSE passes a directory's fsync to a daemon that may ignore it, and
  // FAT-family file systems keep their tables apart from the directory:
  // there the whole file system is flushed.
  return !NeedsWholeSync() || ::syncfs(m_fd) == 0;
}

bool PosixDirectory::NeedsWholeSync() {
  if (OnFuse()) return true;
  struct statfs fs;
  if (::fstatfs(m_fd, &fs) != 0) return true;
  constexpr unsigned long kMsdosMagic = 0x4d44UL;
  constexpr unsigned long kExfatMagic = 0x2011BAB0UL;
  const auto type = static_cast<unsigned long>(fs.f_type);
  return type == kMsdosMagic || type == kExfatMagic;
}

// Whether the directory lies on a FUSE file system; asked once per handle.
bool PosixDirectory::OnFuse() {
  if (!m_fuse) {
    struct statfs fs;
    m_fuse = ::fstatfs(m_fd, &fs) == 0 && static_cast<unsigned long>(fs.f_type) == kFuseMagic;
  }
  return *m_fuse;
}

bool PosixDirectory::IsOwnLeftover(std::u16string_view leftover, std::u16string_view file) {
  const auto extra = EncodeName(leftover);
  const auto kept = EncodeName(file);
  return extra && kept && *extra != *kept && ProvenLeftover(*extra, *kept);
}

bool PosixDirectory::RemoveLeftover(std::u16string_view leftover, std::u16string_view file) {
  const auto extra = EncodeName(leftover);
  const auto kept = EncodeName(file);
  return extra && kept && *extra != *kept && ProvenLeftover(*extra, *kept) && UnlinkAt(*extra) == 0;
}

// A second link of the file, or an empty regular file: nothing of the
// user's is lost with it.
bool PosixDirectory::ProvenLeftover(const std::string& extra, const std::string& kept) {
  struct stat leftover;
  struct stat file;
  if (StatAt(extra, &leftover) != 0 || !S_ISREG(leftover.st_mode)) return false;
  if (leftover.st_size == 0) return true;
  return StatAt(kept, &file) == 0 && LinkedToSameFile(leftover, file);
}

bool PosixDirectory::SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether an entry read now is the file read before. A FUSE file system
// that works by path numbers a file anew once the kernel has forgotten
// it (memory pressure between two looks), so there the file is known by
// what it holds instead: the same type, size and modification time.
bool PosixDirectory::StillSame(const struct stat& now, const struct stat& before) {
  if (SameFile(now, before)) return true;
  return OnFuse() && now.st_dev == before.st_dev && now.st_mode == before.st_mode &&
         now.st_size == before.st_size && now.st_mtim.tv_sec == before.st_mtim.tv_sec &&
         now.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
}

// Whether two names, read just after linking, are one file. A FUSE file
// system that works by path gives each name a node number of its own, so
// there two names of one file agree in everything but that number.
bool PosixDirectory::LinkedToSameFile(const struct stat& a, const struct stat& b) {
  if (SameFile(a, b)) return true;
  if (!OnFuse()) return false;
  return a.st_dev == b.st_dev && a.st_mode == b.st_mode && a.st_size == b.st_size &&
         a.st_nlink >= 2 && a.st_nlink == b.st_nlink && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

std::optional<DirectoryIdentity> PosixDirectory::Identity() {
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

// The file system's export handle of the directory (its type and bytes),
// empty where it gives none.
std::string PosixDirectory::ExportHandle() const {
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

}  // namespace quillon::internal
