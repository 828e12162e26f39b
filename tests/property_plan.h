// Random rename plans over a real directory, checked against the rule that
// no file is ever lost or overwritten. Shared by the runs on the machine's
// own file system and on a mounted case-insensitive one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "resources/strings.h"
#include "tests/fake_dialog.h"
#include "tests/fault_file_system.h"
#include "tests/seeds.h"

namespace quillon::testing {

struct PropertyStats {
  int plans = 0;
  int rows = 0;
  int faultyPlans = 0;
  int failedRows = 0;
  int parkedRows = 0;  // rows left under a temporary name
  int leftBehind = 0;  // rows whose move left a second entry
  int temporaryMoves = 0;
};

class RandomPlan {
 public:
  // `directory` exists and is empty; `maxRows` bounds the plan's size. With
  // `caseTwins` (only where the file system tells case apart) a third of the
  // plans also list two files whose names differ only in case, and another
  // third leave such a twin of a listed file unlisted beside it.
  RandomPlan(std::uint32_t seed, std::string directory, int maxRows, bool caseTwins = false)
      : m_rng(seed), m_directory(std::move(directory)) {
    Generate(maxRows, caseTwins);
  }

  // What befalls the directory between the run and undo.
  enum class Meanwhile {
    kNothing,
    // The kernel forgets the directory and reads it again, as under memory
    // pressure (needs root; otherwise nothing happens).
    kCachesDropped,
    // Another directory with files of the same names takes its place: undo
    // must refuse and touch nothing, and work once the directory is back.
    kReplaced,
  };
  void SetMeanwhile(Meanwhile meanwhile) { m_meanwhile = meanwhile; }

