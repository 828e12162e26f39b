// Numbers for names: two names get the same number exactly when CompareNames
// says they are the same name. Counting and matching names by these numbers
// costs a hash of the upper-cased code units per name; the collator is asked
// only about two different spellings of the same upper-cased units (a.txt
// and A.TXT, or s and ſ), which are rare.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/collation.h"

namespace quillon {

class NameNumbering {
 public:
  // Gives the k-th name added (k = 0, 1, ...). The numbering keeps no copy
  // or view of its own: the names stay where the caller holds them.
  using NameAt = std::function<std::u16string_view(std::int32_t k)>;

  explicit NameNumbering(NameAt nameAt, const NameCollator& collator = NameCollator::Default());

  // Room for this many names without growing.
  void Reserve(std::size_t names);

  // Adds the next name, nameAt(Count()), and returns its number: that of an
  // earlier name that is the same name, or else a new one. Numbers are
  // below Count(), but not every number below it is used.
  std::int32_t Add(std::u16string_view name);

  // The number of an added name that is the same name, or -1. Adds nothing;
  // the text need not outlive the call.
  std::int32_t Find(std::u16string_view name) const;

  // How many names have been added.
  std::int32_t Count() const { return m_added; }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::int32_t first = -1;  // the first name of its kind, which is its number; -1: empty
  };

  // The slot of `name`'s kind, or the empty slot where it belongs.
  std::size_t Probe(std::u16string_view name, std::uint32_t hash) const;
  void Grow();

  NameAt m_nameAt;
  const NameCollator& m_collator;
  std::vector<Slot> m_slots;  // open addressing, a power of two, at most half full
  std::int32_t m_added = 0;
  std::int32_t m_kinds = 0;
};

}  // namespace quillon
