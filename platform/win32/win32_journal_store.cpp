#include "platform/win32/win32_journal_store.h"

#include <windows.h>
// The headers below need <windows.h> first.
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_path.h"

namespace quillon {
namespace {

constexpr std::u16string_view kSuffix = u".journal";
// Reading, writing, and deleting while still held. The lock is the share
// mode of 0 that goes with it.
constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
// The largest piece one ReadFile or WriteFile is given.
constexpr std::size_t kChunk = 1u << 20;

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

class Win32JournalFile : public JournalFile {
 public:
  // Takes over `handle`, opened without sharing, of a file of `directory`
  // holding `size` bytes.
  Win32JournalFile(HANDLE handle, std::wstring directory, std::uint64_t size)
      : m_handle(handle), m_directory(std::move(directory)), m_size(size) {}
  ~Win32JournalFile() override { Close(); }
  Win32JournalFile(const Win32JournalFile&) = delete;
  Win32JournalFile& operator=(const Win32JournalFile&) = delete;

  bool Append(std::string_view bytes) override {
    if (m_handle == INVALID_HANDLE_VALUE) return false;
    while (!bytes.empty()) {
      // The end is known: no other handle ever writes this file.
      OVERLAPPED at = At(m_size);
      const auto size = static_cast<DWORD>(std::min(bytes.size(), kChunk));
      DWORD written = 0;
      if (!::WriteFile(m_handle, bytes.data(), size, &written, &at) || written == 0) return false;
      m_size += written;
      bytes.remove_prefix(written);
    }
    return true;
  }

  bool Sync() override {
    if (m_handle == INVALID_HANDLE_VALUE || !::FlushFileBuffers(m_handle)) return false;
    // The first sync also makes the file's own entry durable, where the
    // file system keeps it apart from the file (FAT, exFAT).
    if (!m_entrySynced) m_entrySynced = FlushDirectoryAt(m_directory);
    return m_entrySynced;
  }

  std::optional<std::string> ReadAll() override {
    if (m_handle == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    std::string buffer(kChunk, '\0');
    for (;;) {
      OVERLAPPED at = At(bytes.size());
      DWORD got = 0;
      if (!::ReadFile(m_handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got, &at)) {
        if (::GetLastError() == ERROR_HANDLE_EOF) return bytes;
        return std::nullopt;
      }
      if (got == 0) return bytes;
      bytes.append(buffer, 0, got);
    }
  }

  bool Remove() override {
    if (m_handle == INVALID_HANDLE_VALUE) return false;
    // Marked for deletion through the handle that holds it, so no other
    // process can open it in between; it goes when that handle closes.
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!::SetFileInformationByHandle(m_handle, FileDispositionInfo, &disposition,
                                      sizeof disposition))
      return false;
    Close();
    return true;
  }

 private:
  void Close() {
    if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
  }

  HANDLE m_handle;
  std::wstring m_directory;
  std::uint64_t m_size;
  bool m_entrySynced = false;
};

bool EndsWith(std::u16string_view text, std::u16string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A folder the user alone can enter, and each file made in it inherits
// that: a journal holds the user's file names.
bool CreatePrivateDirectory(const std::wstring& path) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string user(size, '\0');
  const bool gotUser =
      size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size);
  ::CloseHandle(token);
  wchar_t* sid = nullptr;
  if (!gotUser ||
      !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid))
    return false;
  // Protected: nothing is inherited from the folders above.
  const std::wstring descriptor = std::wstring(L"D:P(A;OICI;FA;;;") + sid + L")";
  ::LocalFree(sid);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
          descriptor.c_str(), SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
    return false;
  const bool made = ::CreateDirectoryW(path.c_str(), &attributes) != 0;
  const DWORD error = ::GetLastError();
  ::LocalFree(attributes.lpSecurityDescriptor);
  ::SetLastError(error);
  return made;
}

}  // namespace

Win32JournalStore::Win32JournalStore(std::u16string directory)
    : m_directory(directory.empty() ? std::wstring() : ToExtendedPath(directory)) {}

std::u16string Win32JournalStore::UserDirectory() {
  std::wstring base;
  wchar_t* known = nullptr;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known))) base = known;
  ::CoTaskMemFree(known);
  if (base.empty()) {
    const DWORD size = ::GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (size > 1) {
      base.resize(size);
      base.resize(::GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), size));
    }
  }
  // Only a full path: a relative one would follow the working directory.
  if (base.size() < 3 || (base[1] != L':' && base.compare(0, 2, L"\\\\") != 0)) return {};
  if (base.back() != L'\\') base.push_back(L'\\');
  return FromWide(base) + u"Quillon";
}

bool Win32JournalStore::MakeDirectory() const {
  if (m_directory.empty()) return false;
  if (!CreatePrivateDirectory(m_directory) && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
    // Each missing folder above, as the system would make it; the errors
    // of those that exist, or of the drive, do not matter.
    for (std::size_t slash = m_directory.find(L'\\', 4); slash != std::wstring::npos;
         slash = m_directory.find(L'\\', slash + 1))
      ::CreateDirectoryW(m_directory.substr(0, slash).c_str(), nullptr);
    CreatePrivateDirectory(m_directory);
  }
  // A link put in its place would send the journals elsewhere.
  const DWORD attributes = ::GetFileAttributesW(m_directory.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::unique_ptr<JournalFile> Win32JournalStore::Create() {
  if (!MakeDirectory()) return nullptr;
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const std::uint64_t time =
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const std::wstring stem =
      L"run-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(time) + L"-";
  for (unsigned n = 0; n < 100; ++n) {
    const std::u16string name = FromWide(stem + std::to_wstring(n)) + std::u16string(kSuffix);
    // Made and held by one call: there is no moment at which another
    // process could open it, so it needs no name of its own meanwhile.
    const HANDLE handle =
        ::CreateFileW(JoinExtended(m_directory, name).c_str(), kAccess, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
      return std::make_unique<Win32JournalFile>(handle, m_directory, 0);
    if (::GetLastError() != ERROR_FILE_EXISTS) return nullptr;
  }
  return nullptr;
}

std::vector<std::unique_ptr<JournalFile>> Win32JournalStore::ClaimAbandoned() {
  std::vector<std::unique_ptr<JournalFile>> claimed;
  if (m_directory.empty()) return claimed;
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileExW(JoinExtended(m_directory, u"*").c_str(), FindExInfoBasic,
                                         &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return claimed;
  do {
    const std::u16string name = FromWide(data.cFileName);
    if (name[0] != u'.' && EndsWith(name, kSuffix) &&
        !(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
      names.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  for (const std::u16string& name : names) {
    // A journal held open belongs to a run going on in another window (a
    // sharing violation), one deleted but still held is going (access
    // denied): both are skipped.
    const HANDLE handle =
        ::CreateFileW(JoinExtended(m_directory, name).c_str(), kAccess, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) continue;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
      ::CloseHandle(handle);
      continue;
    }
    const std::uint64_t size =
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    claimed.push_back(std::make_unique<Win32JournalFile>(handle, m_directory, size));
  }
  return claimed;
}

}  // namespace quillon
