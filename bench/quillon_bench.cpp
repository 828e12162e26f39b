// Measures the logic against floors taken in the same run, on tmpfs, and
// prints each result as a ratio to its floor next to its target.
//
//   build/bench/quillon_bench [--quick] [--dir DIR]
//
// DIR defaults to /dev/shm (tmpfs on Debian); every file is made in a fresh
// directory below it and removed afterwards.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/name_codec.h"
#include "core/quillon_dlg.h"
#include "shell/posix_file_system.h"

namespace quillon {
namespace {

// A window that shows nothing: the benchmark measures the logic alone.
class NullDialog : public DialogPort {
 public:
  void ShowMessage(std::u16string_view) override { ++messages; }
  bool AskOkCancel(std::u16string_view) override { return true; }
  void ShowRetryDialog(std::u16string_view) override {}
  void SetDirectoryText(std::u16string_view) override {}
  void SetRows(std::u16string_view, std::vector<std::u16string> names) override {
    rows = names.size();
  }
  void DeleteAllRows() override {}
  void DeleteRow(int) override {}
  void DeleteRows(const std::vector<int>&) override {}
  void EnsureRowVisible(int) override {}
  void SetCellText(int, int, std::u16string_view) override {}
  void SetColumnTexts(int, std::vector<std::u16string>) override {}
  void ClearColumn(int) override {}
  std::vector<int> SelectedRows() override { return {}; }
  std::u16string NameFieldText() override { return nameField; }
  void SetControlEnabled(ControlId, bool) override {}
  void SetAcceptDrops(bool) override {}
  bool SetClipboardText(std::u16string_view) override { return true; }
  std::optional<std::u16string> ClipboardText() override { return std::nullopt; }
  bool HasClipboardText() override { return false; }
  void OpenWithDefaultApplication(std::u16string_view) override {}

  int messages = 0;
  std::size_t rows = 0;
  std::u16string nameField;
};

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
  void Create(const std::string& name) const {
    const int fd = ::open((path + "/" + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
  }
  std::string path;
};

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best of `runs`, each run prepared afresh by `setup` outside the timing.
double Best(int runs, const std::function<void()>& setup, const std::function<void()>& work) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    setup();
    best = std::min(best, Seconds(work));
  }
  return best;
}

void Report(const char* what, double floor, double measured, double target) {
  const double ratio = measured / floor;
  std::printf("%-58s floor %8.1f ms  ours %8.1f ms  ratio %5.2f  target <= %.1f  %s\n", what,
              floor * 1e3, measured * 1e3, ratio, target, ratio <= target ? "ok" : "OVER");
}

std::string SeriesName(std::size_t i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "img_%06zu.jpg", i);
  return buf;
}

void BenchDrop(const std::string& parent, std::size_t n) {
  ScratchDir dir(parent);
  std::vector<std::string> bytePaths;
  std::vector<std::u16string> paths;
  for (std::size_t i = 0; i < n; ++i) {
    dir.Create(SeriesName(i));
    bytePaths.push_back(dir.path + "/" + SeriesName(i));
  }
  // The file manager hands the paths over in its own order.
  std::reverse(bytePaths.begin(), bytePaths.end());
  for (const auto& p : bytePaths) paths.push_back(DecodeName(p));

  const double floor = Best(
      3, [] {},
      [&] {
        struct stat st;
        for (const auto& p : bytePaths) ::lstat(p.c_str(), &st);
      });
  PosixFileSystem fs;
  NullDialog ui;
  std::unique_ptr<CQuillonDlg> dlg;
  const double ours = Best(
      3, [&] { dlg = std::make_unique<CQuillonDlg>(fs, ui); }, [&] { dlg->OnFilesDropped(paths); });
  if (ui.rows != n) std::printf("  (drop listed %zu rows of %zu)\n", ui.rows, n);
  char what[96];
  std::snprintf(what, sizeof what, "accepting a drop of %zu paths", n);
  Report(what, floor, ours, 3.0);
}

// A directory of n entries, every tenth of them listed and moved onto a
// fresh name, against reading the directory and sorting its names bytewise.
void BenchPlanCheck(const std::string& parent, std::size_t n) {
  ScratchDir dir(parent);
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  for (std::size_t i = 0; i < n; ++i) {
    dir.Create(SeriesName(i));
    if (i % 10 == 0) {
      sources.push_back(DecodeName(SeriesName(i)));
      targets.push_back(DecodeName("trip_" + SeriesName(i)));
    }
  }

  const double floor = Best(
      3, [] {},
      [&] {
        std::vector<std::string> names;
        DIR* d = ::opendir(dir.path.c_str());
        if (d == nullptr) return;
        while (const dirent* entry = ::readdir(d)) names.emplace_back(entry->d_name);
        ::closedir(d);
        std::sort(names.begin(), names.end());
      });
  PosixFileSystem fs;
  NullDialog ui;
  CQuillonDlg dlg(fs, ui);
  dlg.m_directory = DecodeName(dir.path);
  std::vector<int> duplicates;
  std::vector<int> missing;
  bool passed = false;
  const double ours = Best(
      3, [] {}, [&] { passed = dlg.CheckRenamePlan(sources, targets, &duplicates, &missing); });
  if (!passed)
    std::printf("  (plan check failed: %zu missing, %zu clashes)\n", missing.size(),
                duplicates.size());
  char what[96];
  std::snprintf(what, sizeof what, "CheckRenamePlan, %zu entries, %zu rows", n, sources.size());
  Report(what, floor, ours, 3.0);
}

