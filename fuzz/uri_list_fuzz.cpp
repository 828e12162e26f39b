// The text/uri-list reader against arbitrary bytes: every path it returns
// is absolute and names exact bytes, and a path written as a file URI reads
// back as itself.
#include "core/name_codec.h"
#include "fuzz/fuzz_check.h"
#include "intake/uri_list.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Bytes(data, size);
  for (const std::u16string& path : ParseFileUriList(bytes)) {
    QUILLON_FUZZ_CHECK(!path.empty() && path.front() == u'/');
    const auto encoded = EncodePath(path);
    QUILLON_FUZZ_CHECK(encoded && encoded->find('\0') == std::string::npos);
    QUILLON_FUZZ_CHECK(DecodeName(*encoded) == path);
  }

  // The input as a path, every byte but '/' escaped as a file manager would.
  if (!bytes.empty() && bytes.front() == '/' && bytes.find('\0') == std::string_view::npos) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = size % 2 == 0 ? "file://" : "file://localhost";
    for (unsigned char c : bytes) {
      if (c == '/') {
        uri.push_back('/');
      } else {
        uri.push_back('%');
        uri.push_back(kHex[c >> 4]);
        uri.push_back(kHex[c & 15]);
      }
    }
    const auto paths = ParseFileUriList("# a comment\r\n" + uri + "\r\n");
    QUILLON_FUZZ_CHECK(paths.size() == 1 && paths[0] == DecodeName(bytes));
  }
  return 0;
}
