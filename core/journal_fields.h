// The fields of the run journal's records: little-endian numbers, byte
// strings and names, each record framed with its length and CRC-32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace quillon::journal {

// CRC-32 with the polynomial of zlib and PNG.
std::uint32_t Crc32(std::string_view bytes);

// Little-endian fields, and names as UTF-8 that also carries lone
// surrogates (the names of bytes that are not UTF-8), so that every name
// round-trips exactly.
class Writer {
 public:
  // The record's frame (its length and sum) is filled in by Framed().
  explicit Writer(std::uint8_t tag) : m_bytes(8, '\0') {
    m_bytes.push_back(static_cast<char>(tag));
  }
  void U8(std::uint8_t v) { m_bytes.push_back(static_cast<char>(v)); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<char>(v >> (8 * i)));
  }
  void U64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) m_bytes.push_back(static_cast<char>(v >> (8 * i)));
  }
  void Bytes(std::string_view bytes) {
    U32(static_cast<std::uint32_t>(bytes.size()));
    m_bytes.append(bytes);
  }
  void Name(std::u16string_view name) {
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + 4 + 3 * name.size());
    char* out = m_bytes.data() + at + 4;
    for (std::size_t i = 0; i < name.size(); ++i) {
      std::uint32_t c = name[i];
      if (c < 0x80) {
        *out++ = static_cast<char>(c);
        continue;
      }
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
          name[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
      }
      out = Put(out, c);
    }
    const auto size = static_cast<std::uint32_t>(out - (m_bytes.data() + at + 4));
    m_bytes.resize(at + 4 + size);
    for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<char>(size >> (8 * i));
  }
  std::size_t Size() const { return m_bytes.size() - 8; }
  // The payload alone, as FrameRecord takes it.
  std::string_view Payload() const { return std::string_view(m_bytes).substr(8); }
  // Sets the byte at `at` of the payload.
  void Patch(std::size_t at, char byte) { m_bytes[8 + at] = byte; }
  // The whole record, framed in place.
  std::string Framed() && {
    const std::string_view payload = Payload();
    const auto size = static_cast<std::uint32_t>(payload.size());
    const std::uint32_t sum = Crc32(payload);
    for (int i = 0; i < 4; ++i) {
      m_bytes[i] = static_cast<char>(size >> (8 * i));
      m_bytes[4 + i] = static_cast<char>(sum >> (8 * i));
    }
    return std::move(m_bytes);
  }

 private:
  // A code point as one to four bytes; a pair of surrogates is one point,
  // a lone one three bytes of its own.
  static char* Put(char* out, std::uint32_t c) {
    if (c < 0x800) {
      *out++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (c >> 12));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      *out++ = static_cast<char>(0xF0 | (c >> 18));
      *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
    return out;
  }

  std::string m_bytes;
};

// Reads what Writer wrote; any field that runs past the record or does not
// decode makes the reader fail, and it stays failed.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
  bool Ok() const { return m_ok; }
  bool AtEnd() const { return m_ok && m_at == m_bytes.size(); }
  std::size_t Left() const { return m_bytes.size() - m_at; }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Fixed(1)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Fixed(4)); }
  std::uint64_t U64() { return Fixed(8); }
  std::string_view Bytes() {
    const std::uint32_t size = U32();
    if (!m_ok || size > Left()) return Fail();
    const std::string_view bytes = m_bytes.substr(m_at, size);
    m_at += size;
    return bytes;
  }
  std::u16string Name() {
    const std::string_view utf8 = Bytes();
    std::u16string name;
    name.reserve(utf8.size());
    for (std::size_t i = 0; m_ok && i < utf8.size();) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      const int length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 0;
      if (length == 0 || i + length > utf8.size()) return Fail(), std::u16string();
      std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
      for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) return Fail(), std::u16string();
        c = (c << 6) | (next & 0x3F);
      }
      i += length;
      if (c >= 0x110000) return Fail(), std::u16string();
      if (c >= 0x10000) {
        name.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        name.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        name.push_back(static_cast<char16_t>(c));
      }
    }
    return name;
  }

 private:
  std::uint64_t Fixed(int size) {
    if (!m_ok || Left() < static_cast<std::size_t>(size)) return Fail(), 0;
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i)
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_bytes[m_at + i])) << (8 * i);
    m_at += static_cast<std::size_t>(size);
    return v;
  }
  std::string_view Fail() {
    m_ok = false;
    return {};
  }

  std::string_view m_bytes;
  std::size_t m_at = 0;
  bool m_ok = true;
};

}  // namespace quillon::journal
