#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/win32/win32_path.h"

namespace quillon {
namespace {

// The longest name of one entry on NTFS, FAT and exFAT, in UTF-16 units.
constexpr std::size_t kMaxComponentLength = 255;

// The path the system resolved for an open handle (links and junctions above
// it followed), in extended form; empty where the file system cannot say.
std::wstring FinalPathOf(HANDLE handle) {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  DWORD size = ::GetFinalPathNameByHandleW(handle, nullptr, 0, kFlags);
  if (size == 0) return {};
  std::wstring path(size, L'\0');
  const DWORD written = ::GetFinalPathNameByHandleW(handle, path.data(), size, kFlags);
  if (written == 0 || written >= size) return {};
  path.resize(written);
  return path;
}

DWORD VolumeMaxComponentLength(HANDLE handle, const std::wstring& path) {
  DWORD maxComponent = 0;
  if (::GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, &maxComponent, nullptr, nullptr,
                                      0))
    return maxComponent;
  std::wstring root(path.size() + 1, L'\0');
  if (!::GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size()))) return 0;
  root.resize(root.find(L'\0'));
  if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, &maxComponent, nullptr, nullptr,
                               0))
    return 0;
  return maxComponent;
}

// Errors that say a directory cannot be flushed here, rather than that the
// flush failed.
bool FlushRefused(DWORD error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_INVALID_PARAMETER || error == ERROR_ACCESS_DENIED ||
         error == ERROR_WRITE_PROTECT;
}

class Win32Directory : public DirectoryHandle {
 public:
  Win32Directory(HANDLE handle, std::wstring path, Win32FileSystem::MoveSeam seam)
      : m_handle(handle), m_path(std::move(path)), m_seam(std::move(seam)) {}
  ~Win32Directory() override { ::CloseHandle(m_handle); }
  Win32Directory(const Win32Directory&) = delete;
  Win32Directory& operator=(const Win32Directory&) = delete;

  bool List(std::vector<std::u16string>* names) override {
    WIN32_FIND_DATAW data;
    // The basic level skips the 8.3 short names, which nothing here uses.
    HANDLE find = ::FindFirstFileExW(JoinExtended(m_path, u"*").c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
      // The root of an empty volume has no entry at all, not even ".".
      return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
      names->push_back(FromWide(data.cFileName));
    } while (::FindNextFileW(find, &data));
    const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(find);
    return complete;
  }

  NameState LookUpName(std::u16string_view name) override {
    if (!IsPlainEntryName(name)) return NameState::kUnknown;
    if (::GetFileAttributesW(JoinExtended(m_path, name).c_str()) != INVALID_FILE_ATTRIBUTES)
      return NameState::kTaken;
    // Only "no such file" says free; "access denied", "invalid name", a
    // network error and the like mean the name could not be looked at.
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? NameState::kFree : NameState::kUnknown;
  }

