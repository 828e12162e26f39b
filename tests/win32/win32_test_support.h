// Fixtures of the Windows port's tests: a scoped folder under the Windows
// temporary directory, examined with plain Windows calls rather than through
// the port under test.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/win32_path.h"

namespace quillon::testing {

// Wine exports this from its ntdll; Windows does not.
inline bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::string Utf8(std::u16string_view text) {
  const std::wstring wide = ToWide(text);
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size,
                        nullptr, nullptr);
  return bytes;
}

// An open handle, closed when it goes.
class Handle {
 public:
  explicit Handle(HANDLE handle) : m_handle(handle) {}
  ~Handle() {
    if (IsOpen()) ::CloseHandle(m_handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

// A fresh folder under GetTempPathW, removed with everything in it when the
// object goes. Under Wine that is a folder of the Wine prefix.
class TempFolder {
 public:
  TempFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) std::abort();
    for (unsigned n = 0;; ++n) {
      std::wstring candidate = std::wstring(temp, length) + L"quillon-win32-test-" +
                               std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(n);
      if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
        m_path = FromWide(candidate);
        break;
      }
      if (::GetLastError() != ERROR_ALREADY_EXISTS || n > 1000) std::abort();
    }
  }
  ~TempFolder() { RemoveTree(Extended(u"")); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, and an entry of it, as the logic sees them: plain paths.
  const std::u16string& Path() const { return m_path; }
  std::u16string PathOf(std::u16string_view relative) const {
    return m_path + u"\\" + std::u16string(relative);
  }
  // The same in extended form, for names no plain path can reach.
  std::wstring Extended(std::u16string_view relative) const {
    const std::wstring folder = ToExtendedPath(m_path);
    return relative.empty() ? folder : JoinExtended(folder, relative);
  }

  // Creates a file holding `content`, by default its own name in UTF-8.
  bool Write(std::u16string_view relative, std::string content = {}) const {
    if (content.empty()) content = Utf8(relative);
    Handle file(::CreateFileW(Extended(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.IsOpen() &&
           ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written,
                       nullptr) &&
           written == content.size();
  }
  bool MakeDir(std::u16string_view relative) const {
    return ::CreateDirectoryW(Extended(relative).c_str(), nullptr) != 0;
  }
  // The content of a file; "<dir>" for a directory, "<none>" when absent.
  std::string Read(std::u16string_view relative) const {
    const DWORD attributes = ::GetFileAttributesW(Extended(relative).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "<none>";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "<dir>";
    Handle file(::CreateFileW(Extended(relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    std::string content(4096, '\0');
    DWORD read = 0;
    if (!file.IsOpen() ||
        !::ReadFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr))
      return "<unreadable>";
    content.resize(read);
    return content;
  }
  // Opens a file the way another program might hold it.
  Handle Hold(std::u16string_view relative, DWORD shareMode) const {
    return Handle(::CreateFileW(Extended(relative).c_str(), GENERIC_READ, shareMode, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  }
  // Every entry of the folder, or of a folder in it, with its content (see
  // Read), without "." and "..".
  std::map<std::u16string, std::string> Contents(std::u16string_view relative = u"") const {
    std::map<std::u16string, std::string> contents;
    const std::u16string prefix = relative.empty() ? u"" : std::u16string(relative) + u"\\";
    for (const auto& name : Names(Extended(relative))) contents[name] = Read(prefix + name);
    return contents;
  }

 private:
  static std::vector<std::u16string> Names(const std::wstring& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW(JoinExtended(folder, u"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::u16string name = FromWide(data.cFileName);
      if (name != u"." && name != u"..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
  }
  static void RemoveTree(const std::wstring& folder) {
    for (const auto& name : Names(folder)) {
      const std::wstring path = JoinExtended(folder, name);
      const DWORD attributes = ::GetFileAttributesW(path.c_str());
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      // A link to a directory is removed as itself, never descended into.
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(path);
      else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        ::RemoveDirectoryW(path.c_str());
      else
        ::DeleteFileW(path.c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
  }

  std::u16string m_path;
};

}  // namespace quillon::testing
