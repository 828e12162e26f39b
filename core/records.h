// The records that carry file names through the system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// One maximal run of a name: either ASCII digits '0'..'9' only, or any other
// characters (full-width digits are text).
struct NameToken {
  bool isNumber = false;
  std::u16string_view text;  // a view into the name the token was cut from
  std::int32_t length = 0;
  std::int32_t leadingZeros = 0;       // digit runs: '0's before the first other digit
  std::int32_t significantDigits = 0;  // digit runs: length - leadingZeros
};

// One listed file (a row of the list).
// Its parts view its own m_name, so it is never copied or moved; it lives
// behind a shared pointer from creation on. A row holds its name once: the
// parts are views and the tokens are cut when they are needed, which keeps
// a million rows within a few hundred bytes each.
class CFileNameX {
 public:
  explicit CFileNameX(std::u16string name);
  CFileNameX(const CFileNameX&) = delete;
  CFileNameX& operator=(const CFileNameX&) = delete;

  std::u16string m_name;       // without directory, exactly as dropped
  std::u16string_view m_base;  // m_name before its last '.'
  std::u16string_view m_ext;   // from the last '.' (included), or empty

  // The digit and text runs of m_name, viewing it.
  std::vector<NameToken> Tokens() const;
};

// Cuts a name into its digit and text runs; the tokens view `name`.
std::vector<NameToken> TokenizeName(std::u16string_view name);

// A file parked under a temporary name until its final move.
struct TMPRENAMEITEM {
  std::int32_t index;
  std::u16string tmpName;
  std::u16string newName;
};

}  // namespace quillon
