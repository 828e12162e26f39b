// The POSIX port's directory handle, behind PosixFileSystem::OpenDirectory.
// Internal to the port: only platform/posix/posix_*.cpp and the port's tests
// include it. Listing, lookups, identity, durability and leftovers are in
// posix_directory.cpp, the moves in posix_moves.cpp.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/file_system.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_signal_guard.h"

namespace quillon::internal {

class PosixDirectory : public DirectoryHandle {
 public:
  PosixDirectory(int fd, PosixMoveOptions options, PosixCallSeam seam)
      : m_fd(fd), m_options(options), m_seam(std::move(seam)) {}
  ~PosixDirectory() override;

  bool List(std::vector<std::u16string>* names) override;
  bool ListEach(const std::function<void(std::u16string_view)>& visit) override;
  NameState LookUpName(std::u16string_view name) override;
  MoveResult Move(std::u16string_view oldName, std::u16string_view newName,
                  std::u16string* nameNow) override;
  void ConfirmSpellings(std::vector<std::u16string>* notTaken) override;
  NameLimit GetNameLimit() override;
  bool MakeDurable() override;
  void SetIntermediatePrefix(std::u16string_view prefix) override;
  bool IsOwnLeftover(std::u16string_view leftover, std::u16string_view file) override;
  bool RemoveLeftover(std::u16string_view leftover, std::u16string_view file) override;
  std::optional<DirectoryIdentity> Identity() override;

 private:
  // Listing, leftovers, durability and identity (posix_directory.cpp).
  template <typename Visit>
  bool ReadEntries(Visit visit);
  bool ReadSpellings();
  bool ProvenLeftover(const std::string& extra, const std::string& kept);
  bool NeedsWholeSync();
  std::string ExportHandle() const;
  bool OnFuse();
  static bool SameFile(const struct stat& a, const struct stat& b);
  bool StillSame(const struct stat& now, const struct stat& before);
  bool LinkedToSameFile(const struct stat& a, const struct stat& b);

  // The system calls of a move and the moves themselves (posix_moves.cpp).
  int Seam(PosixCall call, const std::string& from, const std::string& to);
  int RenameAt(const std::string& from, const std::string& to, unsigned flags);
  int LinkAt(const std::string& from, const std::string& to);
  int StatAt(const std::string& name, struct stat* st);
  int UnlinkAt(const std::string& name);
  int MoveNoReplace(const std::string& from, const std::string& to);
  bool NoReplaceTrusted();
  int MoveByLink(const std::string& from, const std::string& to, const struct stat& source);
  int SettleUnprovenLink(const std::string& from, const std::string& to, const struct stat& source);
  void RemoveOwnLink(const std::string& from, const std::string& to, const struct stat& source);
  enum class Ownership { kOurs, kTheirs, kUnknown };
  Ownership Owner(const std::string& name, const struct stat& source);
  int MoveOverPlaceholder(const std::string& from, const std::string& to);
  bool IsOurPlaceholder(const std::string& name, const struct stat& placeholder);
  void RemoveIfPlaceholder(const std::string& name, const struct stat& placeholder);
  MoveResult LeftBehind(std::u16string* nameNow);
  bool IsCaseAlias(std::u16string_view oldName, std::u16string_view newName, const std::string& to);
  void NoteMoved(const std::string& from, const std::string& to);
  MoveResult MoveThroughIntermediate(const std::string& from, const std::string& to,
                                     std::u16string* nameNow);
  std::string IntermediateName();
  MoveResult Classify(int error);

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

}  // namespace quillon::internal
