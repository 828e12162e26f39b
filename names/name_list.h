// Name lists as clipboard text: the format written by the copy commands and
// the reading of a pasted list, free of any clipboard.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"

namespace quillon {

// Every name followed by CR LF, the last one too; an empty list gives an
// empty text.
std::u16string FormatNameList(const std::vector<std::u16string_view>& names);

// Reads the lines of a pasted text one by one, as views into it. A line ends
// at CR LF, at a lone CR or at an LF; a last line without a line break is a
// line too, while the empty rest after a final line break is none. The text
// ends at its first NUL, as a clipboard's text does. Lines come as they
// stand, not trimmed. The text must outlive the reader.
class NameLineReader {
 public:
  explicit NameLineReader(std::u16string_view text);
  // False when no line is left.
  bool Next(std::u16string_view* line);

 private:
  std::u16string_view m_text;
  std::size_t m_position = 0;
};

// Every line of a text, as NameLineReader reads them.
std::vector<std::u16string_view> SplitNameLines(std::u16string_view text);

// True for the white space trimmed from both ends of a pasted name: U+0009 to
// U+000D, U+0020, U+0085, U+00A0, and from U+0100 on every Unicode space
// (the ideographic space U+3000 among them).
bool IsNameListSpace(char16_t c);

// `line` without the white space at both ends.
std::u16string_view TrimNameListSpace(std::u16string_view line);

// A pasted list read as one new name per row of `files`.
struct PastedNames {
  // One per row, trimmed, without the row's extension where the line ends
  // with it in any letter case; empty when the list is refused or empty.
  std::vector<std::u16string> names;
  // Why the list is refused, or nullopt; a text of no line at all is
  // neither taken nor refused.
  std::optional<std::u16string_view> refusal;
};
// Lines are read only as far as they matter, so that megabytes of pasted
// text cost no more memory than the rows' names. Too few lines refuse the
// list; surplus lines only while they are empty, like the blank lines a text
// editor leaves at the end.
PastedNames ReadPastedNames(std::u16string_view text,
                            std::span<const std::shared_ptr<CFileNameX>> files);

}  // namespace quillon
