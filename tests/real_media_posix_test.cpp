// The POSIX port on real file systems mounted for the test: the name limit
// an exFAT or NTFS volume really has, and moves that never replace a file
// even where the file system ignores RENAME_NOREPLACE. Each test skips, with
// the reason, where this machine does not allow mounting.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dialog/quillon_dlg.h"
#include "platform/posix/posix_file_system.h"
#include "resources/strings.h"
#include "tests/mount_fixtures.h"
#include "tests/property_plan.h"
#include "tests/test_support.h"

namespace quillon::testing {
namespace {

// exFAT and NTFS hold 255 UTF-16 units, so a Japanese name of three bytes a
// character may be far longer than 255 bytes. exfat-fuse and ntfs-3g mount
// without saying what they serve; the limit must still be the medium's. ext4
// counts bytes.
TEST(RealMediaNameLimit, EachVolumeTakesTheNamesItHolds) {
  constexpr auto kNone = NameLimit::kNoLimit;
  const struct {
    Mount::Kind kind;
    const char* what;
    std::size_t maxBytes, maxUnits;
  } media[] = {{Mount::Kind::kExfat, "exFAT (exfat-fuse on a loop device)", kNone, 255},
               {Mount::Kind::kNtfs, "NTFS (ntfs-3g on an image file)", kNone, 255},
               {Mount::Kind::kExt4, "ext4 (the kernel's, on a loop device)", 255, kNone}};
  std::string skipped;
  for (const auto& medium : media) {
    Mount mount(medium.kind);
    if (!mount.Usable()) {
      skipped += std::string(medium.what) + ": " + mount.Problem() + "; ";
      continue;
    }
    const std::string dir = mount.NewDirectory();
    PosixFileSystem fs;
    const NameLimit limit = fs.OpenDirectory(DecodeName(dir))->GetNameLimit();
    EXPECT_EQ(limit.maxBytes, medium.maxBytes) << medium.what;
    EXPECT_EQ(limit.maxUnits, medium.maxUnits) << medium.what;
    // Names of 写 (three bytes each) and ".jpg".
    for (const std::size_t characters : {80, 100, 251, 252}) {
      const bool fits = characters * 3 + 4 <= medium.maxBytes && characters + 4 <= medium.maxUnits;
      const std::u16string stem(characters, u'写');
      const std::string where = std::string(medium.what) + ", " + std::to_string(characters);
      WriteFile(dir + "/a.jpg", "photo");
      FakeDialog dialog;
      CQuillonDlg dlg(fs, dialog);
      dlg.OnFilesDropped({DecodeName(dir + "/a.jpg")});
      WithNewNames(dlg, {stem});
      EXPECT_EQ(dlg.ValidateNewNames(), fits) << where;
      EXPECT_EQ(dialog.Column(kResultColumn),
                std::vector<std::u16string>{fits ? u"" : str::kVerdictUnusable})
          << where;
      if (!fits) continue;
      const std::u16string target = stem + u".jpg";
      std::vector<std::u16string> namesAfter;
      EXPECT_TRUE(dlg.RunRenames({u"a.jpg"}, {target}, &namesAfter)) << where;
      const std::string bytes = dir + "/" + *EncodeName(target);
      EXPECT_EQ(ReadFile(bytes), "photo") << where;
      std::filesystem::remove(bytes);
    }
  }
  if (!skipped.empty()) GTEST_SKIP() << skipped;
}

class FlagIgnoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!m_mount.Usable())
      GTEST_SKIP() << "cannot mount the test file system: " << m_mount.Problem();
  }
  Mount m_mount{Mount::Kind::kFlagIgnoring};
};

// Another client saves "b.txt" on the server while our move of "a.txt" onto
// that name is on its way: a rename that drops RENAME_NOREPLACE would
// replace that file.
TEST_F(FlagIgnoringTest, FileArrivingUnderTheTargetNameIsNeverReplaced) {
  const struct {
    const char* what;
    PosixMoveOptions options;
  } cases[] = {{"any way of moving", {}},
               {"without hard links", {.pretendHardLinksUnsupported = true}}};
  for (const auto& c : cases) {
    const std::string dir = m_mount.NewDirectory();
    const std::string backing = m_mount.Backing() + dir.substr(m_mount.MountPoint().size());
    WriteFile(dir + "/a.txt", "ours");
    WriteFile(backing + "/.late-b.txt", "theirs");
    PosixFileSystem fs(c.options);
    EXPECT_EQ(fs.OpenDirectory(DecodeName(dir))->Move(u"a.txt", u"b.txt"), MoveResult::kFailed)
        << c.what;
    EXPECT_EQ(ReadFile(backing + "/b.txt"), "theirs") << c.what;
    EXPECT_EQ(ReadFile(backing + "/a.txt"), "ours") << c.what;
  }
}

