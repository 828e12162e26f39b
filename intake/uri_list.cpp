#include "intake/uri_list.h"

#include <optional>

#include "core/name_codec.h"

namespace quillon {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

// A '%' not followed by two hex digits is kept as it is: some sources do not
// escape it, and guessing otherwise would name a different file.
std::optional<std::string> PercentDecode(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      c = static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    }
    if (c == '\0') return std::nullopt;
    bytes.push_back(c);
  }
  return bytes;
}

// The path bytes of one file: URI, or nullopt for anything else.
std::optional<std::string> LocalPathOf(std::string_view uri) {
  if (!StartsWithNoCase(uri, "file:")) return std::nullopt;
  std::string_view rest = uri.substr(5);
  // A query or fragment is not part of the path; characters that belong to
  // the name arrive escaped.
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view host = rest.substr(0, slash);
    // Another host's path would name a local file that is not the dragged one.
    if (!host.empty() && !EqualsNoCase(host, "localhost")) return std::nullopt;
    rest.remove_prefix(slash);
  }
  std::optional<std::string> path = PercentDecode(rest);
  if (!path || path->empty() || path->front() != '/') return std::nullopt;
  return path;
}

std::string_view Trim(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

std::vector<std::u16string> ParseFileUriList(std::string_view bytes) {
  std::vector<std::u16string> paths;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view line = Trim(bytes.substr(0, end));
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (std::optional<std::string> path = LocalPathOf(line)) paths.push_back(DecodeName(*path));
  }
  return paths;
}

}  // namespace quillon
