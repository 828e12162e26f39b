// The moves of the POSIX directory handle: never replacing an entry, by
// RENAME_NOREPLACE, a hard link or a placeholder, and a change of case
// through an intermediate name where the file system ignores case.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "core/collation.h"
#include "core/name_codec.h"
#include "platform/posix/posix_directory.h"

namespace quillon::internal {

MoveResult PosixDirectory::Move(std::u16string_view oldName, std::u16string_view newName,
                                std::u16string* nameNow) {
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

// The system calls of a move, each 0 or its errno, each passing the test
// seam first.
int PosixDirectory::Seam(PosixCall call, const std::string& from, const std::string& to) {
  return m_seam ? m_seam(call, from, to) : 0;
}
int PosixDirectory::RenameAt(const std::string& from, const std::string& to, unsigned flags) {
  if (const int injected = Seam(PosixCall::kRename, from, to)) return injected < 0 ? 0 : injected;
  return ::renameat2(m_fd, from.c_str(), m_fd, to.c_str(), flags) == 0 ? 0 : errno;
}
int PosixDirectory::LinkAt(const std::string& from, const std::string& to) {
  if (const int injected = Seam(PosixCall::kLink, from, to)) return injected < 0 ? 0 : injected;
  return ::linkat(m_fd, from.c_str(), m_fd, to.c_str(), 0) == 0 ? 0 : errno;
}
int PosixDirectory::StatAt(const std::string& name, struct stat* st) {
  if (const int injected = Seam(PosixCall::kStat, name, {})) return injected < 0 ? 0 : injected;
  return ::fstatat(m_fd, name.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}
int PosixDirectory::UnlinkAt(const std::string& name) {
  if (const int injected = Seam(PosixCall::kUnlink, name, {})) return injected < 0 ? 0 : injected;
  return ::unlinkat(m_fd, name.c_str(), 0) == 0 ? 0 : errno;
}

// Moves `from` to `to` without ever replacing an entry. Returns 0 or the
// errno of the failure; on failure both names are as they were.
//
// What the file system refuses is remembered for the handle, so that a
// run asks once, not once per file.
int PosixDirectory::MoveNoReplace(const std::string& from, const std::string& to) {
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
bool PosixDirectory::NoReplaceTrusted() {
  return !OnFuse();
}

// link() fails when the new name exists, so the new name is taken
// atomically; the old name goes only once both name the same file.
int PosixDirectory::MoveByLink(const std::string& from, const std::string& to,
                               const struct stat& source) {
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
int PosixDirectory::SettleUnprovenLink(const std::string& from, const std::string& to,
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
void PosixDirectory::RemoveOwnLink(const std::string& from, const std::string& to,
                                   const struct stat& source) {
  if (Owner(to, source) == Ownership::kOurs && Owner(from, source) == Ownership::kOurs &&
      UnlinkAt(to) != 0)
    m_leftBehind = to;
}

// kTheirs also when the name is gone.
PosixDirectory::Ownership PosixDirectory::Owner(const std::string& name,
                                                const struct stat& source) {
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
int PosixDirectory::MoveOverPlaceholder(const std::string& from, const std::string& to) {
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

bool PosixDirectory::IsOurPlaceholder(const std::string& name, const struct stat& placeholder) {
  struct stat now;
  return StatAt(name, &now) == 0 && S_ISREG(now.st_mode) && now.st_size == 0 &&
         StillSame(now, placeholder);
}

void PosixDirectory::RemoveIfPlaceholder(const std::string& name, const struct stat& placeholder) {
  if (IsOurPlaceholder(name, placeholder) && UnlinkAt(name) != 0) m_leftBehind = name;
}

// The answer for a move that left an entry of its own beside the file.
MoveResult PosixDirectory::LeftBehind(std::u16string* nameNow) {
  if (nameNow != nullptr) *nameNow = DecodeName(m_leftBehind);
  return MoveResult::kLeftBehind;
}

// On a file system that ignores case, "A.txt" already "exists" while
// "a.txt" does: both spellings lead to the same file, and no entry is spelt
// exactly "A.txt". Inode numbers cannot tell: a FUSE file system may give
// each spelling a node of its own. Where the exact entry exists (two hard
// links on a file system that tells case apart) the name really is taken.
bool PosixDirectory::IsCaseAlias(std::u16string_view oldName, std::u16string_view newName,
                                 const std::string& to) {
  if (oldName == newName || CompareNames(oldName, newName) != 0) return false;
  // The spellings are read once per handle and then follow our own moves,
  // so that renaming a whole series by case stays linear.
  if (!m_spellings && !ReadSpellings()) return false;
  return m_spellings->count(to) == 0;
}

void PosixDirectory::NoteMoved(const std::string& from, const std::string& to) {
  if (!m_spellings) return;
  m_spellings->erase(from);
  m_spellings->insert(to);
}

// A case-only change on a file system that ignores case: a plain rename
// between two names of one file does nothing and reports success, so the
// file goes through a name of its own, in two moves that never replace.
MoveResult PosixDirectory::MoveThroughIntermediate(const std::string& from, const std::string& to,
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

void PosixDirectory::SetIntermediatePrefix(std::u16string_view prefix) {
  if (const auto bytes = EncodeName(prefix)) m_intermediatePrefix = *bytes;
}

// A name of the handle's own for the middle of a two-step move: under the
// run's recorded prefix where there is one.
std::string PosixDirectory::IntermediateName() {
  const unsigned n = ++m_intermediateCounter;
  if (!m_intermediatePrefix.empty()) return m_intermediatePrefix + std::to_string(n);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, ".quillon-%ld-%u", static_cast<long>(::getpid()), n);
  return buffer;
}

// "In use" exists only where a Windows program can hold a file open
// against us: an SMB share. Anywhere else the same errors (a mount point,
// a busy text file) would trap the user in an endless retry.
MoveResult PosixDirectory::Classify(int error) {
  if (error != EBUSY && error != ETXTBSY && error != EAGAIN) return MoveResult::kFailed;
  struct statfs fs;
  if (::fstatfs(m_fd, &fs) != 0) return MoveResult::kFailed;
  const auto type = static_cast<unsigned long>(fs.f_type);
  return type == 0xFF534D42UL || type == 0xFE534D42UL ? MoveResult::kInUse : MoveResult::kFailed;
}

}  // namespace quillon::internal
