// The dates port on Windows, on files of a scratch folder: the modification
// time of what is there with the local offset, never a capture time in a
// file that is no photo, and nothing for what is not one entry there.
#include "platform/win32/win32_file_dates.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/win32/win32_test_support.h"

namespace quillon {
namespace {

using testing::Handle;
using testing::TempFolder;

// 2021-06-15 12:00:00.25 UTC, in microseconds since 1970.
constexpr std::int64_t kModified = 1'623'758'400'250'000;

// COM on the test's thread, as the window has it on its own.
class ComForTest {
 public:
  ComForTest() : m_ready(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComForTest() {
    if (m_ready) ::CoUninitialize();
  }
  bool Ready() const { return m_ready; }

 private:
  bool m_ready;
};

bool SetModified(const TempFolder& folder, std::u16string_view name) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder too.
  Handle entry(::CreateFileW(folder.Extended(name).c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  const std::uint64_t ticks = kModified * 10 + 116'444'736'000'000'000;
  const FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  return entry.IsOpen() && ::SetFileTime(entry.Get(), nullptr, nullptr, &time);
}

TEST(Win32FileDates, ModificationTimeAndNoCaptureTimeWhereNoPhotoIs) {
  const ComForTest com;
  ASSERT_TRUE(com.Ready());
  TempFolder folder;
  ASSERT_TRUE(folder.Write(u"notes.txt", "2023:04:05 06:07:08"));
  ASSERT_TRUE(folder.Write(u"写真メモ.jpg", "not a JPEG at all"));
  ASSERT_TRUE(folder.Write(u"empty.jpg", std::string(1, '\0')));
  ASSERT_TRUE(folder.MakeDir(u"folder.jpg"));
  struct Case {
    std::u16string name;
    bool there;
  };
  const std::vector<Case> cases = {
      {u"notes.txt", true},    {u"写真メモ.jpg", true},
      {u"empty.jpg", true},    {u"folder.jpg", true},
      {u"missing.jpg", false}, {u"folder.jpg\\..\\notes.txt", false},
      {u"notes.txt:x", false}, {u"", false},
  };
  Win32FileDateReader reader;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Utf8(c.name));
    if (c.there) {
      ASSERT_TRUE(SetModified(folder, c.name));
    }
    const FileDates dates = reader.Read(folder.Path(), c.name);
    EXPECT_FALSE(dates.taken);
    ASSERT_EQ(dates.modified.has_value(), c.there);
    if (!c.there) continue;
    ASSERT_TRUE(dates.modified->offsetSeconds);
    // Whatever this machine's zone, the wall clock less its offset is the
    // instant the file was given.
    EXPECT_EQ(dates.modified->Instant(), kModified);
  }
}

}  // namespace
}  // namespace quillon
