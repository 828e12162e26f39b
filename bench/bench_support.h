// Pieces shared by the benchmark's lines: scratch directories of numbered
// files and the names they use.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace quillon::bench {

// A fresh directory below `parent`, removed with everything in it.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& parent) {
    std::string pattern = parent + "/quillon-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    path = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  void Create(const std::string& name) const {
    const int fd = ::open((path + "/" + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
  }
  std::string path;
};

inline std::string SeriesName(std::size_t i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "img_%06zu.jpg", i);
  return buf;
}

// The most memory this process has held resident, in MB.
inline long PeakRssMb() {
  struct rusage usage;
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// The whole program with n rows: drop, generate, validate, execute, undo on
// the real window of the offscreen platform; prints the "window:" line.
// Runs in a process of its own (the caller execs it), so that nothing else
// the benchmark allocated counts.
int RunWindowSession(int argc, char** argv, std::size_t n, const std::string& parent,
                     long targetMb);

}  // namespace quillon::bench
