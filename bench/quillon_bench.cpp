// Measures the logic against floors taken in the same run, on tmpfs, and
// prints each result as a ratio to its floor next to its target.
//
//   build/bench/quillon_bench [--quick | --huge | --media | --dates] [--pairs N] [--dir DIR]
//
// DIR defaults to /dev/shm (tmpfs on Debian); every file is made in a fresh
// directory below it and removed afterwards. --quick uses 10 000 files
// instead of 100 000, --huge 1 000 000. Each speed line alternates the floor
// and ours on fresh directories (floor, ours, floor, ours, ...), so that both
// meet the same moments of a shared machine, and reports the median of the
// per-pair ratios with their spread; OVER marks a median above its target.
// A line takes at least N pairs (5 by default), more where the work is short.
// The last lines run on exFAT and NTFS images below DIR, mounted through FUSE
// (where this machine allows it; --media runs only those). --dates runs
// only the line of the dates port: 10 000 photos ordered by date taken.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.h"
#include "core/name_codec.h"
#include "core/row_order.h"
#include "dialog/quillon_dlg.h"
#include "platform/posix/posix_file_dates.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_journal_store.h"
#include "tests/exif_samples.h"
#include "tests/mount_fixtures.h"

namespace quillon::bench {
namespace {

// A window that shows nothing: the speed lines measure the logic alone.
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

struct Settings {
  std::string parent = "/dev/shm";
  int pairs = 5;
};

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One side of a comparison: `setup` prepares a fresh start outside the
// timing, `work` is timed.
struct Side {
  std::function<void()> setup;
  std::function<void()> work;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Floor and ours in turn, `pairs` times and more for short work, until the
// floors add up to kMinFloorSeconds: a pair of 80 ms runs is easily upset by
// another program, and more of them keep the median steady. Prints the
// medians and the median of the per-pair ratios with the smallest and
// largest ratio.
constexpr double kMinFloorSeconds = 1.5;
constexpr int kMostPairs = 40;

// Returns the median ratio.
double Compare(const Settings& settings, const char* what, const Side& floor, const Side& ours,
               double target) {
  std::vector<double> floors;
  std::vector<double> times;
  std::vector<double> ratios;
  double floorSeconds = 0;
  for (int i = 0; i < settings.pairs || (floorSeconds < kMinFloorSeconds && i < kMostPairs); ++i) {
    floor.setup();
    floors.push_back(Seconds(floor.work));
    floorSeconds += floors.back();
    ours.setup();
    times.push_back(Seconds(ours.work));
    ratios.push_back(times.back() / floors.back());
  }
  const double ratio = Median(ratios);
  const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
  std::printf(
      "%-46s floor %7.1f ms  ours %7.1f ms  ratio %4.2f (%4.2f-%4.2f, %2zu pairs)  target <= %.1f"
      "  %s\n",
      what, Median(floors) * 1e3, Median(times) * 1e3, ratio, *low, *high, ratios.size(), target,
      ratio <= target ? "ok" : "OVER");
  std::fflush(stdout);
  return ratio;
}

void Nothing() {}

void BenchDrop(const Settings& settings, std::size_t n) {
  ScratchDir dir(settings.parent);
  std::vector<std::string> bytePaths;
  std::vector<std::u16string> paths;
  for (std::size_t i = 0; i < n; ++i) {
    dir.Create(SeriesName(i));
    bytePaths.push_back(dir.path + "/" + SeriesName(i));
  }
  // The file manager hands the paths over in its own order.
  std::reverse(bytePaths.begin(), bytePaths.end());
  for (const auto& p : bytePaths) paths.push_back(DecodeName(p));

  PosixFileSystem fs;
  NullDialog ui;
  std::unique_ptr<CQuillonDlg> dlg;
  const Side floor{Nothing, [&] {
                     struct stat st;
                     for (const auto& p : bytePaths) ::lstat(p.c_str(), &st);
                   }};
  const Side ours{[&] {
                    dlg.reset();
                    dlg = std::make_unique<CQuillonDlg>(fs, ui);
                  },
                  [&] { dlg->OnFilesDropped(paths); }};
  char what[96];
  std::snprintf(what, sizeof what, "accepting a drop of %zu paths", n);
  Compare(settings, what, floor, ours, 3.0);
  if (ui.rows != n) std::printf("  (drop listed %zu rows of %zu)\n", ui.rows, n);
}

// A directory of n entries, every tenth of them listed and moved onto a
// fresh name, against reading the directory and sorting its names bytewise.
void BenchPlanCheck(const Settings& settings, std::size_t n) {
  ScratchDir dir(settings.parent);
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  for (std::size_t i = 0; i < n; ++i) {
    dir.Create(SeriesName(i));
    if (i % 10 == 0) {
      sources.push_back(DecodeName(SeriesName(i)));
      targets.push_back(DecodeName("trip_" + SeriesName(i)));
    }
  }

  PosixFileSystem fs;
  NullDialog ui;
  CQuillonDlg dlg(fs, ui);
  dlg.ListRows(FileRows(DecodeName(dir.path), {}));
  std::vector<int> duplicates;
  std::vector<int> missing;
  bool passed = false;
  const Side floor{Nothing, [&] {
                     std::vector<std::string> names;
                     DIR* d = ::opendir(dir.path.c_str());
                     if (d == nullptr) return;
                     while (const dirent* entry = ::readdir(d)) names.emplace_back(entry->d_name);
                     ::closedir(d);
                     std::sort(names.begin(), names.end());
                   }};
  const Side ours{Nothing,
                  [&] { passed = dlg.CheckRenamePlan(sources, targets, &duplicates, &missing); }};
  char what[96];
  std::snprintf(what, sizeof what, "CheckRenamePlan, %zu entries, %zu rows", n, sources.size());
  Compare(settings, what, floor, ours, 3.0);
  if (!passed)
    std::printf("  (plan check failed: %zu missing, %zu clashes)\n", missing.size(),
                duplicates.size());
}

// n photos with Exif data as a camera or a phone writes it, each padded to
// the size of a photo by a hole after its end (tmpfs keeps no memory for
// it), read by the dates port and ordered by date taken, against opening
// each file and reading its first 64 KiB.
void BenchFileDates(const Settings& settings, std::size_t n) {
  ScratchDir dir(settings.parent);
  std::vector<std::string> bytePaths;
  std::vector<std::u16string> names;
  for (std::size_t i = 0; i < n; ++i) {
    // Capture times in an order of their own, a second apart; every third
    // from a phone, with sub-seconds and an offset.
    const std::size_t second = i * 7919 % n;
    char taken[64];
    std::snprintf(taken, sizeof taken, "2023:08:%02zu %02zu:%02zu:%02zu", 1 + second / 86400,
                  second / 3600 % 24, second / 60 % 60, second % 60);
    const std::string photo =
        i % 3 == 0 ? testing::PhotoTakenAt(taken, "25", "+09:00") : testing::PhotoTakenAt(taken);
    const std::string path = dir.path + "/" + SeriesName(i);
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, photo.data(), photo.size()) != static_cast<ssize_t>(photo.size()) ||
        ::ftruncate(fd, 3 << 20) != 0) {
      std::perror("writing a photo");
      std::exit(1);
    }
    ::close(fd);
    bytePaths.push_back(path);
    names.push_back(DecodeName(SeriesName(i)));
  }
  const std::u16string directory = DecodeName(dir.path);
  std::vector<char> head(64 * 1024);
  const Side floor{Nothing, [&] {
                     for (const auto& path : bytePaths) {
                       const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                       if (fd < 0) continue;
                       if (::read(fd, head.data(), head.size()) < 0) std::perror("read");
                       ::close(fd);
                     }
                   }};
  PosixFileDateReader reader;
  std::size_t taken = 0;
  std::vector<std::size_t> order;
  const Side ours{
      Nothing, [&] {
        std::vector<FileDates> dates;
        dates.reserve(n);
        for (const auto& name : names) dates.push_back(reader.Read(directory, name));
        order = OrderByDates(dates, RowOrder::kByDateTaken);
        taken = static_cast<std::size_t>(std::count_if(
            dates.begin(), dates.end(), [](const FileDates& d) { return d.taken.has_value(); }));
      }};
  char what[96];
  std::snprintf(what, sizeof what, "dates: order by date taken, %zu photos", n);
  Compare(settings, what, floor, ours, 3.0);
  if (taken != n) std::printf("  (a capture time in %zu photos of %zu)\n", taken, n);
  if (order.size() == n && order.front() != 0)
    std::printf("  (the first photo taken is not first)\n");
}

// The engine against bare renameat2 calls in the right order (with
// `floorFlags`), each on a fresh directory of the same files below `parent`.
// File i is to be named `targets[i]`; `floorMoves` lists the byte moves a
// hand-written program would make. Returns the median ratio.
double BenchRenames(const Settings& settings, const std::string& parent, const char* what,
                    std::size_t n, const std::vector<std::string>& targetNames,
                    const std::vector<std::pair<std::string, std::string>>& floorMoves,
                    double target, unsigned floorFlags = RENAME_NOREPLACE) {
  std::unique_ptr<ScratchDir> dir;
  const auto fill = [&] {
    dir.reset();
    dir = std::make_unique<ScratchDir>(parent);
    for (std::size_t i = 0; i < n; ++i) dir->Create(SeriesName(i));
  };
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  for (std::size_t i = 0; i < n; ++i) {
    sources.push_back(DecodeName(SeriesName(i)));
    targets.push_back(DecodeName(targetNames[i]));
  }
  PosixFileSystem fs;
  NullDialog ui;
  // Every run keeps its journal and ends with a sync, as the program's do;
  // the journals live below `parent` too.
  const ScratchDir state(parent);
  PosixJournalStore journals(state.path + "/quillon");
  CQuillonDlg dlg(fs, ui, &journals);
  std::vector<std::u16string> current;
  bool ok = true;
  const Side floor{fill, [&] {
                     const int fd = ::open(dir->path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                     for (const auto& [from, to] : floorMoves)
                       ::renameat2(fd, from.c_str(), fd, to.c_str(), floorFlags);
                     ::close(fd);
                   }};
  const Side ours{[&] {
                    fill();
                    dlg.ListRows(FileRows(DecodeName(dir->path), {}));
                  },
                  [&] { ok = dlg.RunRenames(sources, targets, &current) && ok; }};
  char label[128];
  std::snprintf(label, sizeof label, "RunRenames, %s, %zu files", what, n);
  const double ratio = Compare(settings, label, floor, ours, target);
  if (!ok) std::printf("  (some renames failed)\n");
  return ratio;
}

// i -> i+1, the last file first.
void ShiftUp(std::size_t n, std::vector<std::string>* targets,
             std::vector<std::pair<std::string, std::string>>* moves) {
  for (std::size_t i = 0; i < n; ++i) targets->push_back(SeriesName(i + 1));
  for (std::size_t i = n; i-- > 0;) moves->emplace_back(SeriesName(i), SeriesName(i + 1));
}

void BenchShift(const Settings& settings, std::size_t n, bool up) {
  std::vector<std::string> targets;
  std::vector<std::pair<std::string, std::string>> moves;
  if (up) {
    ShiftUp(n, &targets, &moves);
  } else {
    // Down by one: file 0 first makes room at the top of the series (0 -> n),
    // then every other file takes the name below it, first to last.
    targets.push_back(SeriesName(n));
    moves.emplace_back(SeriesName(0), SeriesName(n));
    for (std::size_t i = 1; i < n; ++i) {
      targets.push_back(SeriesName(i - 1));
      moves.emplace_back(SeriesName(i), SeriesName(i - 1));
    }
  }
  BenchRenames(settings, settings.parent, up ? "series shifted up" : "series shifted down", n,
               targets, moves, 1.3);
}

void BenchSwaps(const Settings& settings, std::size_t n) {
  std::vector<std::string> targets(n);
  std::vector<std::pair<std::string, std::string>> moves;
  for (std::size_t i = 0; i + 1 < n; i += 2) {
    targets[i] = SeriesName(i + 1);
    targets[i + 1] = SeriesName(i);
    moves.emplace_back(SeriesName(i), "tmp_" + SeriesName(i));
    moves.emplace_back(SeriesName(i + 1), SeriesName(i));
    moves.emplace_back("tmp_" + SeriesName(i), SeriesName(i + 1));
  }
  if (n % 2 == 1) targets[n - 1] = SeriesName(n - 1);
  BenchRenames(settings, settings.parent, "swapped pairs", n, targets, moves, 1.5);
}

// The media photos live on, mounted through FUSE from images below the
// benchmark's directory: every name changed only in case, and a series
// shifted up, at two sizes, against plain rename(2) calls in the right order
// on the same mount. The work per file should not grow with the directory:
// the ratio at the larger size is held to 1.3 times the ratio at the smaller.
void BenchMedia(const Settings& settings) {
  using testing::Mount;
  const struct {
    Mount::Kind kind;
    const char* name;
  } media[] = {{Mount::Kind::kExfat, "exFAT (exfat-fuse)"}, {Mount::Kind::kNtfs, "NTFS (ntfs-3g)"}};
  constexpr std::size_t kSizes[] = {2000, 10000};
  for (const auto& medium : media) {
    Mount mount(medium.kind, settings.parent, 256);
    if (!mount.Usable()) {
      std::printf("%s: skipped, cannot be mounted here (%s)\n", medium.name,
                  mount.Problem().c_str());
      continue;
    }
    for (const bool caseOnly : {true, false}) {
      double ratios[2] = {};
      for (int size = 0; size < 2; ++size) {
        const std::size_t n = kSizes[size];
        std::vector<std::string> targets;
        std::vector<std::pair<std::string, std::string>> moves;
        if (caseOnly) {
          for (std::size_t i = 0; i < n; ++i) {
            std::string upper = SeriesName(i);
            for (std::size_t k = 0; k < upper.rfind('.'); ++k)
              upper[k] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[k])));
            targets.push_back(upper);
            moves.emplace_back(SeriesName(i), upper);
          }
        } else {
          ShiftUp(n, &targets, &moves);
        }
        char what[96];
        std::snprintf(what, sizeof what, "%s, %s", medium.name,
                      caseOnly ? "case of every name" : "series shifted up");
        ratios[size] = BenchRenames(settings, mount.MountPoint(), what, n, targets, moves, 3.0, 0);
      }
      const double growth = ratios[1] / ratios[0];
      std::printf("%s, %s: ratio at %zu files / ratio at %zu files %.2f  target <= 1.3  %s\n",
                  medium.name, caseOnly ? "case of every name" : "series shifted up", kSizes[1],
                  kSizes[0], growth, growth <= 1.3 ? "ok" : "OVER");
      std::fflush(stdout);
    }
  }
}

