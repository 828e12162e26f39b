// The POSIX move on real temporary directories: it never replaces, in every
// way it can move a file, and it holds terminate signals while a directory
// is open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#include "dialog/quillon_dlg.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_signal_guard.h"
#include "resources/strings.h"
#include "tests/test_support.h"

namespace quillon::testing {
namespace {

struct MoveMode {
  const char* name;
  PosixMoveOptions options;
};

class PosixMoveTest : public ::testing::TestWithParam<MoveMode> {
 protected:
  PosixMoveTest() : m_fs(GetParam().options) {}

  std::unique_ptr<DirectoryHandle> Open() {
    auto handle = m_fs.OpenDirectory(m_dir.Path());
    EXPECT_NE(handle, nullptr);
    return handle;
  }
  MoveResult Move(std::string_view from, std::string_view to) {
    return Open()->Move(U(from), U(to));
  }

  TempDir m_dir;
  PosixFileSystem m_fs;
};

TEST_P(PosixMoveTest, MovesFileUnderItsNewNameWithItsContent) {
  m_dir.Write("a.jpg");
  EXPECT_EQ(Move("a.jpg", "b.jpg"), MoveResult::kMoved);
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"b.jpg"}));
  EXPECT_EQ(m_dir.Read("b.jpg"), "a.jpg");
}

TEST_P(PosixMoveTest, NeverReplacesAFileADirectoryOrALink) {
  m_dir.Write("a.jpg");
  m_dir.Write("file.jpg");
  m_dir.MakeDir("dir.jpg");
  ASSERT_EQ(::symlink("nowhere", m_dir.BytesOf("link.jpg").c_str()), 0);
  const auto before = m_dir.Entries();
  for (const char* target : {"file.jpg", "dir.jpg", "link.jpg"}) {
    EXPECT_EQ(Move("a.jpg", target), MoveResult::kFailed) << target;
    // No placeholder, hard link or intermediate name is left behind.
    EXPECT_EQ(m_dir.Entries(), before) << target;
  }
  EXPECT_EQ(m_dir.Read("a.jpg"), "a.jpg");
  EXPECT_EQ(m_dir.Read("file.jpg"), "file.jpg");
}

TEST_P(PosixMoveTest, CaseOnlyChangeOnCaseSensitiveFileSystem) {
  m_dir.Write("a.txt");
  EXPECT_EQ(Move("a.txt", "A.txt"), MoveResult::kMoved);
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"A.txt"}));
  EXPECT_EQ(m_dir.Read("A.txt"), "a.txt");
}

TEST_P(PosixMoveTest, FailuresLeaveNoTrace) {
  m_dir.Write("a.jpg");
  EXPECT_EQ(Move("missing.jpg", "b.jpg"), MoveResult::kFailed);
  EXPECT_EQ(Move("a.jpg", std::string(300, 'x')), MoveResult::kFailed);  // ENAMETOOLONG
  // A lone surrogate cannot be encoded as a file name.
  EXPECT_EQ(Open()->Move(u"a.jpg", std::u16string(u"b\xD800.jpg")), MoveResult::kFailed);
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"a.jpg"}));
}

TEST_P(PosixMoveTest, SymbolicLinkIsMovedAsItself) {
  m_dir.Write("target.jpg");
  ASSERT_EQ(::symlink("target.jpg", m_dir.BytesOf("link.jpg").c_str()), 0);
  EXPECT_EQ(Move("link.jpg", "moved.jpg"), MoveResult::kMoved);
  struct stat st;
  ASSERT_EQ(::lstat(m_dir.BytesOf("moved.jpg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(m_dir.Read("target.jpg"), "target.jpg");
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"moved.jpg", "target.jpg"}));
}

TEST_P(PosixMoveTest, HardLinksSpeltInTwoCasesAreNoAlias) {
  // Two entries of one file that differ only in case: on a file system that
  // tells case apart the new spelling really is taken.
  m_dir.Write("a.txt");
  ASSERT_EQ(::link(m_dir.BytesOf("a.txt").c_str(), m_dir.BytesOf("A.txt").c_str()), 0);
  EXPECT_EQ(Move("a.txt", "A.txt"), MoveResult::kFailed);
  EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"A.txt", "a.txt"}));
}

TEST_P(PosixMoveTest, MovesStayInTheDirectoryThatWasOpened) {
  // The directory is renamed and another one put in its place after the
  // handle was opened: the move still happens in the original directory.
  m_dir.MakeDir("photos");
  ASSERT_EQ(::close(::creat(m_dir.BytesOf("photos/a.jpg").c_str(), 0644)), 0);
  auto handle = m_fs.OpenDirectory(m_dir.PathOf("photos"));
  ASSERT_NE(handle, nullptr);
  ASSERT_EQ(::rename(m_dir.BytesOf("photos").c_str(), m_dir.BytesOf("moved").c_str()), 0);
  m_dir.MakeDir("photos");
  ASSERT_EQ(::close(::creat(m_dir.BytesOf("photos/a.jpg").c_str(), 0644)), 0);
  EXPECT_EQ(handle->Move(u"a.jpg", u"b.jpg"), MoveResult::kMoved);
  EXPECT_TRUE(m_dir.Exists("moved/b.jpg"));
  EXPECT_TRUE(m_dir.Exists("photos/a.jpg"));
  EXPECT_FALSE(m_dir.Exists("photos/b.jpg"));
}

