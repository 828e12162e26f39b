// What every fuzz target uses: a check that stops the run with a message,
// and UTF-16 text made of the input's bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace quillon::fuzz {

// A broken promise: libFuzzer keeps the input that led here.
#define QUILLON_FUZZ_CHECK(condition)                                              \
  do {                                                                             \
    if (!(condition)) {                                                            \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                \
    }                                                                              \
  } while (false)

// Pairs of bytes as UTF-16 code units, little-endian; a last odd byte is
// dropped. Lone surrogates and U+0000 are as likely as anything else.
inline std::u16string Units(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8));
  return text;
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace quillon::fuzz