  std::optional<DirectoryIdentity> Identity() override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(m_handle, &info)) return std::nullopt;
    // NTFS keeps a sequence number in the index's upper bits, so a file
    // record used again for a new directory gives another index.
    DirectoryIdentity identity;
    identity.device = info.dwVolumeSerialNumber;
    identity.node = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return identity;
  }

  MoveResult Move(std::u16string_view oldName, std::u16string_view newName,
                  std::u16string* nameNow) override {
    if (!IsPlainEntryName(oldName) || !IsPlainEntryName(newName)) return MoveResult::kFailed;
    const std::wstring from = JoinExtended(m_path, oldName);
    const std::wstring to = JoinExtended(m_path, newName);
    if (!MoveNoReplace(from, to)) return LastMoveFailure();
    if (!DiffersInCaseOnly(oldName, newName) || SpelledAs(newName)) return MoveResult::kMoved;
    // Some file systems, and Wine on a case-sensitive host, report a change
    // of case only as done while the entry keeps its old spelling: go
    // through a name of our own, in two moves that never replace.
    return MoveThroughIntermediate(from, to, nameNow);
  }

  bool MakeDurable() override { return FlushDirectory(m_handle); }

  void SetIntermediatePrefix(std::u16string_view prefix) override { m_intermediatePrefix = prefix; }

  NameLimit GetNameLimit() override {
    NameLimit limit{NameLimit::kNoLimit, kMaxComponentLength};
    const DWORD volumeMax = VolumeMaxComponentLength(m_handle, m_path);
    if (volumeMax > 0) limit.maxUnits = std::min<std::size_t>(limit.maxUnits, volumeMax);
    return limit;
  }

 private:
  // Without MOVEFILE_REPLACE_EXISTING the call fails on any existing target,
  // and it renames within the volume only (no copy and delete). A change of
  // case only of the same file is a rename of that file.
  bool MoveNoReplace(const std::wstring& from, const std::wstring& to) const {
    if (m_seam) m_seam(from, to);
    return ::MoveFileW(from.c_str(), to.c_str()) != 0;
  }

  static MoveResult LastMoveFailure() {
    return ::GetLastError() == ERROR_SHARING_VIOLATION ? MoveResult::kInUse : MoveResult::kFailed;
  }

  static bool DiffersInCaseOnly(std::u16string_view a, std::u16string_view b) {
    const std::wstring wa = ToWide(a);
    const std::wstring wb = ToWide(b);
    return wa != wb && ::CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                              static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
  }

  // Whether the entry answering to `name` is stored with exactly that spelling.
  bool SpelledAs(std::u16string_view name) const {
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(JoinExtended(m_path, name).c_str(), FindExInfoBasic,
                                           &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    return FromWide(data.cFileName) == name;
  }

  MoveResult MoveThroughIntermediate(const std::wstring& from, const std::wstring& to,
                                     std::u16string* nameNow) {
    // After the reported move the entry may bear either spelling; the old
    // path still reaches it on a file system that ignores case.
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::u16string middle = IntermediateName();
      const std::wstring intermediate = JoinExtended(m_path, middle);
      if (!MoveNoReplace(from, intermediate)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
        return error == ERROR_SHARING_VIOLATION ? MoveResult::kInUse : MoveResult::kFailed;
      }
      if (MoveNoReplace(intermediate, to)) return MoveResult::kMoved;
      const MoveResult failure = LastMoveFailure();
      if (MoveNoReplace(intermediate, from)) return failure;  // back to the name it had
      // Another program took the old name meanwhile: the file stays under
      // the intermediate name, and the caller must know it.
      if (nameNow != nullptr) *nameNow = middle;
      return MoveResult::kStranded;
    }
    return MoveResult::kFailed;
  }

  // A name of the handle's own for the middle of a two-step move: under the
  // run's recorded prefix where there is one, so that a file a crash left
  // there is known after it.
  std::u16string IntermediateName() {
    const std::u16string number = FromWide(std::to_wstring(++m_intermediateCounter));
    return (m_intermediatePrefix.empty() ? u"~quillon-case-" : m_intermediatePrefix) + number;
  }

  HANDLE m_handle;
  std::wstring m_path;
  Win32FileSystem::MoveSeam m_seam;
  std::u16string m_intermediatePrefix;
  unsigned m_intermediateCounter = 0;
};

}  // namespace

bool FlushDirectory(HANDLE directory) {
  // Every other handle of the directory may read, write or delete
  // meanwhile; this one only flushes.
  const HANDLE writable = ::ReOpenFile(directory, FILE_ADD_FILE | SYNCHRONIZE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       FILE_FLAG_BACKUP_SEMANTICS);
  if (writable == INVALID_HANDLE_VALUE) return FlushRefused(::GetLastError());
  const bool flushed = ::FlushFileBuffers(writable) != 0 || FlushRefused(::GetLastError());
  ::CloseHandle(writable);
  return flushed;
}

bool FlushDirectoryAt(const std::wstring& path) {
  const HANDLE directory =
      ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (directory == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushDirectory(directory);
  ::CloseHandle(directory);
  return flushed;
}

EntryType Win32FileSystem::GetEntryType(std::u16string_view path) {
  const std::wstring extended = ToExtendedPath(path);
  if (extended.empty()) return EntryType::kUnreadable;
  const DWORD attributes = ::GetFileAttributesW(extended.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryType::kUnreadable;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryType::kDirectory : EntryType::kNonDirectory;
}

std::unique_ptr<DirectoryHandle> Win32FileSystem::OpenDirectory(std::u16string_view path) {
  const std::wstring extended = ToExtendedPath(path);
  if (extended.empty()) return nullptr;
  // Reading and writing are shared, deletion is not: while the handle is
  // open the directory cannot be renamed away or replaced, so every name
  // below goes to the directory the command started in. Backup semantics
  // is what lets CreateFileW open a directory at all.
  HANDLE handle = ::CreateFileW(extended.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::CloseHandle(handle);
    return nullptr;
  }
  std::wstring resolved = FinalPathOf(handle);
  if (resolved.empty()) resolved = extended;
  return std::make_unique<Win32Directory>(handle, std::move(resolved), m_seam);
}

}  // namespace quillon
