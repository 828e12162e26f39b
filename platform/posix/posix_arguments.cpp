#include "platform/posix/posix_arguments.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

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

// The directory part resolved by the file system ("..", "." and linked
// directories followed, as opening the file would follow them) joined to the
// file's own name, which is not followed: a symbolic link stays itself.
// nullopt when the directory cannot be resolved.
std::optional<std::string> ResolveDirectoryPart(const std::string& full) {
  const std::size_t slash = full.rfind('/');
  const std::string name = full.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  const std::string directory = slash == 0 ? std::string("/") : full.substr(0, slash);
  char* resolved = ::realpath(directory.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string path = resolved;
  std::free(resolved);
  if (path.back() != '/') path.push_back('/');
  return path + name;
}

// The program's own texts as the terminal takes them.
std::string Utf8(std::u16string_view text) {
  return EncodePath(text).value_or(std::string());
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
    } else if (cwd.empty()) {
      // Without a working directory there is nothing to resolve against;
      // the path stays relative, and a drop refuses a relative path.
      paths.push_back(DecodeName(argument));
      continue;
    } else {
      full.assign(cwd);
      full.push_back('/');
      full.append(argument);
    }
    const std::optional<std::string> resolved = ResolveDirectoryPart(full);
    paths.push_back(DecodeName(resolved ? *resolved : Normalize(full)));
  }
  return paths;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine command;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (optionsEnded || argument.size() < 2 || argument.front() != '-') {
      command.files.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else {
      command.files.clear();
      if (argument == "--help") {
        command.action = CommandLine::Action::kHelp;
      } else if (argument == "--version") {
        command.action = CommandLine::Action::kVersion;
      } else {
        command.action = CommandLine::Action::kRefuse;
        command.refusal =
            "quillon: " + Utf8(str::kCliUnknownOption) + argument + Utf8(str::kCliTryHelp);
      }
      return command;
    }
  }
  return command;
}

std::string VersionLine() {
  return "quillon " + Utf8(str::kVersion) + "\n";
}

std::string UsageText() {
  return Utf8(str::kCliUsage);
}

std::string MissingFilesLine(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    struct stat status {};
    if (file.empty() || ::lstat(file.c_str(), &status) == 0) continue;
    if (errno == ENOENT || errno == ENOTDIR) {
      return "quillon: " + Utf8(str::kCliNoSuchFile) + file + "\n";
    }
  }
  return {};
}

std::string NoDisplayLine() {
  return "quillon: " + Utf8(str::kCliNoDisplay) + "\n";
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
