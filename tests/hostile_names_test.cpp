// Hostile names through the whole flow on real temporary directories: drop,
// new names, validation, execution and undo. Nothing is lost, every refusal
// is a row verdict or a message, and undo brings back the exact bytes.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "platform/posix/posix_file_system.h"
#include "resources/strings.h"
#include "tests/test_support.h"

namespace quillon::testing {
namespace {

enum class Kind { kFile, kLink, kDanglingLink, kFifo, kSocket };

struct Entry {
  std::string name;  // bytes on disk
  Kind kind = Kind::kFile;
};

struct HostileCase {
  const char* what;
  std::vector<Entry> entries;         // dropped in this order
  std::vector<std::u16string> bases;  // new names without extension, per row
  std::u16string verdict;             // empty: every row renamed, else each row's verdict
};

void Make(const TempDir& dir, const Entry& entry) {
  const std::string path = dir.BytesOf(entry.name);
  switch (entry.kind) {
    case Kind::kFile:
      dir.Write(entry.name);
      break;
    case Kind::kLink:
      dir.Write("target.dat", "target");
      ASSERT_EQ(::symlink("target.dat", path.c_str()), 0);
      break;
    case Kind::kDanglingLink:
      ASSERT_EQ(::symlink("nowhere", path.c_str()), 0);
      break;
    case Kind::kFifo:
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      break;
    case Kind::kSocket: {
      const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address = {};
      address.sun_family = AF_UNIX;
      ASSERT_LT(path.size(), sizeof address.sun_path);
      std::memcpy(address.sun_path, path.c_str(), path.size());
      ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
      ::close(sock);  // the socket file stays
      break;
    }
  }
}

// What the entry is now: its type, and its content or link target.
std::string Describe(const TempDir& dir, const std::string& name) {
  struct stat st;
  const std::string path = dir.BytesOf(name);
  if (::lstat(path.c_str(), &st) != 0) return "missing";
  if (S_ISLNK(st.st_mode)) {
    char target[256] = {};
    if (::readlink(path.c_str(), target, sizeof target - 1) < 0) return "unreadable link";
    return std::string("link to ") + target;
  }
  if (S_ISFIFO(st.st_mode)) return "fifo";
  if (S_ISSOCK(st.st_mode)) return "socket";
  return "file " + dir.Read(name);
}

std::string Bytes255() {
  return std::string(251, 'n') + ".txt";
}

TEST(HostileNames, WholeFlowLosesNothingAndRefusesOnlyByVerdictOrMessage) {
  const std::u16string unusable = str::kVerdictUnusable;
  const HostileCase cases[] = {
      {"newline and tab in old names",
       {{"a\nb.txt"}, {"c\td.txt"}},
       {u"clean_001", u"clean_002"},
       {}},
      {"spaces, a leading dash and dot in old names",
       {{" lead.txt"}, {"trail .txt"}, {"-rf.txt"}, {".hidden.txt"}},
       {u"n1", u"n2", u"n3", u"n4"},
       {}},
      {"the same in new names", {{"a.txt"}, {"b.txt"}, {"c.txt"}}, {u" x", u"-y", u".z"}, {}},
      {"control characters and U+202E in old names",
       {{"bell\x07.txt"}, {"x\u202Etxt.exe"}},
       {u"safe1", u"safe2"},
       {}},
      {"U+202E in a new name is a name like any other", {{"a.exe"}}, {u"x\u202Etxt"}, {}},
      {"a newline in a new name", {{"a.txt"}}, {u"two\nlines"}, unusable},
      {"a tab in a new name", {{"a.txt"}}, {u"tab\there"}, unusable},
      {"NFC and NFD forms of one word are two files",
       {{"caf\u00E9.txt"}, {"cafe\u0301.txt"}},
       {u"same_1", u"same_2"},
       {}},
      {"combining characters become the new name", {{"plain.txt"}}, {u"a\u0301\u0308b"}, {}},
      {"an old name of exactly 255 bytes", {{Bytes255()}}, {u"short"}, {}},
      {"a new name of exactly 255 bytes", {{"a.txt"}}, {std::u16string(251, u'n')}, {}},
      {"a new name of 256 bytes", {{"a.txt"}}, {std::u16string(252, u'n')}, unusable},
      {"invalid UTF-8 in old names", {{"bad\xFF.txt"}, {"\xC0\xAF.txt"}}, {u"ok1", u"ok2"}, {}},
      {"a symbolic link is renamed as itself", {{"link.dat", Kind::kLink}}, {u"moved"}, {}},
      {"a dangling link", {{"dangle.dat", Kind::kDanglingLink}}, {u"still_dangling"}, {}},
      {"a FIFO", {{"pipe", Kind::kFifo}}, {u"pipe_1"}, {}},
      {"a socket", {{"sock", Kind::kSocket}}, {u"sock_1"}, {}},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    std::vector<std::u16string> paths;
    for (const Entry& entry : c.entries) {
      Make(dir, entry);
      paths.push_back(DecodeName(dir.BytesOf(entry.name)));
    }
    const std::vector<std::string> before = dir.Entries();
    std::vector<std::string> described;
    for (const Entry& entry : c.entries) described.push_back(Describe(dir, entry.name));

    PosixFileSystem fs;
    FakeDialog dialog;
    CQuillonDlg dlg(fs, dialog);
    dlg.OnFilesDropped(paths);
    ASSERT_EQ(dlg.Files().size(), c.entries.size());
    ASSERT_TRUE(dialog.messages.empty());
    // Rows follow the natural order; the new names go to the rows by name.
    std::vector<std::size_t> rowOf(c.entries.size());
    for (std::size_t e = 0; e < c.entries.size(); ++e)
      for (std::size_t row = 0; row < dlg.Files().size(); ++row)
        if (dlg.Files()[row]->m_name == DecodeName(c.entries[e].name)) rowOf[e] = row;
    std::vector<std::u16string> newNames(c.entries.size());
    for (std::size_t e = 0; e < c.entries.size(); ++e) newNames[rowOf[e]] = c.bases[e];
    WithNewNames(dlg, std::move(newNames));

    const bool valid = dlg.ValidateNewNames();
    if (!c.verdict.empty()) {
      EXPECT_FALSE(valid);
      EXPECT_EQ(dialog.Column(kResultColumn),
                std::vector<std::u16string>(c.entries.size(), c.verdict));
      EXPECT_EQ(dialog.messages.size(), 1u);
      EXPECT_EQ(dir.Entries(), before);
      continue;
    }
    ASSERT_TRUE(valid) << (dialog.messages.empty() ? "" : "message shown");
    dlg.OnExecute();
    EXPECT_EQ(dialog.Column(kResultColumn),
              std::vector<std::u16string>(c.entries.size(), str::kResultOk));
    for (std::size_t e = 0; e < c.entries.size(); ++e) {
      const std::u16string now = dlg.CurrentNames()[rowOf[e]];
      EXPECT_EQ(Describe(dir, *EncodeName(now)), described[e]);
    }
    if (c.entries.front().kind == Kind::kLink) {
      EXPECT_EQ(dir.Read("target.dat"), "target");
    }
    EXPECT_EQ(dir.Entries().size(), before.size());

    dialog.messages.clear();
    EXPECT_TRUE(dlg.OnUndo());
    EXPECT_EQ(dialog.messages, std::vector<std::u16string>{str::kRestored});
    EXPECT_EQ(dir.Entries(), before);
    for (std::size_t e = 0; e < c.entries.size(); ++e)
      EXPECT_EQ(Describe(dir, c.entries[e].name), described[e]);
  }
}

}  // namespace
}  // namespace quillon::testing
