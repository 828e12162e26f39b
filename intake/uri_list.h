// Reading the paths out of a dragged `text/uri-list`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The local paths named by a text/uri-list, in the list's order. Lines end in
// CR LF (a bare LF is tolerated); lines starting with '#' are comments. Only
// file: URIs whose host is empty or "localhost" count; their paths are
// percent-decoded to the exact bytes and then decoded as file names, so a
// name that is not valid UTF-8 survives. Every other URI is skipped, as are
// paths holding a NUL byte or not starting with '/'.
std::vector<std::u16string> ParseFileUriList(std::string_view bytes);

}  // namespace quillon
