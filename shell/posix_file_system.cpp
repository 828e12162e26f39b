#include "shell/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/name_codec.h"

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
  explicit PosixDirectory(int fd) : m_fd(fd) {}
  ~PosixDirectory() override { ::close(m_fd); }

  bool List(std::vector<std::u16string>* names) override {
    // fdopendir takes over the descriptor it is given, and reading moves its
    // position: list through a fresh descriptor of the same directory.
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
      names->push_back(DecodeName(entry->d_name));
    }
    ::closedir(dir);
    return complete;
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
    if (::renameat2(m_fd, from->c_str(), m_fd, to->c_str(), RENAME_NOREPLACE) == 0)
      return MoveResult::kMoved;
    return MoveResult::kFailed;
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
  int m_fd;
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
  return std::make_unique<PosixDirectory>(fd);
}

}  // namespace quillon