INSTANTIATE_TEST_SUITE_P(EveryWayOfMoving, PosixMoveTest,
                         ::testing::Values(MoveMode{"RenameNoReplace", {}},
                                           MoveMode{"HardLink", {true, false}},
                                           MoveMode{"Placeholder", {true, true}}),
                         [](const ::testing::TestParamInfo<MoveMode>& info) {
                           return std::string(info.param.name);
                         });

TEST(PosixMove, DirectoriesAreNotMovedWhereNoReplaceIsUnsupported) {
  // Neither fallback can move a directory without risking a replacement.
  TempDir dir;
  dir.MakeDir("sub");
  PosixFileSystem fs({true, false});
  EXPECT_EQ(fs.OpenDirectory(dir.Path())->Move(u"sub", u"other"), MoveResult::kFailed);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"sub"}));
}

// --- Terminate signals --------------------------------------------------------

volatile std::sig_atomic_t g_received = 0;
void CountSignal(int) {
  g_received = g_received + 1;
}

class SignalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received = 0;
    struct sigaction action = {};
    action.sa_handler = CountSignal;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGTERM, &action, &m_previous), 0);
  }
  void TearDown() override { ::sigaction(SIGTERM, &m_previous, nullptr); }
  struct sigaction m_previous;
};

TEST_F(SignalTest, TerminateSignalIsDeliveredWhenTheLastHandleCloses) {
  TempDir dir;
  dir.Write("a.jpg");
  PosixFileSystem fs;
  {
    auto first = fs.OpenDirectory(dir.Path());
    {
      auto second = fs.OpenDirectory(dir.Path());
      ::raise(SIGTERM);
      EXPECT_EQ(g_received, 0);
      EXPECT_EQ(second->Move(u"a.jpg", u"b.jpg"), MoveResult::kMoved);
    }
    EXPECT_EQ(g_received, 0);  // a handle is still open
  }
  EXPECT_EQ(g_received, 1);
  ::raise(SIGTERM);  // and the program's own handler is back
  EXPECT_EQ(g_received, 2);
}

TEST(SignalGuard, IgnoredSignalStaysIgnored) {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  struct sigaction previous;
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, &previous), 0);
  {
    TerminateSignalGuard guard;
    ::raise(SIGHUP);
  }
  struct sigaction now;
  ::sigaction(SIGHUP, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  ::sigaction(SIGHUP, &previous, nullptr);
}

