// The Windows file-system port on a real folder of the temporary directory
// (a folder of the Wine prefix when run under Wine).
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/win32/win32_test_support.h"

namespace quillon::testing {
namespace {

using Contents = std::map<std::u16string, std::string>;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  std::unique_ptr<DirectoryHandle> Open(std::u16string_view relative = u"") {
    auto handle =
        m_fs.OpenDirectory(relative.empty() ? m_folder.Path() : m_folder.PathOf(relative));
    EXPECT_NE(handle, nullptr);
    return handle;
  }
  std::vector<std::u16string> Listed(DirectoryHandle& directory) {
    std::vector<std::u16string> names;
    EXPECT_TRUE(directory.List(&names));
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder m_folder;
  Win32FileSystem m_fs;
};

TEST_F(Win32FileSystemTest, ListsEveryEntryByItsExactName) {
  const std::vector<std::u16string> files = {u"a.jpg",  u"写真_001.jpg", u"𠮷野家 の メニュー.txt",
                                             u"😀.png",  u"no extension", u".hidden",
                                             u"CON.txt"};
  for (const auto& name : files) ASSERT_TRUE(m_folder.Write(name)) << Utf8(name);
  ASSERT_TRUE(m_folder.MakeDir(u"sub"));
  ASSERT_TRUE(m_folder.Write(u"sub\\inner.jpg"));
  ::SetFileAttributesW(m_folder.Extended(u".hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);

  std::vector<std::u16string> expected = files;
  expected.insert(expected.end(), {u".", u"..", u"sub"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Listed(*Open()), expected);
}

TEST_F(Win32FileSystemTest, EntryTypeFollowsTheAttributes) {
  ASSERT_TRUE(m_folder.Write(u"file.txt"));
  ASSERT_TRUE(m_folder.MakeDir(u"sub"));
  ASSERT_TRUE(m_folder.MakeDir(u"sub\\inner"));
  ASSERT_TRUE(m_folder.Write(u"hidden.txt"));
  ::SetFileAttributesW(m_folder.Extended(u"hidden.txt").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  const std::u16string drive = m_folder.Path().substr(0, 3);  // "C:\"
  const struct {
    std::u16string path;
    EntryType type;
  } cases[] = {
      {m_folder.PathOf(u"file.txt"), EntryType::kNonDirectory},
      {m_folder.PathOf(u"hidden.txt"), EntryType::kNonDirectory},
      {m_folder.PathOf(u"sub"), EntryType::kDirectory},
      {m_folder.PathOf(u"sub/inner"), EntryType::kDirectory},
      {m_folder.PathOf(u"sub\\..\\file.txt"), EntryType::kNonDirectory},
      {m_folder.Path(), EntryType::kDirectory},
      {drive, EntryType::kDirectory},
      {m_folder.PathOf(u"missing.txt"), EntryType::kUnreadable},
      {m_folder.PathOf(u"file.txt\\below"), EntryType::kUnreadable},
      {m_folder.PathOf(u"a*b"), EntryType::kUnreadable},
      {m_folder.PathOf(std::u16string(u"file.txt\0x", 10)), EntryType::kUnreadable},
      {u"", EntryType::kUnreadable},
  };
  for (const auto& c : cases) EXPECT_EQ(m_fs.GetEntryType(c.path), c.type) << Utf8(c.path);
}

TEST_F(Win32FileSystemTest, LinksCountByTheirOwnAttributes) {
  ASSERT_TRUE(m_folder.Write(u"target.txt"));
  ASSERT_TRUE(m_folder.MakeDir(u"target"));
  const DWORD unprivileged = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (!::CreateSymbolicLinkW(m_folder.Extended(u"file link").c_str(), L"target.txt", unprivileged))
    GTEST_SKIP() << "symbolic links cannot be made here (Developer Mode or the privilege is off)";
  if (RunningUnderWine() &&
      ::GetFileAttributesW(m_folder.Extended(u"file link").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "Wine reports a symbolic link as made without making it";
  ASSERT_TRUE(::CreateSymbolicLinkW(m_folder.Extended(u"folder link").c_str(), L"target",
                                    unprivileged | SYMBOLIC_LINK_FLAG_DIRECTORY));
  ASSERT_TRUE(
      ::CreateSymbolicLinkW(m_folder.Extended(u"dangling").c_str(), L"nowhere.txt", unprivileged));
  EXPECT_EQ(m_fs.GetEntryType(m_folder.PathOf(u"file link")), EntryType::kNonDirectory);
  EXPECT_EQ(m_fs.GetEntryType(m_folder.PathOf(u"folder link")), EntryType::kDirectory);
  EXPECT_EQ(m_fs.GetEntryType(m_folder.PathOf(u"dangling")), EntryType::kNonDirectory);
}

TEST_F(Win32FileSystemTest, OpensOnlyDirectories) {
  ASSERT_TRUE(m_folder.Write(u"file.txt"));
  ASSERT_TRUE(m_folder.MakeDir(u"フォルダ"));
  ASSERT_TRUE(m_folder.Write(u"フォルダ\\inside.txt"));
  const struct {
    std::u16string path;
    bool opens;
  } cases[] = {
      {m_folder.PathOf(u"フォルダ"), true},   {m_folder.PathOf(u"フォルダ\\"), true},
      {m_folder.PathOf(u"フォルダ/."), true}, {m_folder.PathOf(u"file.txt"), false},
      {m_folder.PathOf(u"missing"), false},   {u"", false},
  };
  for (const auto& c : cases) {
    auto directory = m_fs.OpenDirectory(c.path);
    EXPECT_EQ(directory != nullptr, c.opens) << Utf8(c.path);
    if (directory) {
      EXPECT_NE(directory->LookUpName(u"inside.txt"), NameState::kFree) << Utf8(c.path);
    }
  }
}

TEST_F(Win32FileSystemTest, NameIsFreeOnlyWhenNothingAnswersToIt) {
  ASSERT_TRUE(m_folder.Write(u"taken.jpg"));
  ASSERT_TRUE(m_folder.MakeDir(u"folder"));
  ASSERT_TRUE(m_folder.Write(u"folder\\below.jpg"));
  auto directory = Open();
  const struct {
    std::u16string name;
    bool free;
  } cases[] = {
      {u"free.jpg", true},
      {u"写真_𠮷.jpg", true},
      {u"below.jpg", true},  // only in a sub-folder
      {u"taken.jpg", false},
      {u"TAKEN.JPG", false},  // the same name to Windows
      {u"folder", false},
      // Names that cannot be looked at, or that are not one entry here,
      // are never free.
      {u"a*b.jpg", false},
      {u"a?b.jpg", false},
      {u"folder\\below.jpg", false},
      {u"folder/x.jpg", false},
      {u"taken.jpg:stream", false},
      {u".", false},
      {u"..", false},
      {u"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(directory->LookUpName(c.name) == NameState::kFree, c.free) << Utf8(c.name);
}

struct MoveStep {
  std::u16string from;
  std::u16string to;
  MoveResult result;
};

struct MoveCase {
  const char* name;
  std::vector<std::u16string> files;  // each holds its own name
  std::vector<std::u16string> folders;
  std::vector<MoveStep> steps;
  Contents after;
};

TEST_F(Win32FileSystemTest, MovesNeverReplaceAndCarryTheContent) {
  using enum MoveResult;
  const MoveCase cases[] = {
      {"plain", {u"a.jpg"}, {}, {{u"a.jpg", u"b.jpg", kMoved}}, {{u"b.jpg", "a.jpg"}}},
      {"japanese and beyond the BMP",
       {u"a.jpg"},
       {},
       {{u"a.jpg", u"写真_𠮷_😀.jpg", kMoved}},
       {{u"写真_𠮷_😀.jpg", "a.jpg"}}},
      {"case only",
       {u"photo.jpg"},
       {},
       {{u"photo.jpg", u"PHOTO.Jpg", kMoved}},
       {{u"PHOTO.Jpg", "photo.jpg"}}},
      {"onto a file",
       {u"a.jpg", u"b.jpg"},
       {},
       {{u"a.jpg", u"b.jpg", kFailed}},
       {{u"a.jpg", "a.jpg"}, {u"b.jpg", "b.jpg"}}},
      {"onto a file of another case",
       {u"a.jpg", u"b.jpg"},
       {},
       {{u"a.jpg", u"B.JPG", kFailed}},
       {{u"a.jpg", "a.jpg"}, {u"b.jpg", "b.jpg"}}},
      {"onto a folder",
       {u"a.jpg"},
       {u"b.jpg"},
       {{u"a.jpg", u"b.jpg", kFailed}},
       {{u"a.jpg", "a.jpg"}, {u"b.jpg", "<dir>"}}},
      {"from a missing name",
       {u"a.jpg"},
       {},
       {{u"gone.jpg", u"b.jpg", kFailed}},
       {{u"a.jpg", "a.jpg"}}},
      {"into a sub-folder",
       {u"a.jpg"},
       {u"sub"},
       {{u"a.jpg", u"sub\\a.jpg", kFailed}, {u"a.jpg", u"sub/a.jpg", kFailed}},
       {{u"a.jpg", "a.jpg"}, {u"sub", "<dir>"}}},
      {"into a stream",
       {u"a.jpg", u"b.jpg"},
       {},
       {{u"a.jpg", u"b.jpg:x", kFailed}},
       {{u"a.jpg", "a.jpg"}, {u"b.jpg", "b.jpg"}}},
      {"to an invalid name",
       {u"a.jpg"},
       {},
       {{u"a.jpg", u"a|b.jpg", kFailed}},
       {{u"a.jpg", "a.jpg"}}},
      {"a folder", {}, {u"old"}, {{u"old", u"new", kMoved}}, {{u"new", "<dir>"}}},
      {"a series shifted up",
       {u"1.jpg", u"2.jpg", u"3.jpg"},
       {},
       {{u"1.jpg", u"2.jpg", kFailed},
        {u"3.jpg", u"4.jpg", kMoved},
        {u"2.jpg", u"3.jpg", kMoved},
        {u"1.jpg", u"2.jpg", kMoved}},
       {{u"2.jpg", "1.jpg"}, {u"3.jpg", "2.jpg"}, {u"4.jpg", "3.jpg"}}},
      {"a swap through a temporary name",
       {u"a.jpg", u"b.jpg"},
       {},
       {{u"a.jpg", u"a_tmp0.jpg", kMoved},
        {u"b.jpg", u"a.jpg", kMoved},
        {u"a_tmp0.jpg", u"b.jpg", kMoved}},
       {{u"a.jpg", "b.jpg"}, {u"b.jpg", "a.jpg"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    for (const auto& name : c.files) ASSERT_TRUE(folder.Write(name));
    for (const auto& name : c.folders) ASSERT_TRUE(folder.MakeDir(name));
    auto directory = m_fs.OpenDirectory(folder.Path());
    ASSERT_NE(directory, nullptr);
    for (const auto& step : c.steps)
      EXPECT_EQ(directory->Move(step.from, step.to), step.result)
          << Utf8(step.from) << " -> " << Utf8(step.to);
    directory.reset();
    EXPECT_EQ(folder.Contents(), c.after);
  }
}

TEST_F(Win32FileSystemTest, AFileIsInUseWhileAHandleDeniesDeletion) {
  ASSERT_TRUE(m_folder.Write(u"denies.jpg"));
  ASSERT_TRUE(m_folder.Write(u"shares.jpg"));
  auto directory = Open();
  {
    const Handle denies = m_folder.Hold(u"denies.jpg", FILE_SHARE_READ | FILE_SHARE_WRITE);
    const Handle shares =
        m_folder.Hold(u"shares.jpg", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(denies.IsOpen() && shares.IsOpen());
    EXPECT_EQ(directory->Move(u"denies.jpg", u"moved.jpg"), MoveResult::kInUse);
    EXPECT_EQ(directory->Move(u"denies.jpg", u"DENIES.jpg"), MoveResult::kInUse);
    EXPECT_EQ(directory->Move(u"shares.jpg", u"shared.jpg"), MoveResult::kMoved);
    EXPECT_EQ(m_folder.Contents(),
              (Contents{{u"denies.jpg", "denies.jpg"}, {u"shared.jpg", "shares.jpg"}}));
  }
  EXPECT_EQ(directory->Move(u"denies.jpg", u"moved.jpg"), MoveResult::kMoved);
}

TEST_F(Win32FileSystemTest, TheOpenDirectoryCannotBeRenamedAway) {
  ASSERT_TRUE(m_folder.MakeDir(u"work"));
  ASSERT_TRUE(m_folder.Write(u"work\\a.jpg"));
  {
    auto directory = Open(u"work");
    EXPECT_FALSE(
        ::MoveFileW(m_folder.Extended(u"work").c_str(), m_folder.Extended(u"elsewhere").c_str()));
    ASSERT_TRUE(m_folder.MakeDir(u"elsewhere"));
    ASSERT_TRUE(m_folder.Write(u"elsewhere\\a.jpg", "decoy"));
    EXPECT_EQ(directory->Move(u"a.jpg", u"b.jpg"), MoveResult::kMoved);
  }
  EXPECT_EQ(m_folder.Read(u"work\\b.jpg"), "work\\a.jpg");
  EXPECT_EQ(m_folder.Read(u"elsewhere\\a.jpg"), "decoy");
  EXPECT_TRUE(::MoveFileW(m_folder.Extended(u"work").c_str(), m_folder.Extended(u"w2").c_str()));
}

TEST_F(Win32FileSystemTest, NamesCountInUtf16UnitsUpToTheVolumeLimit) {
  auto directory = Open();
  const NameLimit limit = directory->GetNameLimit();
  EXPECT_EQ(limit.maxBytes, NameLimit::kNoLimit);
  EXPECT_GT(limit.maxUnits, 0u);
  EXPECT_LE(limit.maxUnits, 255u);

  ASSERT_TRUE(m_folder.Write(u"a.jpg"));
  const std::u16string longest(limit.maxUnits, u'x');
  EXPECT_EQ(directory->Move(u"a.jpg", longest + u"x"), MoveResult::kFailed);
  EXPECT_EQ(directory->Move(u"a.jpg", longest), MoveResult::kMoved);

  std::u16string japanese;
  while (japanese.size() + 2 <= limit.maxUnits) japanese += u"𠮷";
  while (japanese.size() < limit.maxUnits) japanese += u"写";
  const MoveResult result = directory->Move(longest, japanese);
  if (result != MoveResult::kMoved && RunningUnderWine())
    GTEST_SKIP() << "Wine stores names as UTF-8 on the host, whose limit counts bytes";
  EXPECT_EQ(result, MoveResult::kMoved);
}

TEST_F(Win32FileSystemTest, WorksBeyondMaxPath) {
  std::u16string deep;
  for (int level = 0; level < 3; ++level) {
    deep += (deep.empty() ? u"" : u"\\") + std::u16string(100, u'd');
    ASSERT_TRUE(m_folder.MakeDir(deep));
  }
  ASSERT_GT(m_folder.PathOf(deep).size(), static_cast<std::size_t>(MAX_PATH));
  ASSERT_TRUE(m_folder.Write(deep + u"\\a.jpg"));

  EXPECT_EQ(m_fs.GetEntryType(m_folder.PathOf(deep + u"\\a.jpg")), EntryType::kNonDirectory);
  auto directory = Open(deep);
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(Listed(*directory), (std::vector<std::u16string>{u".", u"..", u"a.jpg"}));
  EXPECT_EQ(directory->LookUpName(u"b.jpg"), NameState::kFree);
  EXPECT_EQ(directory->Move(u"a.jpg", u"b.jpg"), MoveResult::kMoved);
  EXPECT_EQ(directory->LookUpName(u"b.jpg"), NameState::kTaken);
}

}  // namespace
}  // namespace quillon::testing