  // Runs the plan, then undoes it, checking everything on the way. A fault
  // of the caller's own (the directory turning read-only) counts as one, and
  // `faultEnds` ends it before undo.
  void Check(FileSystem& inner, PropertyStats* stats,
             const std::function<void()>& faultEnds = nullptr) {
    for (const auto& name : m_sources) Write(name);
    for (const auto& name : m_unlisted) Write(name);
    const std::set<std::string> original = Contents();

    FaultFileSystem fs(inner);
    FakeDialog dialog;
    CQuillonDlg dlg(fs, dialog);
    std::vector<std::u16string> sources;
    std::vector<std::u16string> targets;
    for (const auto& name : m_sources) sources.push_back(DecodeName(name));
    for (const auto& name : m_targets) targets.push_back(DecodeName(name));
    ListNames(dlg, DecodeName(m_directory), sources);
    const bool faulty = InjectFaults(fs) || faultEnds != nullptr;

    std::vector<std::u16string> namesAfter;
    const bool succeeded = dlg.RunRenames(sources, targets, &namesAfter);
    // The outcome column before the rows are shown as executed.
    const std::vector<std::u16string> results = dialog.Column(kResultColumn);
    {
      // What an execution records: the directory it ran in, where each file
      // is now and the twin the check found there all along.
      CQuillonDlg::ExecutedRun executed{inner.OpenDirectory(dlg.Directory())->Identity(), {}};
      if (!m_unlistedTwin.empty()) executed.twins = {DecodeName(m_unlistedTwin)};
      FileRows rows = dlg.Rows();
      rows.SetCurrentNames(namesAfter);
      dlg.ListRows(std::move(rows), std::move(executed));
    }

    const std::u16string ok = str::kResultOk;
    const std::u16string cannot = std::u16string(str::kFailurePrefix) + str::kCannotRename;
    bool allOk = true;
    ASSERT_EQ(namesAfter.size(), m_sources.size());
    for (std::size_t row = 0; row < m_sources.size(); ++row) {
      const std::u16string& current = namesAfter[row];
      const std::u16string& result = results[row];
      // The file of every row is exactly where the engine says it is.
      EXPECT_EQ(Read(*EncodeName(current)), m_sources[row]) << Describe(row);
      if (result == ok) {
        EXPECT_EQ(current, targets[row]) << Describe(row);
      } else {
        ASSERT_TRUE(result.starts_with(cannot)) << Describe(row);
        allOk = false;
        std::u16string_view rest = std::u16string_view(result).substr(cannot.size());
        // "<name> という名前で保存されています。": the file is elsewhere.
        if (const auto end = rest.find(str::kStoredUnder); end != std::u16string_view::npos) {
          ++stats->parkedRows;
          EXPECT_EQ(current, rest.substr(0, end)) << Describe(row);
          EXPECT_NE(current, sources[row]) << Describe(row);
          rest.remove_prefix(end + std::u16string_view(str::kStoredUnder).size());
        } else {
          ++stats->failedRows;
          EXPECT_EQ(current, sources[row]) << Describe(row);
        }
        // "<name> という名前も残っています。": a second link of the file or
        // the empty file that reserved a name; the user removes it.
        if (const auto end = rest.find(str::kNameAlsoLeft); end != std::u16string_view::npos) {
          const std::string extra = *EncodeName(rest.substr(0, end));
          const std::string content = Read(extra);
          EXPECT_TRUE(content.empty() || content == m_sources[row]) << Describe(row);
          std::filesystem::remove(Path(extra));
          ++stats->leftBehind;
          rest.remove_prefix(end + std::u16string_view(str::kNameAlsoLeft).size());
        }
        EXPECT_TRUE(rest.empty()) << Describe(row);
      }
    }
    EXPECT_EQ(succeeded, allOk) << Describe(0);
    if (!faulty) {
      EXPECT_TRUE(succeeded) << Describe(0);
    }
    // Nothing lost, nothing overwritten, nothing left behind.
    EXPECT_EQ(Contents(), original) << Describe(0);
    EXPECT_EQ(Count(), m_sources.size() + m_unlisted.size()) << Describe(0);
    for (const auto& name : m_unlisted) EXPECT_EQ(Read(name), name);
    for (const auto& call : fs.moves)
      stats->temporaryMoves +=
          call.result == MoveResult::kMoved && call.to.find(u"_tmp") != std::u16string::npos;
    for (const auto& message : dialog.retryMessages)
      EXPECT_TRUE(message.ends_with(str::kFileInUse));

    fs.failFrom.clear();
    fs.failTo.clear();
    fs.failCalls.clear();
    if (faultEnds) faultEnds();
    if (m_meanwhile == Meanwhile::kCachesDropped) {
      [[maybe_unused]] const int dropped = std::system(
          "sync && for pass in 1 2 3; do echo 2 > /proc/sys/vm/drop_caches; done 2>/dev/null");
    }
    if (m_meanwhile == Meanwhile::kReplaced) ExpectUndoRefusedInAReplacedDirectory(dlg, dialog, fs);
    // Undo brings every file back under its own name.
    EXPECT_TRUE(dlg.OnUndo()) << Describe(0);
    EXPECT_FALSE(dlg.Executed());
    EXPECT_EQ(dialog.messages.back(), str::kRestored) << Describe(0);
    for (const auto& name : m_sources) EXPECT_EQ(Read(name), name) << Describe(0);
    EXPECT_EQ(Contents(), original);
    EXPECT_EQ(Count(), m_sources.size() + m_unlisted.size());

    ++stats->plans;
    stats->rows += static_cast<int>(m_sources.size());
    stats->faultyPlans += faulty;
  }

 private:
  void ExpectUndoRefusedInAReplacedDirectory(CQuillonDlg& dlg, FakeDialog& dialog,
                                             FaultFileSystem& fs) {
    const std::string executed = m_directory + ".executed";
    std::filesystem::rename(m_directory, executed);
    std::filesystem::create_directory(m_directory);
    for (const auto& name : dlg.CurrentNames())
      std::ofstream(Path(*EncodeName(name)), std::ios::binary) << "other";
    const std::size_t moves = fs.moves.size();
    EXPECT_FALSE(dlg.OnUndo()) << Describe(0);
    EXPECT_EQ(dialog.messages.back(), str::kDirectoryChanged) << Describe(0);
    EXPECT_EQ(fs.moves.size(), moves) << Describe(0);
    EXPECT_EQ(Contents(), std::set<std::string>{"other"}) << Describe(0);
    std::filesystem::remove_all(m_directory);
    std::filesystem::rename(executed, m_directory);
  }

  std::uint32_t Next(std::uint32_t bound) { return static_cast<std::uint32_t>(m_rng() % bound); }

  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }

  // The same name in another letter case (sometimes the same spelling).
  std::string Recase(const std::string& name) {
    std::string result = name;
    for (char& c : result)
      if (std::isalpha(static_cast<unsigned char>(c)) && Next(2) == 0)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
  }

