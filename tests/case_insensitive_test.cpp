// Moves on a file system that ignores case: an exFAT image mounted through
// FUSE. Where this machine does not allow mounting it (no root, no loop
// device, no FUSE, tools missing), the tests skip.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/posix/posix_file_system.h"
#include "tests/mount_fixtures.h"
#include "tests/property_plan.h"
#include "tests/test_support.h"

namespace quillon::testing {
namespace {

std::vector<std::string> EntriesOf(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(directory))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class CaseInsensitiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!m_mount.Usable()) GTEST_SKIP() << "exFAT cannot be mounted here: " << m_mount.Problem();
  }
  Mount m_mount{Mount::Kind::kExfat};
};

TEST_F(CaseInsensitiveTest, CaseOnlyChangeGoesThroughAnIntermediateName) {
  const std::string dir = m_mount.NewDirectory();
  WriteFile(dir + "/a.txt", "a.txt");
  PosixFileSystem fs;
  auto handle = fs.OpenDirectory(DecodeName(dir));
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->Move(u"a.txt", u"A.txt"), MoveResult::kMoved);
  EXPECT_EQ(EntriesOf(dir), (std::vector<std::string>{"A.txt"}));
  EXPECT_EQ(ReadFile(dir + "/A.txt"), "a.txt");
  EXPECT_EQ(handle->LookUpName(u"b.txt"), NameState::kFree);
  EXPECT_EQ(handle->LookUpName(u"a.TXT"), NameState::kTaken);  // the same file, by another spelling
}

TEST_F(CaseInsensitiveTest, AnotherFilesSpellingIsNeverReplaced) {
  const std::string dir = m_mount.NewDirectory();
  WriteFile(dir + "/a.txt", "a.txt");
  WriteFile(dir + "/B.txt", "B.txt");
  for (const PosixMoveOptions options : {PosixMoveOptions{}, PosixMoveOptions{true, true}}) {
    PosixFileSystem fs(options);
    auto handle = fs.OpenDirectory(DecodeName(dir));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Move(u"a.txt", u"b.txt"), MoveResult::kFailed);
    EXPECT_EQ(EntriesOf(dir), (std::vector<std::string>{"B.txt", "a.txt"}));
    EXPECT_EQ(ReadFile(dir + "/B.txt"), "B.txt");
  }
}

TEST_F(CaseInsensitiveTest, SwapAndCaseChangesThroughTheEngine) {
  const std::string dir = m_mount.NewDirectory();
  for (const char* name : {"a.jpg", "b.jpg", "c.txt"}) WriteFile(dir + "/" + name, name);
  PosixFileSystem posix;
  FaultFileSystem fs(posix);
  FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog);
  const std::vector<std::u16string> sources = {u"a.jpg", u"b.jpg", u"c.txt"};
  ListNames(dlg, DecodeName(dir), sources);
  std::vector<std::u16string> namesAfter;
  EXPECT_TRUE(dlg.RunRenames(sources, {u"B.jpg", u"a.jpg", u"C.TXT"}, &namesAfter));
  EXPECT_EQ(EntriesOf(dir), (std::vector<std::string>{"B.jpg", "C.TXT", "a.jpg"}));
  EXPECT_EQ(ReadFile(dir + "/B.jpg"), "a.jpg");
  EXPECT_EQ(ReadFile(dir + "/a.jpg"), "b.jpg");
  EXPECT_EQ(dialog.Column(kResultColumn), (std::vector<std::u16string>(3, str::kResultOk)));
}

