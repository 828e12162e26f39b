// Shared fixtures: a scoped temporary directory and a scripted dialog.
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

#include "core/dialog_port.h"
#include "core/name_codec.h"

namespace quillon::testing {

// Converts a UTF-8 test literal to the logic's UTF-16.
inline std::u16string U(std::string_view utf8) {
  return DecodeName(utf8);
}

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test-XXXXXX").string();
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

// A scripted user: answers questions as told and records everything shown.
class FakeDialog : public DialogPort {
 public:
  struct Row {
    std::u16string cells[3];
  };

  void ShowMessage(std::u16string_view text) override { messages.emplace_back(text); }
  bool AskOkCancel(std::u16string_view text) override {
    questions.emplace_back(text);
    if (answers.empty()) return false;
    const bool ok = answers.front();
    answers.pop_front();
    return ok;
  }
  void ShowRetryDialog(std::u16string_view message) override {
    retryMessages.emplace_back(message);
  }
  void SetDirectoryText(std::u16string_view text) override { directoryText = text; }
  void SetRows(std::u16string_view directory, std::vector<std::u16string> names) override {
    rowsDirectory = directory;
    rows.clear();
    for (const auto& name : names) rows.push_back(Row{{name, {}, {}}});
    ++rowRebuilds;
  }
  void DeleteAllRows() override { rows.clear(); }
  void DeleteRow(int row) override { rows.erase(rows.begin() + row); }
  void DeleteRows(const std::vector<int>& doomed) override {
    std::vector<Row> kept;
    std::size_t next = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (next < doomed.size() && static_cast<std::size_t>(doomed[next]) == i) {
        ++next;
      } else {
        kept.push_back(std::move(rows[i]));
      }
    }
    rows = std::move(kept);
  }
  void EnsureRowVisible(int row) override { shownRows.push_back(row); }
  void SetCellText(int row, int column, std::u16string_view text) override {
    rows.at(static_cast<std::size_t>(row)).cells[column] = text;
  }
  void SetColumnTexts(int column, std::vector<std::u16string> texts) override {
    for (std::size_t i = 0; i < texts.size(); ++i) rows.at(i).cells[column] = texts[i];
  }
  void ClearColumn(int column) override {
    for (auto& row : rows) row.cells[column].clear();
  }
  std::vector<int> SelectedRows() override { return selection; }
  std::u16string NameFieldText() override { return nameField; }
  void SetControlEnabled(ControlId id, bool enabled) override { enabledState[id] = enabled; }
  void SetAcceptDrops(bool accept) override { acceptDrops = accept; }
  bool SetClipboardText(std::u16string_view text) override {
    if (!clipboardWritable) return false;
    clipboard = std::u16string(text);
    return true;
  }
  std::optional<std::u16string> ClipboardText() override { return clipboard; }
  bool HasClipboardText() override { return clipboard.has_value(); }
  void OpenWithDefaultApplication(std::u16string_view path) override { opened.emplace_back(path); }

  bool Enabled(ControlId id) const {
    const auto it = enabledState.find(id);
    return it != enabledState.end() && it->second;
  }
  std::vector<std::u16string> Column(int column) const {
    std::vector<std::u16string> texts;
    for (const auto& row : rows) texts.push_back(row.cells[column]);
    return texts;
  }

  // Script
  std::deque<bool> answers;  // for AskOkCancel; Cancel when empty
  std::u16string nameField;
  std::vector<int> selection;
  std::optional<std::u16string> clipboard;
  bool clipboardWritable = true;

  // Record
  std::vector<std::u16string> messages;
  std::vector<std::u16string> questions;
  std::vector<std::u16string> retryMessages;
  std::vector<std::u16string> opened;
  std::vector<int> shownRows;  // rows scrolled into view, in order
  std::u16string directoryText;
  std::u16string rowsDirectory;
  std::vector<Row> rows;
  int rowRebuilds = 0;
  std::map<ControlId, bool> enabledState;
  bool acceptDrops = false;
};

}  // namespace quillon::testing
