#include "core/name_codec.h"

namespace quillon {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the well-formed sequence starting at bytes[i], or 0 when the byte
// there does not start one. The ranges are those of the Unicode standard's
// table of well-formed UTF-8 byte sequences.
std::size_t WellFormedLength(std::string_view bytes, std::size_t i) {
  const auto at = [&](std::size_t k) -> int {
    return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : -1;
  };
  const int b0 = at(0);
  if (b0 < 0x80) return 1;
  const auto in = [](int b, int lo, int hi) { return b >= lo && b <= hi; };
  if (in(b0, 0xC2, 0xDF)) return in(at(1), 0x80, 0xBF) ? 2 : 0;
  if (b0 == 0xE0) return in(at(1), 0xA0, 0xBF) && in(at(2), 0x80, 0xBF) ? 3 : 0;
  if (in(b0, 0xE1, 0xEC) || b0 == 0xEE || b0 == 0xEF)
    return in(at(1), 0x80, 0xBF) && in(at(2), 0x80, 0xBF) ? 3 : 0;
  if (b0 == 0xED) return in(at(1), 0x80, 0x9F) && in(at(2), 0x80, 0xBF) ? 3 : 0;
  if (b0 == 0xF0)
    return in(at(1), 0x90, 0xBF) && in(at(2), 0x80, 0xBF) && in(at(3), 0x80, 0xBF) ? 4 : 0;
  if (in(b0, 0xF1, 0xF3))
    return in(at(1), 0x80, 0xBF) && in(at(2), 0x80, 0xBF) && in(at(3), 0x80, 0xBF) ? 4 : 0;
  if (b0 == 0xF4)
    return in(at(1), 0x80, 0x8F) && in(at(2), 0x80, 0xBF) && in(at(3), 0x80, 0xBF) ? 4 : 0;
  return 0;
}

void AppendCodePoint(char32_t cp, std::u16string* out) {
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsEscape(char16_t u) {
  return u >= 0xDC80 && u <= 0xDCFF;
}

std::optional<std::string> Encode(std::u16string_view text, bool allowSlash) {
  // Room for the ASCII case only: a short name then stays within the
  // string's own buffer and costs no allocation per move.
  std::string out;
  out.reserve(text.size());
  bool hasEscape = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u == 0 || (u == u'/' && !allowSlash)) return std::nullopt;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        const char32_t cp = 0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        AppendUtf8(cp, &out);
        ++i;
        continue;
      }
      return std::nullopt;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) {
      if (!IsEscape(u)) return std::nullopt;
      out.push_back(static_cast<char>(u - kEscapeBase));
      hasEscape = true;
      continue;
    }
    AppendUtf8(u, &out);
  }
  // Escaped bytes that happen to form valid UTF-8 next to each other, or next
  // to an encoded character, would come back from the disk as other text.
  if (hasEscape && DecodeName(out) != text) return std::nullopt;
  return out;
}

}  // namespace

std::u16string DecodeName(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t n = WellFormedLength(bytes, i);
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
    switch (n) {
      case 1:
        out.push_back(b(0));
        break;
      case 2:
        AppendCodePoint(((b(0) & 0x1F) << 6) | (b(1) & 0x3F), &out);
        break;
      case 3:
        AppendCodePoint(((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F), &out);
        break;
      case 4:
        AppendCodePoint(
            ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F),
            &out);
        break;
      default:
        out.push_back(static_cast<char16_t>(kEscapeBase + b(0)));
        i += 1;
        continue;
    }
    i += n;
  }
  return out;
}

std::optional<std::string> EncodeName(std::u16string_view name) {
  return Encode(name, false);
}

std::optional<std::string> EncodePath(std::u16string_view path) {
  return Encode(path, true);
}

std::size_t EncodedLength(std::u16string_view name) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t u = name[i];
    if (u < 0x80) {
      n += 1;
    } else if (u < 0x800) {
      n += 2;
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
               name[i + 1] <= 0xDFFF) {
      n += 4;
      ++i;
    } else if (IsEscape(u)) {
      n += 1;
    } else {
      n += 3;
    }
  }
  return n;
}

}  // namespace quillon
