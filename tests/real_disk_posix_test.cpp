// The logic and the POSIX port together on real temporary directories: what
// only the real disk proves (names as bytes, the directory's identity and
// name limit as the port reads them, signals during a run). Everything else
// of the logic runs on the memory file system, in both builds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "platform/posix/posix_file_system.h"
#include "resources/strings.h"
#include "tests/fault_file_system.h"
#include "tests/test_support.h"

namespace quillon::testing {
namespace {

// A dialog over a real temporary directory, through the POSIX port.
class RealDisk : public ::testing::Test {
 protected:
  RealDisk() { ListNames(m_dlg, m_dir.Path(), {}); }

  // Creates the files (each holding its own name) and lists them as rows
  // with their new full names.
  void Plan(const std::vector<std::pair<std::string, std::string>>& plan) {
    std::vector<std::u16string> rows;
    std::vector<std::u16string> newNames;
    for (const auto& [from, to] : plan) {
      m_dir.Write(from);
      rows.push_back(U(from));
      const std::u16string target = U(to);
      newNames.push_back(target.substr(0, target.size() - CFileNameX(rows.back()).m_ext.size()));
    }
    ListNames(m_dlg, m_dir.Path(), rows, std::move(newNames));
  }

  TempDir m_dir;
  PosixFileSystem m_posix;
  FaultFileSystem m_fs{m_posix};
  FakeDialog m_dialog;
  CQuillonDlg m_dlg{m_fs, m_dialog};
};

TEST(RealDiskNames, NonUtf8NamesOnDiskAreListedAndFoundAgain) {
  TempDir dir;
  const std::string names[] = {"\xFF", "\xC3\x28.txt", "\xC0\xAF", "ok.txt"};
  for (const auto& name : names) dir.Write(name);

  PosixFileSystem fs;
  auto handle = fs.OpenDirectory(dir.Path());
  ASSERT_NE(handle, nullptr);
  std::vector<std::u16string> listed;
  ASSERT_TRUE(handle->List(&listed));
  for (const auto& name : names) {
    const std::u16string text = DecodeName(name);
    EXPECT_NE(std::find(listed.begin(), listed.end(), text), listed.end());
    EXPECT_EQ(fs.GetEntryType(dir.PathOf(name)), EntryType::kNonDirectory);
    EXPECT_EQ(handle->LookUpName(text), NameState::kTaken);
  }
  EXPECT_EQ(handle->LookUpName(DecodeName("\xFE")), NameState::kFree);
}

TEST_F(RealDisk, DroppedNamesThatAreNotUtf8AreListedAndKeepTheirBytes) {
  m_dir.Write("\xFF.jpg");
  m_dir.Write("\xC3\x28.jpg");
  m_dlg.ListRows(FileRows());
  m_dlg.OnFilesDropped({m_dir.PathOf("\xFF.jpg"), m_dir.PathOf("\xC3\x28.jpg")});
  ASSERT_EQ(m_dlg.Files().size(), 2u);
  for (const auto& file : m_dlg.Files()) {
    const auto bytes = EncodeName(file->m_name);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(m_dir.Exists(*bytes));
    EXPECT_EQ(file->m_ext, u".jpg");
  }
}

TEST_F(RealDisk, SwapOfANameThatIsNotUtf8KeepsItsBytes) {
  Plan({{"\xff\xfe.jpg", "b.jpg"}, {"b.jpg", "\xff\xfe.jpg"}});
  m_dlg.OnExecute();
  EXPECT_EQ(m_dialog.messages, std::vector<std::u16string>{str::kRenamed});
  EXPECT_TRUE(m_fs.MovedToNameContaining(U("\xff\xfe_tmp0.jpg")));
  EXPECT_EQ(m_dir.Read("\xff\xfe.jpg"), "b.jpg");
  EXPECT_EQ(m_dir.Read("b.jpg"), "\xff\xfe.jpg");
  EXPECT_EQ(m_dir.Entries().size(), 2u);
}

TEST_F(RealDisk, UndoIsRefusedWhenTheDirectoryWasReplacedByOneWithTheSameNames) {
  Plan({{"1.jpg", "2.jpg"}, {"2.jpg", "3.jpg"}});
  m_dlg.OnExecute();
  ASSERT_TRUE(m_dlg.Executed());
  m_fs.moves.clear();
  m_dialog.messages.clear();
  TempDir elsewhere;
  ASSERT_EQ(::rename(m_dir.Bytes().c_str(), elsewhere.BytesOf("executed").c_str()), 0);
  ASSERT_EQ(::mkdir(m_dir.Bytes().c_str(), 0755), 0);  // the same path, another directory
  m_dir.Write("2.jpg", "other");
  m_dir.Write("3.jpg", "other");
  EXPECT_FALSE(m_dlg.OnUndo());
  EXPECT_EQ(m_dialog.messages, std::vector<std::u16string>{str::kDirectoryChanged});
  EXPECT_TRUE(m_fs.moves.empty());
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"2.jpg", "3.jpg"}));
  EXPECT_TRUE(m_dlg.Executed());
}

TEST_F(RealDisk, ValidationTakesTheLimitTheDirectoryCountsInBytes) {
  auto handle = m_posix.OpenDirectory(m_dir.Path());
  ASSERT_TRUE(handle);
  if (handle->GetNameLimit().maxBytes != 255)
    GTEST_SKIP() << "temporary directory is not ext4/tmpfs-like";
  Plan({{"a.txt", "b.txt"}});
  // 85 kana are exactly 255 bytes; one more byte is too many.
  WithNewNames(m_dlg, {std::u16string(85, u'\u3042') + u"x"});
  EXPECT_FALSE(m_dlg.ValidateNewNames());
  EXPECT_EQ(m_dialog.Column(kResultColumn), std::vector<std::u16string>{str::kVerdictUnusable});
}

volatile std::sig_atomic_t g_terminations = 0;
void CountTermination(int) {
  g_terminations = g_terminations + 1;
}

TEST_F(RealDisk, TerminateSignalDuringARunArrivesAfterItsLastMove) {
  struct sigaction count = {};
  count.sa_handler = CountTermination;
  sigemptyset(&count.sa_mask);
  struct sigaction previous;
  ASSERT_EQ(::sigaction(SIGTERM, &count, &previous), 0);
  g_terminations = 0;

  const std::vector<std::u16string> sources = {u"a.jpg", u"b.jpg", u"c.jpg"};
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) m_dir.Write(name);
  m_dialog.SetRows(m_dlg.Directory(), sources);
  int movesAfterSignal = 0;
  m_fs.beforeMove = [&](std::u16string_view, std::u16string_view) {
    if (m_fs.moves.empty()) ::raise(SIGTERM);  // the session is ending
    EXPECT_EQ(g_terminations, 0);
    ++movesAfterSignal;
  };
  // A 3-cycle: the signal arrives before the first file is parked.
  std::vector<std::u16string> namesAfter;
  EXPECT_TRUE(m_dlg.RunRenames(sources, {u"b.jpg", u"c.jpg", u"a.jpg"}, &namesAfter));
  EXPECT_EQ(g_terminations, 1);
  ::sigaction(SIGTERM, &previous, nullptr);

  EXPECT_GE(movesAfterSignal, 5);
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(m_dir.Read("a.jpg"), "c.jpg");
}

}  // namespace
}  // namespace quillon::testing
