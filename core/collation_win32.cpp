// The collation on Windows: the sort keys of CompareStringEx's tables for
// the system's default locale, then the code units upper-cased as the file system
// compares names.
#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "core/collation.h"

namespace quillon {
namespace {

// Case ignored by the locale's own casing rules, digit runs by value; kana
// type, width and diacritics count, as in the file system's view of which
// names differ.
constexpr DWORD kCollationFlags = NORM_IGNORECASE | SORT_DIGITSASNUMBERS | NORM_LINGUISTIC_CASING;

const wchar_t* AsWide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

// Appends `bytes` so that the result stays in bytewise order and ends where
// it says: 0 becomes 01 01, 1 becomes 01 02, everything else stays, and a 0
// ends it. Windows's sort keys end in a 0 and hold none inside as far as
// documented, but the key must delimit itself whatever a system's tables
// produce.
void AppendEscaped(const std::vector<std::uint8_t>& bytes, std::size_t size, std::string* key) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = bytes[i];
    if (b <= 1) {
      key->push_back('\x01');
      key->push_back(static_cast<char>(b + 1));
    } else {
      key->push_back(static_cast<char>(b));
    }
  }
  key->push_back('\0');
}

// The upper case of every unit, from LCMapStringEx without linguistic
// casing: the system's file-system casing, the table that
// CompareStringOrdinal uses when it ignores case and that NTFS applies to
// names. Not CharUpperBuffW, which follows the user's language (a Turkish
// user's 'i' would become U+0130, which the file system does not do). One
// table for the whole process, built on first use with a few calls, so that
// hashing names costs no system call per unit.
class UpperTable {
 public:
  UpperTable() {
    for (std::size_t u = 0; u < m_upper.size(); ++u) m_upper[u] = static_cast<char16_t>(u);
    // Surrogates have no case and are left out, so that no call ever sees
    // a lone one.
    MapRange(0x0000, 0xD800);
    MapRange(0xE000, 0x10000);
  }
  char16_t operator[](char16_t u) const { return m_upper[u]; }

 private:
  void MapRange(std::size_t begin, std::size_t end) {
    const int count = static_cast<int>(end - begin);
    std::vector<wchar_t> mapped(end - begin);
    const int done = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE,
                                     reinterpret_cast<const wchar_t*>(&m_upper[begin]), count,
                                     mapped.data(), count, nullptr, nullptr, 0);
    if (done == count) {
      for (std::size_t i = 0; i < mapped.size(); ++i)
        m_upper[begin + i] = static_cast<char16_t>(mapped[i]);
      return;
    }
    // The mapping is one unit to one unit; should a system answer otherwise
    // for the whole range, each unit is asked alone and keeps itself where
    // its answer is not a single unit.
    for (std::size_t u = begin; u < end; ++u) {
      const wchar_t unit = static_cast<wchar_t>(u);
      wchar_t upper = unit;
      if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &unit, 1, &upper, 1, nullptr,
                          nullptr, 0) == 1)
        m_upper[u] = static_cast<char16_t>(upper);
    }
  }

  std::array<char16_t, 0x10000> m_upper;
};

}  // namespace

struct NameCollator::Platform {
  const wchar_t* locale = LOCALE_NAME_INVARIANT;
  std::wstring name;
  bool usable = true;
};

NameCollator::NameCollator(std::unique_ptr<Platform> platform) : m_platform(std::move(platform)) {}

NameCollator::NameCollator(const std::string& locale) : m_platform(std::make_unique<Platform>()) {
  // Locale names are ASCII ("ja-JP", "de-DE").
  m_platform->name.assign(locale.begin(), locale.end());
  m_platform->locale = m_platform->name.c_str();
  if (!locale.empty()) m_platform->usable = ::IsValidLocaleName(m_platform->locale) != FALSE;
}

NameCollator::~NameCollator() = default;

const NameCollator& NameCollator::Default() {
  // The names of one directory are ordered alike for every user of the
  // machine: by the system's default locale, not by the user's. It is asked
  // for by its name, since Wine does not take the "!x-sys-default-locale"
  // alias that Windows knows; both mean the same locale.
  static const NameCollator collator([] {
    auto platform = std::make_unique<Platform>();
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (::GetSystemDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0) {
      platform->name = name;
      platform->locale = platform->name.c_str();
    } else {
      platform->locale = LOCALE_NAME_SYSTEM_DEFAULT;
    }
    return platform;
  }());
  return collator;
}

void NameCollator::AppendCollationKey(std::u16string_view name, std::string* key) const {
  if (!m_platform->usable) return;
  const DWORD flags = LCMAP_SORTKEY | kCollationFlags;
  const int length = static_cast<int>(name.size());
  int size = 0;
  std::vector<std::uint8_t> bytes(64 + 4 * name.size());
  if (length > 0) {
    // For a sort key the destination counts bytes, not units.
    size = ::LCMapStringEx(m_platform->locale, flags, AsWide(name), length,
                           reinterpret_cast<wchar_t*>(bytes.data()), static_cast<int>(bytes.size()),
                           nullptr, nullptr, 0);
    if (size == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      const int needed = ::LCMapStringEx(m_platform->locale, flags, AsWide(name), length, nullptr,
                                         0, nullptr, nullptr, 0);
      bytes.resize(static_cast<std::size_t>(needed > 0 ? needed : 0));
      size = ::LCMapStringEx(m_platform->locale, flags, AsWide(name), length,
                             reinterpret_cast<wchar_t*>(bytes.data()), needed, nullptr, nullptr, 0);
    }
  }
  // The key's own terminating 0 is left to the escaping. A name the call
  // cannot map (or the empty one) gets an empty collation part, so that it
  // is ordered by its upper-cased units among the others.
  std::size_t used = size > 0 ? static_cast<std::size_t>(size) : 0;
  if (used > 0 && bytes[used - 1] == 0) --used;
  AppendEscaped(bytes, used, key);
}

char16_t UpperCaseUnit(char16_t unit) {
  static const UpperTable table;
  return table[unit];
}

}  // namespace quillon
