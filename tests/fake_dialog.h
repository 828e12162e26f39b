// A scripted dialog, and UTF-8 test literals as the logic's text: fixtures
// that need no particular platform.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/name_codec.h"
#include "dialog/dialog_port.h"
#include "dialog/quillon_dlg.h"

namespace quillon::testing {

// Converts a UTF-8 test literal to the logic's UTF-16.
inline std::u16string U(std::string_view utf8) {
  return DecodeName(utf8);
}

// A scripted user: answers questions as told and records everything shown.
class FakeDialog : public DialogPort {
 public:
  struct Row {
    std::u16string cells[3];
  };

  // MessagesPort
  void ShowMessage(std::u16string_view text) override { messages.emplace_back(text); }
  bool AskOkCancel(std::u16string_view text) override {
    questions.emplace_back(text);
    if (answers.empty()) return false;
    const bool ok = answers.front();
    answers.pop_front();
    return ok;
  }
  RecoveryChoice AskRecovery(std::u16string_view text) override {
    recoveryQuestions.emplace_back(text);
    return recoveryAnswer;
  }
  void ShowRetryDialog(std::u16string_view message) override {
    retryMessages.emplace_back(message);
  }
  // RowsPort
  void SetRows(std::u16string_view directory, std::vector<std::u16string> names) override {
    rowsDirectory = directory;
    rows.clear();
    for (const auto& name : names) rows.push_back(Row{{name, {}, {}}});
    ++rowRebuilds;
  }
  void DeleteAllRows() override { rows.clear(); }
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
  void SelectRows(const std::vector<int>& rows) override { selection = rows; }
  // ControlsPort
  void SetDirectoryText(std::u16string_view text) override { directoryText = text; }
  std::u16string NameFieldText() override { return nameField; }
  void SetControlEnabled(ControlId id, bool enabled) override { enabledState[id] = enabled; }
  void SetAcceptDrops(bool accept) override { acceptDrops = accept; }
  // DesktopPort
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
  RecoveryChoice recoveryAnswer = RecoveryChoice::kLater;
  std::vector<std::u16string> recoveryQuestions;
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

// Lists `names` of `directory` as the dialog's rows, given whole, with
// `newNames` (none, or one per row, without extension).
inline void ListNames(CQuillonDlg& dlg, std::u16string directory,
                      const std::vector<std::u16string>& names,
                      std::vector<std::u16string> newNames = {}) {
  std::vector<std::shared_ptr<CFileNameX>> files;
  files.reserve(names.size());
  for (const auto& name : names) files.push_back(std::make_shared<CFileNameX>(name));
  FileRows rows(std::move(directory), std::move(files));
  if (!rows.SetNewNames(std::move(newNames))) throw std::logic_error("one new name per row");
  dlg.ListRows(std::move(rows));
}

// The dialog's rows listed anew with `newNames`, executed or not as before.
inline void WithNewNames(CQuillonDlg& dlg, std::vector<std::u16string> newNames) {
  FileRows rows = dlg.Rows();
  if (!rows.SetNewNames(std::move(newNames))) throw std::logic_error("one new name per row");
  dlg.ListRows(std::move(rows), dlg.Executed() ? std::optional(dlg.LastExecution()) : std::nullopt);
}

// The dialog's rows listed anew as executed (without a directory identity,
// so that undo judges by the names alone) or not.
inline void SetExecuted(CQuillonDlg& dlg, bool executed) {
  dlg.ListRows(dlg.Rows(), executed ? std::optional(CQuillonDlg::ExecutedRun{}) : std::nullopt);
}

}  // namespace quillon::testing
