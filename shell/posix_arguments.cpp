#include "shell/posix_arguments.h"

#include <unistd.h>

#include <cerrno>

#include "core/name_codec.h"
#include "resources/strings.h"

namespace quillon {

namespace {

std::string Normalize(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  std::size_t pos = 0;
  while (pos < path.size()) {
    const std::size_t slash = path.find('/', pos);
    const std::size_t end = slash == std::string_view::npos ? path.size() : slash;
    const std::string_view part = path.substr(pos, end - pos);
    if (!part.empty() && part != ".") {
      out.push_back('/');
      out.append(part);
    }
    pos = end + 1;
  }
  // A path that named a directory with a trailing slash keeps it, so that it
  // is still refused as a directory rather than read as a file name.
  if (out.empty() || (path.size() > 1 && path.back() == '/')) out.push_back('/');
  return out;
}

}  // namespace

std::vector<std::u16string> ArgumentsToPaths(const std::vector<std::string>& arguments,
                                             std::string_view cwd) {
  std::vector<std::u16string> paths;
  paths.reserve(arguments.size());
  for (const std::string& argument : arguments) {
    if (argument.empty()) continue;
    std::string full;
    if (argument.front() == '/') {
      full = argument;
    } else {
      full.assign(cwd);
      full.push_back('/');
      full.append(argument);
    }
    paths.push_back(DecodeName(Normalize(full)));
  }
  return paths;
}

bool AsksForVersion(const std::vector<std::string>& arguments) {
  return !arguments.empty() && arguments.front() == "--version";
}

std::string VersionLine() {
  return "quillon " + EncodeName(str::kVersion).value_or(std::string()) + "\n";
}

std::string CurrentDirectoryBytes() {
  std::string buffer(256, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

}  // namespace quillon
