#include "platform/posix/posix_mount.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace quillon {
namespace {

// At most `limit` bytes from the start of a file; empty when it cannot be
// read.
std::string ReadHead(const std::string& path, std::size_t limit) {
  std::string text;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  while (text.size() < limit) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return text;
}

// The first sector of a mount's source, when the source is a device or an
// image file this process may read. Anything else named as a source (a
// character device, a FIFO, "none") is not opened for reading at all.
std::string FirstSectorOf(const std::string& source) {
  if (source.empty() || source[0] != '/') return {};
  const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string sector;
  struct stat st;
  if (::fstat(fd, &st) == 0 && (S_ISBLK(st.st_mode) || S_ISREG(st.st_mode))) {
    char buffer[512];
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
    if (got > 0) sector.assign(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return sector;
}

// mountinfo writes space, tab, newline and backslash in paths as \ooo.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto octal = [&](std::size_t at) { return text[at] >= '0' && text[at] <= '7'; };
    if (text[i] == '\\' && i + 3 < text.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                               (text[i + 3] - '0'));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The next space-separated field of `rest`, which loses it.
std::string_view NextField(std::string_view* rest) {
  const std::size_t end = rest->find(' ');
  const std::string_view field = rest->substr(0, end);
  *rest = end == std::string_view::npos ? std::string_view() : rest->substr(end + 1);
  return field;
}

}  // namespace

std::optional<MountEntry> FindMount(std::string_view mountinfo, long mountId) {
  const std::string id = std::to_string(mountId);
  std::size_t begin = 0;
  while (begin < mountinfo.size()) {
    std::size_t end = mountinfo.find('\n', begin);
    if (end == std::string_view::npos) end = mountinfo.size();
    std::string_view line = mountinfo.substr(begin, end - begin);
    begin = end + 1;
    // "<id> <parent> <major:minor> <root> <mount point> <options> [<optional
    // fields>] - <type> <source> <super options>"; spaces inside paths are
    // escaped, so " - " is the separator alone.
    if (NextField(&line) != id) continue;
    NextField(&line);
    const std::string_view device = NextField(&line);
    const std::size_t separator = line.find(" - ");
    if (separator == std::string_view::npos) return std::nullopt;
    std::string_view rest = line.substr(separator + 3);
    MountEntry entry;
    entry.type = NextField(&rest);
    entry.source = Unescape(NextField(&rest));
    const std::size_t colon = device.find(':');
    if (colon != std::string_view::npos) {
      const std::string numbers(device);
      entry.major = static_cast<unsigned>(std::strtoul(numbers.c_str(), nullptr, 10));
      entry.minor = static_cast<unsigned>(std::strtoul(numbers.c_str() + colon + 1, nullptr, 10));
    }
    return entry;
  }
  return std::nullopt;
}

std::string UdevFileSystemType(std::string_view record) {
  constexpr std::string_view kKey = "E:ID_FS_TYPE=";
  std::size_t begin = 0;
  while (begin < record.size()) {
    std::size_t end = record.find('\n', begin);
    if (end == std::string_view::npos) end = record.size();
    const std::string_view line = record.substr(begin, end - begin);
    begin = end + 1;
    if (line.substr(0, kKey.size()) == kKey) return std::string(line.substr(kKey.size()));
  }
  return {};
}

std::string BootSectorFileSystemType(std::string_view sector) {
  const auto at = [sector](std::size_t offset, std::string_view label) {
    return sector.size() >= offset + label.size() && sector.substr(offset, label.size()) == label;
  };
  if (at(3, "EXFAT   ")) return "exfat";
  if (at(3, "NTFS    ")) return "ntfs";
  if (at(54, "FAT12   ") || at(54, "FAT16   ") || at(82, "FAT32   ")) return "vfat";
  return {};
}

NameLimit NameLimitForMount(std::string_view type, long pathconfMax) {
  const std::size_t bytes = pathconfMax > 0 ? static_cast<std::size_t>(pathconfMax) : 255;
  if (const auto dot = type.find('.'); dot != std::string_view::npos) {
    const std::string_view base = type.substr(0, dot);
    if (base == "fuse" || base == "fuseblk") type = type.substr(dot + 1);
  } else if (type == "fuse" || type == "fuseblk") {
    type = {};  // a FUSE mount that does not say what it serves
  }
  for (const std::string_view units :
       {"vfat", "msdos", "fat", "exfat", "ntfs", "ntfs3", "ntfs-3g", "lowntfs-3g"}) {
    // Kernel vfat reports 1530 (255 characters of up to six bytes) through
    // fpathconf; the on-disk rule is 255 UTF-16 units.
    if (type == units) return NameLimit{NameLimit::kNoLimit, 255};
  }
  if (type.empty()) return NameLimit{bytes, 255};
  return NameLimit{bytes, NameLimit::kNoLimit};
}

std::string FileSystemTypeOf(int fd) {
  const std::string fdinfo = ReadHead("/proc/self/fdinfo/" + std::to_string(fd), 4096);
  const auto at = fdinfo.find("mnt_id:");
  if (at == std::string::npos) return {};
  const long mountId = std::strtol(fdinfo.c_str() + at + 7, nullptr, 10);
  const auto mount = FindMount(ReadHead("/proc/self/mountinfo", std::string::npos), mountId);
  if (!mount) return {};
  if (mount->type != "fuse" && mount->type != "fuseblk") return mount->type;
  // A fuseblk mount carries its block device's number; a FUSE mount of an
  // image file has an anonymous one (major 0), which udev does not know.
  if (mount->major != 0) {
    const std::string type = UdevFileSystemType(ReadHead(
        "/run/udev/data/b" + std::to_string(mount->major) + ":" + std::to_string(mount->minor),
        64 * 1024));
    if (!type.empty()) return type;
  }
  const std::string type = BootSectorFileSystemType(FirstSectorOf(mount->source));
  return type.empty() ? mount->type : type;
}

}  // namespace quillon