// After the hard link is made, the check that both names lead to our file
// fails. Only a name proven to be ours is touched, and the answer says where
// the file is: never a second name left behind with a failure reported.
TEST(PosixLinkMoveTest, FailedCheckAfterLinkingLeavesOneNameAndTellsTheTruth) {
  struct Case {
    const char* what;
    // Runs at the first look at the new name after linking; returns the
    // errno that look fails with, or 0.
    std::function<int(const TempDir&)> meanwhile;
    MoveResult result;
    std::vector<std::pair<std::string, std::string>> entries;  // name, content
  };
  const auto replace = [](const TempDir& dir, const char* name) {
    dir.Write("theirs.tmp", "theirs");
    ::rename(dir.BytesOf("theirs.tmp").c_str(), dir.BytesOf(name).c_str());
  };
  const Case cases[] = {
      {"the look fails",
       [](const TempDir&) { return EIO; },
       MoveResult::kFailed,
       {{"a.jpg", "a.jpg"}}},
      {"another file took the old name",
       [&](const TempDir& dir) { return replace(dir, "a.jpg"), 0; },
       MoveResult::kMoved,
       {{"a.jpg", "theirs"}, {"b.jpg", "a.jpg"}}},
      {"another file took the new name",
       [&](const TempDir& dir) { return replace(dir, "b.jpg"), 0; },
       MoveResult::kFailed,
       {{"a.jpg", "a.jpg"}, {"b.jpg", "theirs"}}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("a.jpg");
    bool linked = false;
    PosixFileSystem fs({.pretendNoReplaceUnsupported = true, .pretendHardLinksUnsupported = false},
                       [&](PosixCall call, const std::string& from, const std::string&) {
                         if (call == PosixCall::kLink) linked = true;
                         if (call != PosixCall::kStat || from != "b.jpg" || !linked) return 0;
                         linked = false;
                         return c.meanwhile(dir);
                       });
    EXPECT_EQ(fs.OpenDirectory(dir.Path())->Move(u"a.jpg", u"b.jpg"), c.result) << c.what;
    std::vector<std::string> names;
    for (const auto& [name, content] : c.entries) {
      names.push_back(name);
      EXPECT_EQ(dir.Read(name), content) << c.what;
    }
    EXPECT_EQ(dir.Entries(), names) << c.what;
  }
}

// The directory turns read-only in the middle of a two-step move: the first
// step is taken back where it can be; where it cannot, the answer names the
// entry left beside the file, and so does the row.
TEST(PosixTwoStepMoveTest, AStepThatCannotBeTakenBackIsReported) {
  struct Case {
    const char* what;
    PosixMoveOptions options;
    PosixCall turnsReadOnlyAt;  // this call and every change after it fail
    bool onlyOnce;              // ... or only this call, once
    MoveResult result;
    std::vector<std::pair<std::string, std::string>> entries;  // name, content
  };
  const PosixMoveOptions byLink{.pretendNoReplaceUnsupported = true};
  const PosixMoveOptions byPlaceholder{.pretendNoReplaceUnsupported = true,
                                       .pretendHardLinksUnsupported = true};
  const Case cases[] = {
      {"link, the old name cannot go, the new one can",
       byLink,
       PosixCall::kUnlink,
       true,
       MoveResult::kFailed,
       {{"a.jpg", "a.jpg"}}},
      {"link, neither name can go",
       byLink,
       PosixCall::kUnlink,
       false,
       MoveResult::kLeftBehind,
       {{"a.jpg", "a.jpg"}, {"b.jpg", "a.jpg"}}},
      {"placeholder, the rename fails, the placeholder goes",
       byPlaceholder,
       PosixCall::kRename,
       true,
       MoveResult::kFailed,
       {{"a.jpg", "a.jpg"}}},
      {"placeholder, neither the rename nor its removal",
       byPlaceholder,
       PosixCall::kRename,
       false,
       MoveResult::kLeftBehind,
       {{"a.jpg", "a.jpg"}, {"b.jpg", ""}}},
  };
  for (const Case& c : cases) {
    for (const bool throughEngine : {false, true}) {
      TempDir dir;
      dir.Write("a.jpg");
      bool readOnly = false;
      bool turned = false;
      PosixFileSystem fs(c.options, [&](PosixCall call, const std::string&, const std::string&) {
        if (call == PosixCall::kStat) return 0;
        if (call == c.turnsReadOnlyAt && !turned) {
          turned = true;
          if (c.onlyOnce) return EROFS;
          readOnly = true;
        }
        return readOnly ? EROFS : 0;
      });
      if (throughEngine) {
        FakeDialog dialog;
        CQuillonDlg dlg(fs, dialog);
        ListNames(dlg, dir.Path(), {u"a.jpg"});
        std::vector<std::u16string> namesAfter;
        EXPECT_FALSE(dlg.RunRenames({u"a.jpg"}, {u"b.jpg"}, &namesAfter)) << c.what;
        EXPECT_EQ(namesAfter, std::vector<std::u16string>{u"a.jpg"}) << c.what;
        std::u16string text = std::u16string(str::kFailurePrefix) + str::kCannotRename;
        if (c.result == MoveResult::kLeftBehind)
          text += std::u16string(u"b.jpg") + str::kNameAlsoLeft;
        EXPECT_EQ(dialog.Column(kResultColumn), std::vector<std::u16string>{text}) << c.what;
      } else {
        std::u16string nameNow;
        EXPECT_EQ(fs.OpenDirectory(dir.Path())->Move(u"a.jpg", u"b.jpg", &nameNow), c.result)
            << c.what;
        if (c.result == MoveResult::kLeftBehind) {
          EXPECT_EQ(nameNow, u"b.jpg") << c.what;
        }
      }
      std::vector<std::string> names;
      for (const auto& [name, content] : c.entries) {
        names.push_back(name);
        EXPECT_EQ(dir.Read(name), content) << c.what;
      }
      EXPECT_EQ(dir.Entries(), names) << c.what;
    }
  }
}

TEST(PosixLookUpTest, TellsFreeFromTakenFromCannotLook) {
  TempDir dir;
  dir.Write("a.jpg");
  auto handle = PosixFileSystem().OpenDirectory(dir.Path());
  EXPECT_EQ(handle->LookUpName(u"a.jpg"), NameState::kTaken);
  EXPECT_EQ(handle->LookUpName(u"b.jpg"), NameState::kFree);
  EXPECT_EQ(handle->LookUpName(std::u16string(300, u'x')), NameState::kUnknown);  // ENAMETOOLONG
  EXPECT_EQ(handle->Identity(), PosixFileSystem().OpenDirectory(dir.Path())->Identity());
}

}  // namespace
}  // namespace quillon::testing
