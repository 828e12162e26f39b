// The list's copy and paste commands: name lists through the clipboard.
#include <algorithm>

#include "core/collation.h"
#include "dialog/quillon_dlg.h"
#include "names/name_list.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::CopyNameList(const std::vector<std::u16string_view>& names) {
  if (!m_dialog.SetClipboardText(FormatNameList(names)))
    m_dialog.ShowMessage(str::kClipboardWriteFailed);
}

void CQuillonDlg::OnCopyNameList(MenuCommand command) {
  std::vector<std::u16string_view> names;
  std::vector<std::u16string> joined;  // new names with extension
  names.reserve(m_files.size());
  switch (command) {
    case MenuCommand::kCopyOldBase:
      for (const auto& file : m_files) names.push_back(file->m_base);
      break;
    case MenuCommand::kCopyOldFull:
      for (const auto& file : m_files) names.push_back(file->m_name);
      break;
    case MenuCommand::kCopyNewBase:
      for (const auto& name : m_newNames) names.push_back(name);
      break;
    case MenuCommand::kCopyNewFull: {
      const std::size_t count = std::min(m_newNames.size(), m_files.size());
      joined.reserve(count);
      for (std::size_t i = 0; i < count; ++i)
        joined.push_back(std::u16string(m_newNames[i]).append(m_files[i]->m_ext));
      for (const auto& name : joined) names.push_back(name);
      break;
    }
    default:
      return;
  }
  CopyNameList(names);
}

void CQuillonDlg::PasteNewNames() {
  if (m_executed || m_files.empty()) return;
  const std::optional<std::u16string> text = m_dialog.ClipboardText();
  if (!text) return;

  // Lines are read only as far as they matter, so that megabytes of pasted
  // text cost no more memory than the rows' names.
  const std::size_t rows = m_files.size();
  NameLineReader reader(*text);
  std::vector<std::u16string_view> lines;
  lines.reserve(rows);
  for (std::u16string_view line; lines.size() < rows && reader.Next(&line);)
    lines.push_back(TrimNameListSpace(line));
  if (lines.empty()) return;
  if (lines.size() < rows) {
    m_dialog.ShowMessage(str::kTooFewNames);
    return;
  }
  // Surplus lines are harmless only while they are empty, like the blank
  // lines a text editor leaves at the end.
  for (std::u16string_view line; reader.Next(&line);) {
    if (!TrimNameListSpace(line).empty()) {
      m_dialog.ShowMessage(str::kTooManyNames);
      return;
    }
  }

  std::vector<std::u16string> names;
  names.reserve(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    std::u16string_view name = lines[i];
    // A name copied with its extension comes back without it, whatever its
    // letter case; the row's own extension is added when the name is used.
    const std::u16string_view ext = m_files[i]->m_ext;
    if (!ext.empty()) {
      const std::size_t k = std::min(ext.size(), name.size());
      if (CompareNames(name.substr(name.size() - k), ext) == 0) name.remove_suffix(k);
    }
    names.emplace_back(name);
  }

  m_newNames = std::move(names);
  NamePool column;
  for (std::size_t i = 0; i < rows; ++i) column.Add(m_newNames[i], m_files[i]->m_ext);
  m_dialog.SetColumnNames(kNewNameColumn, std::move(column));
  ValidateNewNames();
  UpdateControls();
}

}  // namespace quillon
