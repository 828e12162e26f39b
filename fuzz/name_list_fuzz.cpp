// The reader of pasted name lists: lines never hold a line break or a NUL,
// they lie inside the text, a list the copy commands write reads back as
// the same names, and trimming leaves no list space at either end.
#include <vector>

#include "fuzz/fuzz_check.h"
#include "names/name_list.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::Units(fuzz::Bytes(data, size));
  const std::u16string_view whole(text);
  const std::vector<std::u16string_view> lines = SplitNameLines(whole);
  std::vector<std::u16string_view> trimmed;
  for (const std::u16string_view line : lines) {
    QUILLON_FUZZ_CHECK(line.data() >= whole.data() &&
                       line.data() + line.size() <= whole.data() + whole.size());
    QUILLON_FUZZ_CHECK(line.find_first_of(std::u16string_view(u"\r\n\0", 3)) ==
                       std::u16string_view::npos);
    const std::u16string_view name = TrimNameListSpace(line);
    QUILLON_FUZZ_CHECK(name.empty() ||
                       (!IsNameListSpace(name.front()) && !IsNameListSpace(name.back())));
    QUILLON_FUZZ_CHECK(line.find(name) != std::u16string_view::npos);
    trimmed.push_back(name);
  }
  // Written as the copy commands write it, the list reads back unchanged.
  const std::u16string copied = FormatNameList(lines);
  QUILLON_FUZZ_CHECK(SplitNameLines(copied) == lines);
  const std::u16string copiedTrimmed = FormatNameList(trimmed);
  QUILLON_FUZZ_CHECK(SplitNameLines(copiedTrimmed) == trimmed);
  return 0;
}