// The peak memory of the logic alone for a session with n rows (drop,
// generate, validate), in a child forked before the other lines allocate.
void BenchLogicMemory(const Settings& settings, std::size_t n, long targetMb) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    {
      ScratchDir dir(settings.parent);
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
      const long peak = PeakRssMb();
      std::printf(
          "logic alone: %zu rows (drop, generate, validate), peak %ld MB"
          "  target < %ld MB  %s\n",
          dlg.Files().size(), peak, targetMb, peak < targetMb ? "ok" : "OVER");
      std::fflush(stdout);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
}

// The whole program in a fresh process of its own (this program, started
// again), so that only the window session counts towards its peak.
void BenchWindow(const Settings& settings, std::size_t n, long targetMb) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    const std::string rows = std::to_string(n);
    const std::string limit = std::to_string(targetMb);
    ::execl("/proc/self/exe", "quillon_bench", "--window-session", rows.c_str(), limit.c_str(),
            "--dir", settings.parent.c_str(), static_cast<char*>(nullptr));
    std::perror("exec");
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 127)
    std::printf("window: %zu rows  OVER (the session did not finish)\n", n);
}

}  // namespace
}  // namespace quillon::bench

int main(int argc, char** argv) {
  using namespace quillon::bench;
  Settings settings;
  std::size_t big = 100000;
  const char* mode = "full";
  bool mediaOnly = false;
  bool renamesOnly = false;
  bool datesOnly = false;
  std::size_t windowRows = 0;
  long windowLimit = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      big = 10000;
      mode = "quick";
    } else if (arg == "--huge") {
      big = 1000000;
      mode = "huge";
    } else if (arg == "--media") {
      mediaOnly = true;
    } else if (arg == "--renames") {
      renamesOnly = true;
    } else if (arg == "--dates") {
      datesOnly = true;
    } else if (arg == "--dir" && i + 1 < argc) {
      settings.parent = argv[++i];
    } else if (arg == "--pairs" && i + 1 < argc) {
      settings.pairs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--window-session" && i + 2 < argc) {
      windowRows = std::strtoull(argv[++i], nullptr, 10);
      windowLimit = std::atol(argv[++i]);
    }
  }
  if (windowRows > 0) {
#ifdef QUILLON_BENCH_WINDOW
    return RunWindowSession(argc, argv, windowRows, settings.parent, windowLimit);
#else
    return 127;
#endif
  }

  const long memoryTarget = big > 100000 ? 600 : 100;
  std::printf("Quillon benchmark in %s (%s, %d pairs per line)\n", settings.parent.c_str(),
              mediaOnly ? "media" : mode, settings.pairs);
  if (mediaOnly) {
    BenchMedia(settings);
    return 0;
  }
  if (datesOnly) {
    BenchFileDates(settings, 10000);
    return 0;
  }
  if (!renamesOnly) {
#ifdef QUILLON_BENCH_WINDOW
    BenchWindow(settings, big, memoryTarget);
#endif
    BenchLogicMemory(settings, big, memoryTarget);
    BenchDrop(settings, big);
    BenchPlanCheck(settings, big);
    BenchFileDates(settings, 10000);
  }
  for (std::size_t n : {std::size_t{10000}, big}) {
    if (n > big || (n < big && big > 100000)) continue;
    BenchShift(settings, n, true);
    BenchShift(settings, n, false);
    BenchSwaps(settings, n);
    if (n == big) break;
  }
  if (!renamesOnly) BenchMedia(settings);
  return 0;
}