TEST_F(CaseInsensitiveTest, SeriesChangedOnlyInCaseKeepsEverySpelling) {
  // What the file system refuses is found out once per run: exfat-fuse has
  // no hard links, and the kernel refuses a link onto another spelling of
  // an existing name before the file system is asked.
  const std::string dir = m_mount.NewDirectory();
  int links = 0;
  int renames = 0;
  PosixFileSystem posix({}, [&](PosixCall call, const std::string&, const std::string&) {
    links += call == PosixCall::kLink;
    renames += call == PosixCall::kRename;
    return 0;
  });
  FaultFileSystem fs(posix);
  FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog);
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  std::vector<std::string> expected;
  for (int i = 0; i < 40; ++i) {
    const std::string number = std::to_string(100 + i);
    WriteFile(dir + "/img_" + number + ".jpg", number);
    sources.push_back(DecodeName("img_" + number + ".jpg"));
    targets.push_back(DecodeName("IMG_" + number + ".jpg"));
    expected.push_back("IMG_" + number + ".jpg");
  }
  ListNames(dlg, DecodeName(dir), sources);
  std::vector<std::u16string> namesAfter;
  EXPECT_TRUE(dlg.RunRenames(sources, targets, &namesAfter));
  EXPECT_EQ(EntriesOf(dir), expected);
  EXPECT_EQ(ReadFile(dir + "/IMG_139.jpg"), "139");
  EXPECT_EQ(fs.moves.size(), 40u);
  // Two moves through an intermediate name per file, each over a placeholder.
  EXPECT_LE(links, 2);
  EXPECT_EQ(renames, 2 * 40);
}

// The machine's own file system made to answer as one that ignores case:
// a move onto a name that another entry bears in another spelling fails
// with EEXIST. `scenario` runs first at every call and may act or answer.
// exfat-fuse itself cannot serve these tests: a plain rename onto a name
// just removed can hang its daemon.
PosixCallSeam IgnoringCase(const TempDir& dir, PosixCallSeam scenario) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  return [&dir, scenario, lower](PosixCall call, const std::string& from, const std::string& to) {
    if (const int answer = scenario(call, from, to)) return answer;
    if (call != PosixCall::kRename) return 0;
    for (const std::string& entry : dir.Entries())
      if (entry != to && lower(entry) == lower(to)) return EEXIST;
    return 0;
  };
}

TEST(IgnoringCase, EveryCaseChangeIsCheckedAlsoAfterManyThatKeptTheirSpelling) {
  // The file system keeps a spelling of its own for the last name only, as
  // vfat does for some short names: that row must not say "〇".
  TempDir dir;
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  for (int i = 0; i < 20; ++i) {
    const std::string number = std::to_string(100 + i);
    dir.Write("img_" + number + ".jpg", number);
    sources.push_back(DecodeName("img_" + number + ".jpg"));
    targets.push_back(DecodeName("IMG_" + number + ".jpg"));
  }
  PosixFileSystem posix(
      {}, IgnoringCase(dir, [&](PosixCall call, const std::string& from, const std::string& to) {
        if (call != PosixCall::kRename || from.rfind(".quillon-", 0) != 0 || to != "IMG_119.jpg")
          return 0;
        // The file lands under the old spelling, and the move is told it
        // succeeded.
        return std::rename(dir.BytesOf(from).c_str(), dir.BytesOf("img_119.jpg").c_str()) == 0 ? -1
                                                                                               : 0;
      }));
  FakeDialog dialog;
  CQuillonDlg dlg(posix, dialog);
  ListNames(dlg, dir.Path(), sources);
  std::vector<std::u16string> namesAfter;
  EXPECT_FALSE(dlg.RunRenames(sources, targets, &namesAfter));
  std::vector<std::u16string> results(19, str::kResultOk);
  results.push_back(std::u16string(str::kFailurePrefix) + str::kCannotRename);
  EXPECT_EQ(dialog.Column(kResultColumn), results);
  EXPECT_EQ(namesAfter.back(), u"img_119.jpg");
  EXPECT_EQ(dir.Read("img_119.jpg"), "119");
  EXPECT_EQ(dir.Entries().size(), 20u);
}

