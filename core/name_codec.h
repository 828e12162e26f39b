// File names on disk are bytes; names in the logic are UTF-16.
//
// Decoding is strict UTF-8. Every byte that is not part of a well-formed
// sequence (overlong forms, encoded surrogates, values above U+10FFFF, stray
// continuation bytes, truncated sequences) becomes the lone surrogate
// U+DC00 + byte, i.e. U+DC80..U+DCFF, and decoding resumes at the next byte.
// Encoding turns those surrogates back into their bytes, so every name that
// exists on disk survives the round trip exactly.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

std::u16string DecodeName(std::string_view bytes);

// The bytes of a file name, or nullopt when the text cannot name a file
// exactly: it holds U+0000, '/', a lone surrogate outside U+DC80..U+DCFF, or
// escaped bytes that would read back as different text (so that the name on
// disk would not be the name the user saw).
std::optional<std::string> EncodeName(std::u16string_view name);

// As EncodeName, but '/' is allowed: for full paths.
std::optional<std::string> EncodePath(std::u16string_view path);

// Length of the encoded form in bytes, without building it. Only meaningful
// for text that EncodeName accepts.
std::size_t EncodedLength(std::u16string_view name);

}  // namespace quillon