  void Generate(int maxRows, bool caseTwins) {
    static const char* const kExtensions[] = {".jpg", ".txt", "", ".JPG"};
    const int rows = 1 + static_cast<int>(Next(static_cast<std::uint32_t>(maxRows)));
    const int universe = rows + 4 + static_cast<int>(Next(static_cast<std::uint32_t>(rows) + 4));
    std::vector<std::string> names;
    for (int k = 0; k < universe; ++k)
      names.push_back("p" + std::to_string(k) + kExtensions[Next(4)]);
    std::shuffle(names.begin(), names.end(), m_rng);
    m_sources.assign(names.begin(), names.begin() + rows);
    const int unlisted = static_cast<int>(Next(4));
    m_unlisted.assign(names.begin() + rows, names.begin() + rows + unlisted);
    if (caseTwins && Next(3) == 0) {
      // Sources are spelt with a lower-case 'p', so the twin always differs.
      std::string twin = m_sources[Next(static_cast<std::uint32_t>(rows))];
      for (char& c : twin) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      m_sources.insert(m_sources.begin() + Next(static_cast<std::uint32_t>(rows) + 1), twin);
      m_hasTwins = true;
    }
    const bool unlistedTwin = caseTwins && !m_hasTwins && Next(2) == 0;

    // Targets come from the sources and the free names (never an unlisted
    // file's), so chains and cycles arise by themselves.
    // Half the plans are pure permutations of the sources: cycles galore.
    std::vector<std::string> pool(m_sources);
    // (Twins share one name between two rows, so they need a free one.)
    if (Next(2) == 0 || m_hasTwins)
      pool.insert(pool.end(), names.begin() + rows + unlisted, names.end());
    std::shuffle(pool.begin(), pool.end(), m_rng);
    std::set<std::string> taken;  // targets so far, case ignored
    std::size_t next = 0;
    for (const auto& source : m_sources) {
      const std::uint32_t kind = Next(100);
      std::string target;
      if (kind < 25 && taken.count(Lower(source)) == 0) {
        target = kind < 12 ? source : Recase(source);  // unchanged or case only
      } else {
        while (taken.count(Lower(pool[next])) != 0) ++next;
        target = Next(4) == 0 ? Recase(pool[next]) : pool[next];
      }
      taken.insert(Lower(target));
      m_targets.push_back(target);
    }
    // A twin beside a listed file whose name no target takes in any case:
    // otherwise the plan would make a second twin, which is never allowed.
    if (unlistedTwin) {
      for (const auto& source : m_sources) {
        if (taken.count(Lower(source)) != 0) continue;
        m_unlistedTwin = source;
        for (char& c : m_unlistedTwin)
          c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        m_unlisted.push_back(m_unlistedTwin);
        break;
      }
    }
  }

  bool InjectFaults(FaultFileSystem& fs) {
    if (Next(3) != 0) return false;
    const std::size_t rows = m_sources.size();
    for (std::uint32_t i = Next(3); i > 0; --i)
      fs.failFrom.insert(DecodeName(m_sources[Next(rows)]));
    for (std::uint32_t i = Next(2); i > 0; --i) fs.failTo.insert(DecodeName(m_targets[Next(rows)]));
    for (std::uint32_t i = 1 + Next(3); i > 0; --i) fs.failCalls.insert(Next(2 * rows + 2));
    fs.inUse[DecodeName(m_sources[Next(rows)])] = 1 + static_cast<int>(Next(2));
    return true;
  }

  std::filesystem::path Path(const std::string& name) const {
    return std::filesystem::path(m_directory) / name;
  }
  void Write(const std::string& name) const {
    std::ofstream out(Path(name), std::ios::binary);
    out << name;
    out.close();
    if (!out) ADD_FAILURE() << "cannot write " << Path(name).string();
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    if (!in) return "<missing " + name + ">";
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::set<std::string> Contents() const {
    std::set<std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator(m_directory))
      contents.insert(Read(entry.path().filename().string()));
    return contents;
  }
  std::size_t Count() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_directory),
                                                  std::filesystem::directory_iterator()));
  }
  std::string Describe(std::size_t row) const {
    std::string text = "row " + std::to_string(row) + " of plan:";
    for (std::size_t i = 0; i < m_sources.size(); ++i)
      text += " " + m_sources[i] + ">" + m_targets[i];
    return text;
  }

  std::mt19937 m_rng;
  std::string m_directory;
  std::vector<std::string> m_sources;
  std::vector<std::string> m_unlisted;
  std::vector<std::string> m_targets;
  bool m_hasTwins = false;
  std::string m_unlistedTwin;
  Meanwhile m_meanwhile = Meanwhile::kNothing;
};

}  // namespace quillon::testing
