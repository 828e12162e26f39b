// Numbers for names: two names get the same number exactly when CompareNames
// says they are the same name. Counting and matching names by these numbers
// costs a hash of the upper-cased code units per name; the collator is asked
// only about two different spellings of the same upper-cased units (a.txt
// and A.TXT, or s and ſ), which are rare.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "intake/collation.h"

namespace quillon {

class NameNumbering {
 public:
  explicit NameNumbering(const NameCollator& collator = NameCollator::Default());

  // Room for this many different names without growing.
  void Reserve(std::size_t names);

  // The number of `name`: that of an earlier name that is the same name, or
  // else the next free number (Count() before the call). The text must stay
  // valid for as long as the numbering is used.
  std::int32_t Add(std::u16string_view name);

  // The number of an added name that is the same name, or -1. Adds nothing;
  // the text need not outlive the call.
  std::int32_t Find(std::u16string_view name) const;

  // How many different names have been numbered.
  std::int32_t Count() const { return static_cast<std::int32_t>(m_first.size()); }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::int32_t number = -1;  // -1: empty
  };

  // The slot holding `name`'s number, or the empty slot where it belongs.
  std::size_t Probe(std::u16string_view name, std::uint32_t hash) const;
  void Grow();

  const NameCollator& m_collator;
  std::vector<Slot> m_slots;                  // open addressing, a power of two
  std::vector<std::u16string_view> m_first;   // the first spelling per number
};

}  // namespace quillon
