#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

#include "core/name_codec.h"
#include "platform/posix/posix_directory.h"

namespace quillon {

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
  return std::make_unique<internal::PosixDirectory>(fd, m_options, m_seam);
}

}  // namespace quillon
