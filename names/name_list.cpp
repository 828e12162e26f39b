// Name lists as clipboard text: writing and reading them.
#include "names/name_list.h"

#include <algorithm>

#include "core/collation.h"
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

namespace {

// `line` without the extension `ext` where it ends with it, whatever its
// letter case: a name copied with its extension comes back without it, and
// the row's own extension is added when the name is used.
std::u16string_view WithoutExtension(std::u16string_view line, std::u16string_view ext) {
  if (ext.empty()) return line;
  const std::size_t k = std::min(ext.size(), line.size());
  if (CompareNames(line.substr(line.size() - k), ext) == 0) line.remove_suffix(k);
  return line;
}

bool HasMoreNames(NameLineReader& reader) {
  for (std::u16string_view line; reader.Next(&line);)
    if (!TrimNameListSpace(line).empty()) return true;
  return false;
}

}  // namespace

PastedNames ReadPastedNames(std::u16string_view text,
                            std::span<const std::shared_ptr<CFileNameX>> files) {
  const std::size_t rows = files.size();
  NameLineReader reader(text);
  std::vector<std::u16string_view> lines;
  lines.reserve(rows);
  for (std::u16string_view line; lines.size() < rows && reader.Next(&line);)
    lines.push_back(TrimNameListSpace(line));
  PastedNames pasted;
  if (lines.empty()) return pasted;
  if (lines.size() < rows) {
    pasted.refusal = str::kTooFewNames;
    return pasted;
  }
  if (HasMoreNames(reader)) {
    pasted.refusal = str::kTooManyNames;
    return pasted;
  }
  pasted.names.reserve(rows);
  for (std::size_t i = 0; i < rows; ++i)
    pasted.names.emplace_back(WithoutExtension(lines[i], files[i]->m_ext));
  return pasted;
}

}  // namespace quillon
