#include "win32/win32_clipboard.h"

#include <cstring>
#include <cwchar>
#include <limits>

namespace quillon {
namespace {

// Another program may hold the clipboard for a moment (a clipboard manager
// copies every new content as soon as it appears); a few short tries get
// past that, a program that keeps it open is reported as failure.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenPauseMs = 20;

// The clipboard opened for one operation, closed when it goes.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts && !m_open; ++attempt) {
      if (attempt > 0) ::Sleep(kOpenPauseMs);
      m_open = ::OpenClipboard(owner) != 0;
    }
  }
  ~OpenedClipboard() {
    if (m_open) ::CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool IsOpen() const { return m_open; }

 private:
  bool m_open = false;
};

// Movable global memory holding the text and its terminating U+0000; null
// when it cannot be had.
HGLOBAL CopyToGlobal(std::u16string_view text) {
  if (text.size() >= std::numeric_limits<SIZE_T>::max() / sizeof(char16_t)) return nullptr;
  const SIZE_T bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!global) return nullptr;
  void* target = ::GlobalLock(global);
  if (!target) {
    ::GlobalFree(global);
    return nullptr;
  }
  std::memcpy(target, text.data(), text.size() * sizeof(char16_t));
  ::GlobalUnlock(global);
  return global;
}

}  // namespace

bool SetClipboardUnicodeText(HWND owner, std::u16string_view text) {
  HGLOBAL global = CopyToGlobal(text);
  if (!global) return false;
  {
    OpenedClipboard clipboard(owner);
    if (clipboard.IsOpen() && ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, global))
      return true;  // the clipboard owns the memory now
  }
  ::GlobalFree(global);
  return false;
}

std::optional<std::u16string> ClipboardUnicodeText(HWND owner) {
  OpenedClipboard clipboard(owner);
  if (!clipboard.IsOpen()) return std::nullopt;
  // The clipboard's memory: locked, read and unlocked here, never freed.
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (!data) return std::nullopt;
  // Whatever put the text there may have left out the terminator: the
  // block's own size is the limit.
  const SIZE_T units = ::GlobalSize(data) / sizeof(char16_t);
  const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
  if (!text) return std::nullopt;
  const std::size_t length = ::wcsnlen(text, units);
  std::u16string result(reinterpret_cast<const char16_t*>(text), length);
  ::GlobalUnlock(data);
  return result;
}

bool HasClipboardUnicodeText() {
  return ::IsClipboardFormatAvailable(CF_UNICODETEXT) != 0;
}

}  // namespace quillon
