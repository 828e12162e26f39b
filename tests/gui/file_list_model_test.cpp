// The list's rows as the user sees them: names that cannot disguise
// themselves, and icons looked up without opening anything but regular files.
#include "shell/file_list_model.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>

#include "core/name_codec.h"
#include "test_support.h"

namespace quillon::testing {
namespace {

TEST(FileListModel, ShowsDisguisingCharactersAsCodePointsAndKeepsTheName) {
  const struct {
    std::string name;
    std::u16string shown;
  } cases[] = {
      {"photo.jpg", u"photo.jpg"},
      {"a\u202Egpj.exe", u"a<U+202E>gpj.exe"},
      {"tab\there\nline", u"tab<U+0009>here<U+000A>line"},
      {"bell\x07\x7F", u"bell<U+0007><U+007F>"},
      {"bad\xFF.txt", u"bad<FF>.txt"},
      {"<U+202E>.txt", u"<U+003C>U+202E>.txt"},  // never mistaken for the real one
      {"写真\U0001F600.jpg", u"写真\U0001F600.jpg"},
  };
  RowTable rows;
  FileListModel model(rows, nullptr);
  std::vector<std::u16string> names;
  for (const auto& c : cases) names.push_back(DecodeName(c.name));
  rows.Replace(u"/nowhere", names);
  for (int row = 0; row < static_cast<int>(names.size()); ++row) {
    const QString shown = model.data(model.index(row, 0), Qt::DisplayRole).toString();
    EXPECT_EQ(shown.toStdU16String(), cases[row].shown) << cases[row].name;
    EXPECT_EQ(model.Cell(row, 0), names[static_cast<std::size_t>(row)]);
  }
}

TEST(FileListModel, IconLookupOpensOnlyRegularFiles) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.BytesOf("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("fifo", dir.BytesOf("link-to-fifo").c_str()), 0);
  dir.Write("plain", "%PDF-1.4\n");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir.BytesOf("socket");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  // Every open of an entry in the directory is reported, synchronously.
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir.Bytes().c_str(), IN_OPEN), 0);

  RowTable rows;
  FileListModel model(rows, nullptr);
  rows.Replace(dir.Path(), {u"fifo", u"link-to-fifo", u"socket", u"plain"});
  for (int row = 0; row < 4; ++row) model.data(model.index(row, 0), Qt::DecorationRole);

  std::set<std::string> opened;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* at = buffer; at < buffer + got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(at);
      if (event->len > 0) opened.insert(event->name);
      at += sizeof(inotify_event) + event->len;
    }
  }
  EXPECT_EQ(opened, std::set<std::string>{"plain"});
  ::close(watch);
  ::close(sock);
}

}  // namespace
}  // namespace quillon::testing
