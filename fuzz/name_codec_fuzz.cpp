// The name codec: decoding any bytes and encoding again gives the same
// bytes; encoding any text either refuses or gives bytes that decode to it.
#include "core/name_codec.h"
#include "fuzz/fuzz_check.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Bytes(data, size);

  const std::u16string decoded = DecodeName(bytes);
  const bool hasNul = bytes.find('\0') != std::string_view::npos;
  const bool hasSlash = bytes.find('/') != std::string_view::npos;
  const auto asPath = EncodePath(decoded);
  QUILLON_FUZZ_CHECK(hasNul ? !asPath : asPath == std::string(bytes));
  const auto asName = EncodeName(decoded);
  QUILLON_FUZZ_CHECK(hasNul || hasSlash ? !asName : asName == std::string(bytes));
  if (asName) QUILLON_FUZZ_CHECK(EncodedLength(decoded) == bytes.size());

  const std::u16string text = fuzz::Units(bytes);
  if (const auto encoded = EncodeName(text)) {
    QUILLON_FUZZ_CHECK(DecodeName(*encoded) == text);
    QUILLON_FUZZ_CHECK(EncodedLength(text) == encoded->size());
    QUILLON_FUZZ_CHECK(encoded->find('/') == std::string::npos);
  }
  if (const auto encoded = EncodePath(text)) QUILLON_FUZZ_CHECK(DecodeName(*encoded) == text);
  return 0;
}
