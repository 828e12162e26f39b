// Name lists as clipboard text: the format written by the copy commands and
// the reading of a pasted list, free of any clipboard.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

}  // namespace quillon
