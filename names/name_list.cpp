// Name lists as clipboard text, and the copy and paste commands of the list.
#include "names/name_list.h"

#include <algorithm>

#include "core/collation.h"
#include "core/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

std::u16string FormatNameList(const std::vector<std::u16string_view>& names) {
  std::size_t length = 0;
  for (std::u16string_view name : names) length += name.size() + 2;
  std::u16string text;
  text.reserve(length);
  for (std::u16string_view name : names) {
    text.append(name);
    text.append(u"\r\n");
  }
  return text;
}

NameLineReader::NameLineReader(std::u16string_view text)
    : m_text(text.substr(0, text.find(u'\0'))) {}

bool NameLineReader::Next(std::u16string_view* line) {
  // The user sees a last name without a line break as a name like the
  // others; dropping it would lose it silently, or refuse the list as too
  // short. Only an empty rest is no line.
  if (m_position >= m_text.size()) return false;
  const std::size_t end = m_text.find_first_of(u"\r\n", m_position);
  if (end == std::u16string_view::npos) {
    *line = m_text.substr(m_position);
    m_position = m_text.size();
    return true;
  }
  *line = m_text.substr(m_position, end - m_position);
  m_position = end + 1;
  if (m_text[end] == u'\r' && m_position < m_text.size() && m_text[m_position] == u'\n')
    ++m_position;
  return true;
}

std::vector<std::u16string_view> SplitNameLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  NameLineReader reader(text);
  for (std::u16string_view line; reader.Next(&line);) lines.push_back(line);
  return lines;
}

bool IsNameListSpace(char16_t c) {
  if (c < 0x100) return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0;
  // Unicode's White_Space property above Latin-1; the set has not changed
  // since Unicode 6.3 (U+180E left it then), so a fixed list is as good as
  // a property lookup.
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

std::u16string_view TrimNameListSpace(std::u16string_view line) {
  std::size_t begin = 0;
  std::size_t end = line.size();
  while (begin < end && IsNameListSpace(line[begin])) ++begin;
  while (end > begin && IsNameListSpace(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

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
