#include "core/name_numbering.h"

namespace quillon {
namespace {

// The same upper-casing as the comparison's tie-break, UpperCaseUnit; ASCII,
// the common case, without a call into the platform's tables.
char16_t UpperUnit(char16_t u) {
  if (u < 0x80) return u >= u'a' && u <= u'z' ? static_cast<char16_t>(u - 0x20) : u;
  return UpperCaseUnit(u);
}

// FNV-1a over the upper-cased units: names that can be the same name hash
// alike, since being the same name requires equal upper-cased units.
std::uint32_t UpperHash(std::u16string_view name) {
  std::uint32_t hash = 2166136261u;
  for (char16_t u : name) {
    hash = (hash ^ UpperUnit(u)) * 16777619u;
  }
  return hash;
}

bool SameUpperUnits(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && UpperUnit(a[i]) != UpperUnit(b[i])) return false;
  return true;
}

constexpr std::size_t kInitialSlots = 64;

}  // namespace

NameNumbering::NameNumbering(NameAt nameAt, const NameCollator& collator)
    : m_nameAt(std::move(nameAt)), m_collator(collator) {
  m_slots.resize(kInitialSlots);
}

void NameNumbering::Reserve(std::size_t names) {
  while (m_slots.size() < 2 * names) Grow();
}

std::size_t NameNumbering::Probe(std::u16string_view name, std::uint32_t hash) const {
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = m_slots[at];
    if (slot.first < 0) return at;
    if (slot.hash != hash) continue;
    const std::u16string_view first = m_nameAt(slot.first);
    if (first == name) return at;
    // Equal upper-cased units are the tie-break's half of being the same
    // name; the collation's half is asked only for differing spellings.
    if (SameUpperUnits(first, name) && m_collator.Compare(first, name) == 0) return at;
  }
}

void NameNumbering::Grow() {
  std::vector<Slot> old(m_slots.size() * 2);
  old.swap(m_slots);
  const std::size_t mask = m_slots.size() - 1;
  for (const Slot& slot : old) {
    if (slot.first < 0) continue;
    std::size_t at = slot.hash & mask;
    while (m_slots[at].first >= 0) at = (at + 1) & mask;
    m_slots[at] = slot;
  }
}

std::int32_t NameNumbering::Add(std::u16string_view name) {
  if (2 * (static_cast<std::size_t>(m_kinds) + 1) > m_slots.size()) Grow();
  const std::uint32_t hash = UpperHash(name);
  Slot& slot = m_slots[Probe(name, hash)];
  if (slot.first < 0) {
    slot.hash = hash;
    slot.first = m_added;
    ++m_kinds;
  }
  ++m_added;
  return slot.first;
}

std::int32_t NameNumbering::Find(std::u16string_view name) const {
  return m_slots[Probe(name, UpperHash(name))].first;
}

}  // namespace quillon
