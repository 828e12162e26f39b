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
  void SetUp() override {
    // A clipboard emptied without an owner window takes no data.
    m_owner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(m_owner, nullptr);
  }
  void TearDown() override { ::DestroyWindow(m_owner); }

  // Places a block of exactly these bytes, as another program might.
  bool PlaceRaw(const std::string& bytes) {
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!global) return false;
    std::memcpy(::GlobalLock(global), bytes.data(), bytes.size());
    ::GlobalUnlock(global);
    m_rawSize = ::GlobalSize(global);
    const bool placed = ::OpenClipboard(m_owner) && ::EmptyClipboard() &&
                        ::SetClipboardData(CF_UNICODETEXT, global);
    ::CloseClipboard();
    if (!placed) ::GlobalFree(global);
    return placed;
  }

  HWND m_owner = nullptr;
  SIZE_T m_rawSize = 0;
};

TEST_F(ClipboardTest, TextComesBackUpToItsFirstNul) {
  struct Case {
    std::u16string written;
    std::u16string read;
  };
  const Case cases[] = {
      {u"写真_001.jpg\r\n𠮷野家.txt\r\n", u"写真_001.jpg\r\n𠮷野家.txt\r\n"},
      {u"", u""},
      {std::u16string(u"before\0after", 12), u"before"},
      {std::u16string(100000, u'あ'), std::u16string(100000, u'あ')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.read.substr(0, 20)));
    ASSERT_TRUE(SetClipboardUnicodeText(m_owner, c.written));
    EXPECT_TRUE(HasClipboardUnicodeText());
    EXPECT_EQ(ClipboardUnicodeText(m_owner), c.read);
  }
}

TEST_F(ClipboardTest, ReadsNoFurtherThanTheBlockWithoutTerminator) {
  // Three units and a stray byte, no U+0000 anywhere.
  ASSERT_TRUE(PlaceRaw(std::string("a\0b\0c\0\x7f", 7)));
  if (m_rawSize != 7) GTEST_SKIP() << "the system rounded the block up to " << m_rawSize;
  EXPECT_EQ(ClipboardUnicodeText(m_owner), u"abc");
}

TEST_F(ClipboardTest, NoTextIsNone) {
  ASSERT_TRUE(::OpenClipboard(m_owner));
  ::EmptyClipboard();
  ::CloseClipboard();
  EXPECT_FALSE(HasClipboardUnicodeText());
  EXPECT_EQ(ClipboardUnicodeText(m_owner), std::nullopt);
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
  ASSERT_EQ(::WaitForSingleObject(opened, 60000), WAIT_OBJECT_0);
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
