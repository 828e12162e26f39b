// How a name is shown, as opposed to what it is.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The name with every character that would hide or disguise part of it
// written out as its code point: control characters (C0, DEL, C1), the
// bidirectional marks, embeddings, overrides and isolates (U+202E would show
// "txt.exe" as "exe.txt"), lone surrogates, and bytes that are not UTF-8
// (a lone U+DC80..U+DCFF, shown as the byte). Every such character becomes "<U+XXXX>" or "<XX>";
// a '<' that begins such a text is itself escaped, so that the shown form
// never reads as two different names. Anything else is kept.
std::u16string VisibleName(std::u16string_view name);

}  // namespace quillon
