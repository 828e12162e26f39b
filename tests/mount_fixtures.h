// Real file systems mounted for a test or a benchmark: exFAT through
// exfat-fuse, NTFS through ntfs-3g, ext4 by the kernel, and a FUSE 3 file
// system of our own whose rename ignores RENAME_NOREPLACE. Each lives in a
// scratch directory of its own below `parent`, and says why when it cannot be
// mounted here (no root, no FUSE, a tool missing), so that its users skip.
#pragma once

#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quillon::testing {

inline constexpr const char* kToolPath = "PATH=\"$PATH:/usr/sbin:/sbin\" ";

inline bool Shell(const std::string& command) {
  return std::system((kToolPath + command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string Capture(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen((kToolPath + command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return output;
  std::array<char, 256> buffer;
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  ::pclose(pipe);
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  return output;
}

// A file's whole content by full path, and a file written whole, for tests on
// mounted file systems.
inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Mount {
 public:
  enum class Kind {
    kExfat,         // exfat-fuse on a loop device: "fuseblk"
    kNtfs,          // ntfs-3g on the image file itself: "fuse"
    kExt4,          // the kernel's ext4 on a loop device
    kFlagIgnoring,  // tests/flag_ignoring_fs.c over a backing directory
  };

  explicit Mount(Kind kind, std::string parent = std::filesystem::temp_directory_path().string(),
                 int megabytes = 32) {
    std::string scratch = parent + "/quillon-mount-XXXXXX";
    if (::mkdtemp(scratch.data()) == nullptr) {
      m_problem = "no scratch directory below " + parent;
      return;
    }
    m_scratch = scratch;
    m_mountPoint = m_scratch + "/mnt";
    ::mkdir(m_mountPoint.c_str(), 0755);
    if (::geteuid() != 0) {
      m_problem = "mounting needs root";
    } else if (kind != Kind::kExt4 && ::access("/dev/fuse", R_OK | W_OK) != 0) {
      m_problem = "no /dev/fuse";
    } else {
      m_problem = MountNew(kind, megabytes);
    }
    m_mounted = m_problem.empty() || m_problem == kNotFuse;
  }

  ~Mount() {
    if (m_scratch.empty()) return;
    // umount returns once the kernel has let go of the mount; a FUSE daemon
    // may still hold its loop device a moment longer, which was therefore
    // detached lazily right after mounting and goes by itself.
    if (m_mounted && !Shell("umount " + m_mountPoint) && !Shell("fusermount3 -u " + m_mountPoint) &&
        !Shell("fusermount -u " + m_mountPoint))
      return;  // still mounted: removing the scratch directory would reach into it
    std::error_code ec;
    std::filesystem::remove_all(m_scratch, ec);
  }
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;

  bool Usable() const { return m_mounted && m_problem.empty(); }
  const std::string& Problem() const { return m_problem; }
  const std::string& MountPoint() const { return m_mountPoint; }
  // The directory behind the mount (kFlagIgnoring): changed here, a file
  // reaches the file system the way another client's does on a network.
  std::string Backing() const { return m_scratch + "/backing"; }

  // A fresh empty directory on the mount.
  std::string NewDirectory() {
    const std::string path = m_mountPoint + "/d" + std::to_string(m_directories++);
    ::mkdir(path.c_str(), 0755);
    return path;
  }

 private:
  static constexpr const char* kNotFuse = "the mount is not a FUSE file system";

  // Returns what went wrong, or nothing.
  std::string MountNew(Kind kind, int megabytes) {
    if (kind == Kind::kFlagIgnoring) {
#ifdef QUILLON_FLAG_IGNORING_FS
      ::mkdir(Backing().c_str(), 0755);
      // Long entry lifetimes: the kernel trusts its own idea of which names
      // exist, as it does for a network file system between two lookups.
      if (!Shell(std::string(QUILLON_FLAG_IGNORING_FS) + " " + Backing() + " " + m_mountPoint +
                 " -o entry_timeout=3600,negative_timeout=3600,attr_timeout=0"))
        return "the test file system did not mount";
      return Fuse();
#else
      return "the tests were built without libfuse3";
#endif
    }
    const std::string image = m_scratch + "/image";
    std::filesystem::resize_file((std::ofstream(image, std::ios::binary), image),
                                 static_cast<std::uintmax_t>(megabytes) << 20);
    switch (kind) {
      case Kind::kExfat:
        if (!Shell("mkfs.exfat " + image)) return "mkfs.exfat failed or is missing (exfatprogs)";
        return MountLoop(image, "timeout 20 mount.exfat-fuse", "exfat-fuse");
      case Kind::kNtfs:
        if (!Shell("mkntfs -F -Q " + image)) return "mkntfs failed or is missing (ntfs-3g)";
        if (!Shell("timeout 20 ntfs-3g " + image + " " + m_mountPoint))
          return "ntfs-3g failed to mount";
        return Fuse();
      case Kind::kExt4:
        if (!Shell("mkfs.ext4 -q -F " + image)) return "mkfs.ext4 failed or is missing";
        return MountLoop(image, "mount -t ext4", "the kernel's ext4");
      case Kind::kFlagIgnoring:
        break;
    }
    return "unknown kind";
  }

  std::string MountLoop(const std::string& image, const std::string& mount,
                        const std::string& what) {
    const std::string loop = Capture("losetup -f --show " + image);
    if (loop.rfind("/dev/", 0) != 0) return "no loop device";
    const bool mounted = Shell(mount + " " + loop + " " + m_mountPoint);
    // Detached now, the device goes as soon as its last user lets go: the
    // mount, or the FUSE daemon after it, however the test ends.
    Shell("losetup -d " + loop);
    if (!mounted) return what + " failed to mount";
    return mount.find("fuse") != std::string::npos ? Fuse() : std::string();
  }

  std::string Fuse() {
    struct statfs fs;
    if (::statfs(m_mountPoint.c_str(), &fs) != 0 ||
        static_cast<unsigned long>(fs.f_type) != 0x65735546UL)
      return kNotFuse;
    return {};
  }

  std::string m_scratch;
  std::string m_mountPoint;
  bool m_mounted = false;
  std::string m_problem;
  int m_directories = 0;
};

}  // namespace quillon::testing
