// Shared fixtures: a scoped temporary directory (POSIX), and through
// tests/fake_dialog.h a scripted dialog.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/name_codec.h"
#include "tests/fake_dialog.h"

namespace quillon::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  // Under `parent` (by default the system's temporary directory).
  explicit TempDir(const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
    std::string pattern = (parent / "quillon-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    m_path = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    // Restore permissions a test may have taken away, so removal works.
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory as the logic sees it.
  std::u16string Path() const { return DecodeName(m_path); }
  const std::string& Bytes() const { return m_path; }
  // The full path of a byte name, in bytes and as the logic sees it.
  std::string BytesOf(std::string_view name) const { return m_path + "/" + std::string(name); }
  std::u16string PathOf(std::string_view name) const { return DecodeName(BytesOf(name)); }

  // Creates a file whose content is `content` (by default its own name).
  void Write(std::string_view name, std::optional<std::string> content = std::nullopt) const {
    std::ofstream out(BytesOf(name), std::ios::binary);
    out << content.value_or(std::string(name));
  }
  void MakeDir(std::string_view name) const { ::mkdir(BytesOf(name).c_str(), 0755); }
  bool Exists(std::string_view name) const {
    struct stat st;
    return ::lstat(BytesOf(name).c_str(), &st) == 0;
  }
  std::string Read(std::string_view name) const {
    std::ifstream in(BytesOf(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Every entry's byte name, sorted, without "." and "..".
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_path))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string m_path;
};

}  // namespace quillon::testing
