#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "core/name_codec.h"
#include "platform/posix/posix_arguments.h"
#include "test_support.h"

namespace quillon {
namespace {

TEST(Arguments, RelativePathsJoinTheWorkingDirectory) {
  const auto paths = ArgumentsToPaths({"a.jpg", "./sub/b.jpg", "/abs/c.jpg", ""}, "/home/u");
  EXPECT_EQ(paths,
            (std::vector<std::u16string>{u"/home/u/a.jpg", u"/home/u/sub/b.jpg", u"/abs/c.jpg"}));
}

TEST(Arguments, KeepsBytesThatAreNotUtf8AndDotDot) {
  const auto paths = ArgumentsToPaths({"x\xFF.txt", "../y.txt", "//abs//./z.txt"}, "/w\xE9");
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(EncodePath(paths[0]), "/w\xE9/x\xFF.txt");
  EXPECT_EQ(EncodePath(paths[1]), "/w\xE9/../y.txt");
  EXPECT_EQ(paths[2], u"/abs/z.txt");
}

TEST(Arguments, TheRootAndATrailingSlashStayRecognisable) {
  EXPECT_EQ(ArgumentsToPaths({"/"}, "/x"), (std::vector<std::u16string>{u"/"}));
  EXPECT_EQ(ArgumentsToPaths({"dir/"}, "/x"), (std::vector<std::u16string>{u"/x/dir/"}));
}

TEST(Arguments, DirectoryPartIsResolvedTheFileItselfIsNot) {
  testing::TempDir dir;
  dir.MakeDir("four");
  dir.MakeDir("other");
  dir.Write("four/a.txt");
  ASSERT_EQ(::symlink("four", dir.BytesOf("linked").c_str()), 0);
  ASSERT_EQ(::symlink("a.txt", dir.BytesOf("four/link").c_str()), 0);
  char* real = ::realpath(dir.Bytes().c_str(), nullptr);  // the temporary root may be a link
  ASSERT_NE(real, nullptr);
  const std::string four = std::string(real) + "/four/";
  std::free(real);
  const auto paths = ArgumentsToPaths(
      {"../four/a.txt", dir.BytesOf("four/b.txt"), "./../linked/link", "../four/x\xFF"},
      dir.BytesOf("other"));
  ASSERT_EQ(paths.size(), 4u);
  EXPECT_EQ(EncodePath(paths[0]), four + "a.txt");
  EXPECT_EQ(EncodePath(paths[1]), four + "b.txt");
  EXPECT_EQ(EncodePath(paths[2]), four + "link");  // the link, not its target
  EXPECT_EQ(EncodePath(paths[3]), four + "x\xFF");
  // No working directory: relative paths stay relative (a drop refuses
  // them), never resolved against the root.
  EXPECT_EQ(ArgumentsToPaths({"a.txt", "/abs/b.txt"}, ""),
            (std::vector<std::u16string>{u"a.txt", u"/abs/b.txt"}));
}

TEST(Arguments, OptionsBeforeTheEndMarkerDecideTheRestAreFiles) {
  using Action = CommandLine::Action;
  struct Case {
    std::vector<std::string> arguments;
    Action action;
    std::vector<std::string> files;
  };
  const std::vector<Case> cases = {
      {{}, Action::kWindow, {}},
      {{"a.txt", "-", "/home/u/--version"}, Action::kWindow, {"a.txt", "-", "/home/u/--version"}},
      {{"--version"}, Action::kVersion, {}},
      {{"--version", "a.txt"}, Action::kVersion, {}},
      {{"a.txt", "--version"}, Action::kVersion, {}},
      {{"--help", "--version"}, Action::kHelp, {}},
      {{"a.txt", "--help"}, Action::kHelp, {}},
      {{"-version"}, Action::kRefuse, {}},
      {{"-h"}, Action::kRefuse, {}},
      {{"--", "--help", "-x"}, Action::kWindow, {"--help", "-x"}},
      {{"a.txt", "--", "--"}, Action::kWindow, {"a.txt", "--"}},
      {{"--platform", "offscreen"}, Action::kRefuse, {}},
  };
  for (const Case& c : cases) {
    const CommandLine command = ParseCommandLine(c.arguments);
    const std::string shown = c.arguments.empty() ? "" : c.arguments.back();
    EXPECT_EQ(command.action, c.action) << shown;
    EXPECT_EQ(command.files, c.files) << shown;
    EXPECT_EQ(command.refusal.empty(), c.action != Action::kRefuse) << shown;
  }
  // One line that names what was refused and where help is.
  const std::string refusal = ParseCommandLine({"a.txt", "-q", "--help"}).refusal;
  EXPECT_NE(refusal.find("-q"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("--help"), std::string::npos) << refusal;
  EXPECT_EQ(refusal.find('\n'), refusal.size() - 1) << refusal;
  EXPECT_EQ(VersionLine(), "quillon 1.0.0.1\n");
  EXPECT_EQ(UsageText().rfind("使い方: quillon [ファイル...]\nUsage: quillon [FILE...]\n", 0), 0u);
}

TEST(Arguments, OnlyPathsToNothingAreMissing) {
  testing::TempDir dir;
  dir.Write("here.txt");
  ASSERT_EQ(::symlink("gone", dir.BytesOf("dangling").c_str()), 0);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{dir.BytesOf("here.txt"), dir.BytesOf("dangling"), dir.Bytes()}, ""},
      {{dir.BytesOf("here.txt"), dir.BytesOf("typo.txt"), dir.BytesOf("nor.txt")},
       dir.BytesOf("typo.txt")},
      {{dir.BytesOf("here.txt/x")}, dir.BytesOf("here.txt/x")},
      {{}, ""},
  };
  for (const auto& [files, named] : cases) {
    const std::string line = MissingFilesLine(files);
    if (named.empty()) {
      EXPECT_EQ(line, "") << line;
    } else {
      EXPECT_NE(line.find(named + "\n"), std::string::npos) << line;
      EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
    }
  }
}

}  // namespace
}  // namespace quillon
