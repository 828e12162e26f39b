// The run journals' store on a real folder of the temporary directory: a
// journal is held by its object alone, claimed by another only once let go,
// and leaves nothing behind once removed.
#include "platform/win32/win32_journal_store.h"

#include <windows.h>
// The headers below need <windows.h> first.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <map>
#include <string>

#include "tests/win32/win32_test_support.h"

namespace quillon::testing {
namespace {

using Contents = std::map<std::u16string, std::string>;

// The security id of the user this process runs as.
std::string CurrentUser() {
  HANDLE token = nullptr;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
  std::string user(256, '\0');
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &size);
  ::CloseHandle(token);
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  return std::string(static_cast<const char*>(sid), ::GetLengthSid(sid));
}

// The only entry of the store's folder, whatever its name.
std::u16string OnlyName(const Contents& contents) {
  return contents.size() == 1 ? contents.begin()->first : u"";
}

TEST(Win32JournalStoreTest, AJournalIsHeldByItsObjectAloneAndClaimedOnceLetGo) {
  TempFolder folder;
  // The folder is made with the first journal, parents included.
  Win32JournalStore store(folder.PathOf(u"Local\\Quillon"));
  EXPECT_TRUE(store.ClaimAbandoned().empty());
  auto journal = store.Create();
  ASSERT_NE(journal, nullptr);
  // More than one piece of reading and writing.
  const std::string large(3u << 20, 'j');
  ASSERT_TRUE(journal->Append("header;"));
  ASSERT_TRUE(journal->Append(large));
  ASSERT_TRUE(journal->Sync());
  EXPECT_EQ(journal->ReadAll(), "header;" + large);
  const std::u16string name = OnlyName(folder.Contents(u"Local\\Quillon"));
  ASSERT_TRUE(name.ends_with(u".journal")) << Utf8(name);

  // While held, neither another store nor any other handle opens it.
  Win32JournalStore other(folder.PathOf(u"Local\\Quillon"));
  EXPECT_TRUE(other.ClaimAbandoned().empty());
  EXPECT_FALSE(
      folder.Hold(u"Local\\Quillon\\" + name, FILE_SHARE_READ | FILE_SHARE_WRITE).IsOpen());
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  // Let go without removal, as a process that ended does: the next claims it
  // whole, holds it in turn, and appends after what was there.
  journal.reset();
  auto claimed = other.ClaimAbandoned();
  ASSERT_EQ(claimed.size(), 1u);
  EXPECT_TRUE(store.ClaimAbandoned().empty());
  EXPECT_EQ(claimed[0]->ReadAll(), "header;" + large);
  ASSERT_TRUE(claimed[0]->Append("more"));
  EXPECT_EQ(claimed[0]->ReadAll(), "header;" + large + "more");

  // Removed while held: gone at once, and nothing else was left.
  EXPECT_TRUE(claimed[0]->Remove());
  EXPECT_EQ(folder.Contents(u"Local\\Quillon"), Contents{});
  EXPECT_TRUE(store.ClaimAbandoned().empty());
  EXPECT_FALSE(claimed[0]->Append("late"));
}

TEST(Win32JournalStoreTest, OnlyJournalsNoHandleHoldsAreClaimed) {
  TempFolder folder;
  ASSERT_TRUE(folder.Write(u"run-1.journal", "abandoned"));
  ASSERT_TRUE(folder.Write(u"run-2.journal", "held by another program"));
  ASSERT_TRUE(folder.Write(u".run-3.journal", "hidden by its name"));
  ASSERT_TRUE(folder.Write(u"notes.txt", "not a journal"));
  ASSERT_TRUE(folder.MakeDir(u"run-4.journal"));
  const Handle held = folder.Hold(u"run-2.journal", FILE_SHARE_READ);
  ASSERT_TRUE(held.IsOpen());

  Win32JournalStore store(folder.Path());
  const auto claimed = store.ClaimAbandoned();
  ASSERT_EQ(claimed.size(), 1u);
  EXPECT_EQ(claimed[0]->ReadAll(), "abandoned");
}

TEST(Win32JournalStoreTest, NoJournalWhereTheFolderCannotBeMade) {
  TempFolder folder;
  ASSERT_TRUE(folder.Write(u"file"));
  const std::u16string unusable[] = {
      u"",
      folder.PathOf(u"file"),               // a file in the folder's place
      folder.PathOf(u"file\\Quillon"),      // below a file
      folder.PathOf(u"bad*name\\Quillon"),  // a name no folder can have
  };
  for (const auto& path : unusable) {
    Win32JournalStore store(path);
    EXPECT_EQ(store.Create(), nullptr) << Utf8(path);
    EXPECT_TRUE(store.ClaimAbandoned().empty()) << Utf8(path);
  }
  EXPECT_EQ(folder.Contents(), (Contents{{u"file", "file"}}));
}

TEST(Win32JournalStoreTest, TheFolderMadeIsTheUsersAlone) {
  TempFolder folder;
  Win32JournalStore store(folder.PathOf(u"Quillon"));
  ASSERT_NE(store.Create(), nullptr);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL acl = nullptr;
  ASSERT_EQ(::GetNamedSecurityInfoW(folder.Extended(u"Quillon").c_str(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                                    &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ::GetSecurityDescriptorControl(descriptor, &control, &revision);
  ACL_SIZE_INFORMATION size{};
  ::GetAclInformation(acl, &size, sizeof size, AclSizeInformation);
  void* ace = nullptr;
  const bool userAlone =
      size.AceCount == 1 && ::GetAce(acl, 0, &ace) &&
      ::EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, CurrentUser().data());
  const bool isProtected = (control & SE_DACL_PROTECTED) != 0;
  ::LocalFree(descriptor);
  if (RunningUnderWine() && !isProtected) {
    GTEST_SKIP() << "Wine keeps no access list of a folder; it sets the host's mode bits from it";
  }
  EXPECT_TRUE(isProtected);
  EXPECT_TRUE(userAlone);
}

}  // namespace
}  // namespace quillon::testing