long PeakRssMb() {
  struct rusage usage;
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// The engine against bare renameat2 calls in the right order, on the same
// files. `plan` gives each index its target index; `floorMoves` lists the
// byte moves a hand-written program would make.
void BenchRenames(const std::string& parent, const char* what, std::size_t n,
                  const std::vector<std::size_t>& targetOf,
                  const std::vector<std::pair<std::string, std::string>>& floorMoves,
                  double target) {
  auto name = [](std::size_t i) { return SeriesName(i); };
  std::unique_ptr<ScratchDir> dir;
  const auto fill = [&] {
    dir = std::make_unique<ScratchDir>(parent);
    for (std::size_t i = 0; i < n; ++i) dir->Create(name(i));
  };
  const double floor = Best(3, fill, [&] {
    const int fd = ::open(dir->path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const auto& [from, to] : floorMoves)
      ::renameat2(fd, from.c_str(), fd, to.c_str(), RENAME_NOREPLACE);
    ::close(fd);
  });
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  for (std::size_t i = 0; i < n; ++i) {
    sources.push_back(DecodeName(name(i)));
    targets.push_back(DecodeName(name(targetOf[i])));
  }
  PosixFileSystem fs;
  NullDialog ui;
  CQuillonDlg dlg(fs, ui);
  std::vector<std::u16string> current;
  bool ok = true;
  const double ours = Best(
      3,
      [&] {
        fill();
        dlg.m_directory = DecodeName(dir->path);
      },
      [&] { ok = dlg.RunRenames(sources, targets, &current); });
  if (!ok) std::printf("  (some renames failed)\n");
  dir.reset();
  char label[96];
  std::snprintf(label, sizeof label, "RunRenames, %s, %zu files", what, n);
  Report(label, floor, ours, target);
}

void BenchShift(const std::string& parent, std::size_t n, bool up) {
  // Files 0..n-1. Up: i -> i+1, last first. Down: see below.
  const std::size_t files = n;
  std::vector<std::size_t> targetOf(files);
  std::vector<std::pair<std::string, std::string>> moves;
  if (up) {
    for (std::size_t i = 0; i < files; ++i) targetOf[i] = i + 1;
    for (std::size_t i = files; i-- > 0;) moves.emplace_back(SeriesName(i), SeriesName(i + 1));
  } else {
    // Down by one: file 0 first makes room at the top of the series (0 -> n),
    // then every other file takes the name below it, first to last.
    targetOf[0] = files;
    moves.emplace_back(SeriesName(0), SeriesName(files));
    for (std::size_t i = 1; i < files; ++i) {
      targetOf[i] = i - 1;
      moves.emplace_back(SeriesName(i), SeriesName(i - 1));
    }
  }
  BenchRenames(parent, up ? "series shifted up" : "series shifted down", n, targetOf, moves, 1.3);
}

void BenchSwaps(const std::string& parent, std::size_t n) {
  std::vector<std::size_t> targetOf(n);
  std::vector<std::pair<std::string, std::string>> moves;
  for (std::size_t i = 0; i + 1 < n; i += 2) {
    targetOf[i] = i + 1;
    targetOf[i + 1] = i;
    moves.emplace_back(SeriesName(i), "tmp_" + SeriesName(i));
    moves.emplace_back(SeriesName(i + 1), SeriesName(i));
    moves.emplace_back("tmp_" + SeriesName(i), SeriesName(i + 1));
  }
  BenchRenames(parent, "swapped pairs", n, targetOf, moves, 1.5);
}

// The peak memory of a whole session with n rows (drop, generate, validate),
// measured in a child forked before anything else is allocated, so that the
// other benchmarks' data does not count.
void BenchMemory(const std::string& parent, std::size_t n) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    {
      ScratchDir dir(parent);
      std::vector<std::u16string> paths;
      paths.reserve(n);
      for (std::size_t i = 0; i < n; ++i) {
        dir.Create(SeriesName(i));
        paths.push_back(DecodeName(dir.path + "/" + SeriesName(i)));
      }
      PosixFileSystem fs;
      NullDialog ui;
      CQuillonDlg dlg(fs, ui);
      dlg.OnFilesDropped(paths);
      paths = {};
      ui.nameField = u"trip_000001";
      dlg.GenerateNames();
      std::printf(
          "peak memory of a session with %zu rows (drop, generate, validate): %ld MB"
          "  target < 100 MB  %s\n",
          dlg.m_files.size(), PeakRssMb(), PeakRssMb() < 100 ? "ok" : "OVER");
      std::fflush(stdout);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  std::string parent = "/dev/shm";
  bool quick = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) parent = argv[++i];
  }
  const std::size_t big = quick ? 10000 : 100000;
  std::printf("Quillon benchmark in %s (%s)\n", parent.c_str(), quick ? "quick" : "full");
  quillon::BenchMemory(parent, big);
  quillon::BenchDrop(parent, big);
  quillon::BenchPlanCheck(parent, big);
  for (std::size_t n : {std::size_t{10000}, big}) {
    quillon::BenchShift(parent, n, true);
    quillon::BenchShift(parent, n, false);
    quillon::BenchSwaps(parent, n);
    if (n == big) break;
  }
  return 0;
}