TEST(IgnoringCase, FileLeftUnderTheIntermediateNameIsTrackedAndBroughtBack) {
  // Another program saves "A.txt" between the two steps of a case-only
  // change: neither step can go on, and the file stays under the
  // intermediate name. The row, the record and undo must all know that.
  TempDir dir;
  dir.Write("a.txt", "ours");
  std::string middle;
  PosixFileSystem posix(
      {}, IgnoringCase(dir, [&](PosixCall call, const std::string& from, const std::string& to) {
        if (call != PosixCall::kRename || !middle.empty() || from.rfind(".quillon-", 0) != 0 ||
            to != "A.txt")
          return 0;
        middle = from;
        dir.Write("A.txt", "theirs");
        return 0;
      }));
  FakeDialog dialog;
  CQuillonDlg dlg(posix, dialog);
  ListNames(dlg, dir.Path(), {u"a.txt"}, {u"A"});
  dlg.OnExecute();
  ASSERT_FALSE(middle.empty());
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{middle, "A.txt"}));
  EXPECT_EQ(dir.Read(middle), "ours");
  EXPECT_EQ(dir.Read("A.txt"), "theirs");
  EXPECT_EQ(dlg.CurrentNames(), std::vector<std::u16string>{DecodeName(middle)});
  EXPECT_EQ(dialog.Column(kResultColumn),
            std::vector<std::u16string>{std::u16string(str::kFailurePrefix) + str::kCannotRename +
                                        DecodeName(middle) + str::kStoredUnder});

  // While the other file holds the old name, undo says it cannot.
  dialog.messages.clear();
  EXPECT_FALSE(dlg.OnUndo());
  EXPECT_EQ(dialog.messages, std::vector<std::u16string>{str::kDirectoryChanged});
  EXPECT_EQ(dir.Read("A.txt"), "theirs");
  // Once it has gone elsewhere, undo brings ours back.
  ASSERT_EQ(std::rename(dir.BytesOf("A.txt").c_str(), dir.BytesOf("theirs.txt").c_str()), 0);
  dialog.messages.clear();
  EXPECT_TRUE(dlg.OnUndo());
  EXPECT_EQ(dialog.messages, std::vector<std::u16string>{str::kRestored});
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.txt", "theirs.txt"}));
  EXPECT_EQ(dir.Read("a.txt"), "ours");
}

TEST_F(CaseInsensitiveTest, AFileListedByAnotherSpellingIsNoTwinOfItself) {
  // The row "A.TXT" is the entry "a.txt": a file that takes that name after
  // the execution is a newcomer, and undo says the directory changed.
  const std::string dir = m_mount.NewDirectory();
  WriteFile(dir + "/a.txt", "ours");
  PosixFileSystem fs;
  FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog);
  dlg.OnFilesDropped({DecodeName(dir + "/A.TXT")});
  WithNewNames(dlg, {u"b"});
  dlg.OnExecute();
  ASSERT_EQ(ReadFile(dir + "/b.TXT"), "ours");
  // The kernel still holds "a.txt" as the name the file had; once it has
  // forgotten it, the name can be given to a new file.
  const std::vector<std::string> withNewcomer = {"a.txt", "b.TXT"};
  for (int attempt = 0; attempt < 50 && EntriesOf(dir) != withNewcomer; ++attempt) {
    Shell("sync && for pass in 1 2 3; do echo 2 > /proc/sys/vm/drop_caches; done");
    WriteFile(dir + "/a.txt", "newcomer");
  }
  if (EntriesOf(dir) != withNewcomer) GTEST_SKIP() << "the kernel kept the old name";
  dialog.messages.clear();
  EXPECT_FALSE(dlg.OnUndo());
  EXPECT_EQ(dialog.messages, std::vector<std::u16string>{str::kDirectoryChanged});
  EXPECT_EQ(ReadFile(dir + "/a.txt"), "newcomer");
  EXPECT_EQ(ReadFile(dir + "/b.TXT"), "ours");
}

TEST_F(CaseInsensitiveTest, RandomPlansNeverLoseOrOverwriteAFile) {
  PosixFileSystem posix;
  PropertyStats stats;
  const int seeds = PropertySeeds(60);
  for (int seed = 1; seed <= seeds && !HasFailure(); ++seed) {
    const std::string dir = m_mount.NewDirectory();
    RandomPlan plan(static_cast<std::uint32_t>(seed), dir, 12);
    // exfat-fuse numbers a directory anew once the kernel forgets it.
    if (seed % 4 == 0) plan.SetMeanwhile(RandomPlan::Meanwhile::kCachesDropped);
    plan.Check(posix, &stats);
    std::filesystem::remove_all(dir);  // the image is small
    if (HasFailure()) ADD_FAILURE() << "first failing seed " << seed;
  }
  std::cout << "exFAT plans: " << stats.plans << " (seeds 1.." << seeds << "), " << stats.rows
            << " rows, " << stats.faultyPlans << " with injected faults, " << stats.temporaryMoves
            << " moves to temporary names\n";
}

}  // namespace
}  // namespace quillon::testing
