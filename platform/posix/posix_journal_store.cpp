#include "platform/posix/posix_journal_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace quillon {
namespace {

constexpr char kSuffix[] = ".journal";

int SyncDirectoryOf(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int error = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return error;
}

class PosixJournalFile : public JournalFile {
 public:
  // Takes over `fd`, which this process holds locked.
  PosixJournalFile(int fd, std::string directory, std::string name)
      : m_fd(fd), m_directory(std::move(directory)), m_name(std::move(name)) {}
  ~PosixJournalFile() override {
    if (m_fd >= 0) ::close(m_fd);
  }

  bool Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
  }

  bool Sync() override {
    if (::fdatasync(m_fd) != 0) return false;
    // The first sync also makes the file's own entry durable.
    if (!m_entrySynced) m_entrySynced = SyncDirectoryOf(m_directory) == 0;
    return m_entrySynced;
  }

  std::optional<std::string> ReadAll() override {
    std::string bytes;
    char buffer[1 << 16];
    for (off_t at = 0;;) {
      const ssize_t got = ::pread(m_fd, buffer, sizeof buffer, at);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return std::nullopt;
      if (got == 0) return bytes;
      bytes.append(buffer, static_cast<std::size_t>(got));
      at += got;
    }
  }

  bool Remove() override {
    // Removed while still locked, so no other process can take it between.
    return ::unlink((m_directory + "/" + m_name).c_str()) == 0 || errno == ENOENT;
  }

 private:
  int m_fd;
  std::string m_directory;
  std::string m_name;
  bool m_entrySynced = false;
};

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string PosixJournalStore::UserDirectory() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/quillon";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/quillon";
  return {};
}

bool PosixJournalStore::MakeDirectory() const {
  if (m_directory.empty() || m_directory[0] != '/') return false;
  // Each missing parent with owner-only permissions, as XDG asks of the
  // state directory.
  for (std::size_t slash = m_directory.find('/', 1);; slash = m_directory.find('/', slash + 1)) {
    const std::string part = m_directory.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st;
  if (::lstat(m_directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
    return false;
  // A journal must not be readable by others: the names are the user's.
  return (st.st_mode & 077) == 0 || ::chmod(m_directory.c_str(), 0700) == 0;
}

std::unique_ptr<JournalFile> PosixJournalStore::Create() {
  if (!MakeDirectory()) return nullptr;
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::string stem = "run-" + std::to_string(::getpid()) + "-" + std::to_string(now.tv_sec) +
                           "-" + std::to_string(now.tv_nsec);
  // Made and locked under a name no claim looks at, then given its own:
  // another process can never claim a journal before its owner locks it.
  const std::string making = m_directory + "/." + stem;
  const int fd =
      ::open(making.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_APPEND, 0600);
  if (fd < 0) return nullptr;
  const std::string name = stem + kSuffix;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      ::rename(making.c_str(), (m_directory + "/" + name).c_str()) != 0) {
    ::unlink(making.c_str());
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixJournalFile>(fd, m_directory, name);
}

std::vector<std::unique_ptr<JournalFile>> PosixJournalStore::ClaimAbandoned() {
  std::vector<std::unique_ptr<JournalFile>> claimed;
  DIR* dir = ::opendir(m_directory.c_str());
  if (dir == nullptr) return claimed;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name[0] != '.' && EndsWith(name, kSuffix)) names.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : names) {
    const int fd =
        ::open((m_directory + "/" + name).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_APPEND);
    if (fd < 0) continue;
    // A journal still locked belongs to a run going on in another window.
    struct stat st;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      continue;
    }
    claimed.push_back(std::make_unique<PosixJournalFile>(fd, m_directory, name));
  }
  return claimed;
}

}  // namespace quillon