TEST_F(FlagIgnoringTest, RandomPlansNeverLoseOrOverwriteAFile) {
  PosixFileSystem posix;
  PropertyStats stats;
  const int seeds = PropertySeeds(20);
  for (int seed = 1; seed <= seeds && !HasFailure(); ++seed) {
    RandomPlan plan(static_cast<std::uint32_t>(seed), m_mount.NewDirectory(), 12, true);
    plan.Check(posix, &stats);
    if (HasFailure()) ADD_FAILURE() << "first failing seed " << seed;
  }
}

// Undo acts on the very directory that was executed, however its file system
// numbers directories: ext4 hands a freed node number straight to the next
// new directory, and exfat-fuse numbers a directory anew once the kernel has
// forgotten it.
class RealMediaUndo {
 public:
  // Lists a1.txt and b1.txt in `dir` and executes a1 > b1, b1 > c1.
  explicit RealMediaUndo(const std::string& dir) : m_dir(dir), m_dlg(m_fs, m_dialog) {
    std::vector<std::u16string> paths;
    for (const char* name : {"a1.txt", "b1.txt"}) {
      WriteFile(dir + "/" + name, name);
      paths.push_back(DecodeName(dir + "/" + name));
    }
    m_dlg.OnFilesDropped(paths);
    WithNewNames(m_dlg, {u"b1", u"c1"});
    m_dlg.OnExecute();
    m_dialog.messages.clear();
  }
  bool Undo() { return m_dlg.OnUndo(); }
  const std::vector<std::u16string>& Messages() const { return m_dialog.messages; }

 private:
  std::string m_dir;
  PosixFileSystem m_fs;
  FakeDialog m_dialog;
  CQuillonDlg m_dlg;
};

TEST(RealMediaUndo, AnotherDirectoryMadeAtTheSamePathIsNotTouched) {
  Mount mount(Mount::Kind::kExt4);
  if (!mount.Usable()) GTEST_SKIP() << "ext4 cannot be mounted here: " << mount.Problem();
  // Below a parent of its own, so that ext4 places a new directory beside
  // its siblings, at the lowest free node number.
  const std::string parent = mount.NewDirectory();
  const std::string dir = parent + "/photos";
  std::filesystem::create_directory(dir);
  RealMediaUndo run(dir);
  // The executed files go elsewhere, the directory goes, and a new one with
  // files of the same names takes its place, and its node number.
  const auto node = [](const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  const auto executedNode = node(dir);
  const std::string aside = parent + "/aside";
  std::filesystem::create_directory(aside);
  for (const char* name : {"b1.txt", "c1.txt"})
    std::filesystem::rename(dir + "/" + name, aside + "/" + name);
  std::filesystem::remove(dir);
  std::filesystem::create_directory(dir);
  for (const char* name : {"b1.txt", "c1.txt"}) WriteFile(dir + "/" + name, "other");
  // (Where ext4 does not hand the number back, the test still holds, proving less.)
  RecordProperty("node number handed back", node(dir) == executedNode ? "yes" : "no");
  EXPECT_FALSE(run.Undo());
  EXPECT_EQ(run.Messages(), std::vector<std::u16string>{str::kDirectoryChanged});
  EXPECT_EQ(ReadFile(dir + "/b1.txt"), "other");
  EXPECT_EQ(ReadFile(dir + "/c1.txt"), "other");
  EXPECT_FALSE(std::filesystem::exists(dir + "/a1.txt"));
}

TEST(RealMediaUndo, ADirectoryTheKernelForgotAndReadAgainIsTheSame) {
  Mount mount(Mount::Kind::kExfat);
  if (!mount.Usable()) GTEST_SKIP() << "exFAT cannot be mounted here: " << mount.Problem();
  const std::string dir = mount.NewDirectory();
  RealMediaUndo run(dir);
  // What memory pressure does at any moment: the kernel forgets the
  // directory's node, and exfat-fuse numbers it anew when it is read again,
  // once its daemon has heard that the kernel forgot.
  const auto node = [&dir] {
    struct stat st;
    return ::stat(dir.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  const auto executedNode = node();
  // A name looked up a moment ago survives one pass of the shrinker.
  for (int attempt = 0; attempt < 50 && node() == executedNode; ++attempt)
    if (!Shell("sync && for pass in 1 2 3; do echo 2 > /proc/sys/vm/drop_caches; done"))
      GTEST_SKIP() << "the kernel's caches cannot be dropped here";
  // Nothing to prove where the kernel keeps the directory however often it
  // is asked to let go of it.
  if (node() == executedNode) GTEST_SKIP() << "the kernel kept the directory's node";
  EXPECT_TRUE(run.Undo());
  EXPECT_EQ(run.Messages(), std::vector<std::u16string>{str::kRestored});
  EXPECT_EQ(ReadFile(dir + "/a1.txt"), "a1.txt");
  EXPECT_EQ(ReadFile(dir + "/b1.txt"), "b1.txt");
}

}  // namespace
}  // namespace quillon::testing
