#include "core/visible_name.h"

namespace quillon {
namespace {

bool IsDisguising(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendHex(unsigned value, int digits, std::u16string* out) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    out->push_back(kHex[(value >> shift) & 0xF]);
}

}  // namespace

std::u16string VisibleName(std::u16string_view name) {
  std::u16string shown;
  shown.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (IsHighSurrogate(c) && i + 1 < name.size() && IsLowSurrogate(name[i + 1])) {
      shown.push_back(c);
      shown.push_back(name[++i]);
    } else if (IsLowSurrogate(c) && c >= 0xDC80 && c <= 0xDCFF) {
      // A byte the decoder could not read as UTF-8.
      shown.push_back(u'<');
      AppendHex(c - 0xDC00u, 2, &shown);
      shown.push_back(u'>');
    } else if (IsDisguising(c) || IsHighSurrogate(c) || IsLowSurrogate(c) || c == u'<') {
      shown += u"<U+";
      AppendHex(c, 4, &shown);
      shown.push_back(u'>');
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

}  // namespace quillon
