// The text clipboard, on the system's real clipboard (the Wine prefix's own
// when run under Wine).
#include "win32/win32_clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "tests/win32/win32_test_support.h"

namespace quillon::testing {
namespace {

class ClipboardTest : public ::testing::Test {
 protected:
  // A clipboard emptied without an owner window takes no data.
  void SetUp() override {
    m_owner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 9, 9, HWND_MESSAGE, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(m_owner, nullptr);
  }
  void TearDown() override { ::DestroyWindow(m_owner); }
  HWND m_owner = nullptr;
};

TEST_F(ClipboardTest, TextComesBackUpToItsFirstNul) {
  const std::u16string cases[][2] = {
      {u"写真_001.jpg\r\n𠮷野家.txt\r\n", u"写真_001.jpg\r\n𠮷野家.txt\r\n"},
      {u"", u""},
      {std::u16string(u"before\0after", 12), u"before"},
      {std::u16string(100000, u'あ'), std::u16string(100000, u'あ')},
  };
  for (const auto& [written, read] : cases) {
    SCOPED_TRACE(Utf8(read.substr(0, 20)));
    ASSERT_TRUE(SetClipboardUnicodeText(m_owner, written));
    EXPECT_TRUE(HasClipboardUnicodeText());
    EXPECT_EQ(ClipboardUnicodeText(m_owner), read);
  }
}

TEST_F(ClipboardTest, ForeignBlocksAreReadWithinTheirSize) {
  // No text at all; then three units and a stray byte without any U+0000.
  for (const std::string& bytes : {std::string(), std::string("a\0b\0c\0\x7f", 7)}) {
    ASSERT_TRUE(::OpenClipboard(m_owner) && ::EmptyClipboard());
    SIZE_T size = 0;
    if (!bytes.empty()) {
      HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
      std::memcpy(::GlobalLock(global), bytes.data(), bytes.size());
      ::GlobalUnlock(global);
      size = ::GlobalSize(global);
      EXPECT_NE(::SetClipboardData(CF_UNICODETEXT, global), nullptr);
    }
    ::CloseClipboard();
    EXPECT_EQ(HasClipboardUnicodeText(), !bytes.empty());
    // A block the system rounded up cannot show the reading stops at its end.
    if (bytes.empty() || size == bytes.size()) {
      EXPECT_EQ(ClipboardUnicodeText(m_owner),
                bytes.empty() ? std::nullopt : std::optional<std::u16string>(u"abc"));
    }
  }
}

TEST_F(ClipboardTest, ClipboardHeldByAnotherThreadIsAFailure) {
  ASSERT_TRUE(SetClipboardUnicodeText(m_owner, u"kept"));
  HANDLE opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    const BOOL held = ::OpenClipboard(nullptr);
    ::SetEvent(opened);
    ::WaitForSingleObject(release, INFINITE);
    if (held) ::CloseClipboard();
  });
  EXPECT_EQ(::WaitForSingleObject(opened, 60000), WAIT_OBJECT_0);
  EXPECT_FALSE(SetClipboardUnicodeText(m_owner, u"lost"));
  EXPECT_EQ(ClipboardUnicodeText(m_owner), std::nullopt);
  ::SetEvent(release);
  holder.join();
  ::CloseHandle(opened);
  ::CloseHandle(release);
  EXPECT_EQ(ClipboardUnicodeText(m_owner), u"kept");
}

}  // namespace
}  // namespace quillon::testing
