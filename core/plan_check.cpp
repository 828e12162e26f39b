// The check of a rename plan against one listing of the directory.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/quillon_dlg.h"
#include "intake/collation.h"

namespace quillon {
namespace {

// A name reduced to its comparison key: keys order and match exactly as
// CompareNames does, so the sorts and the merge below compare bytes and never
// call the collator.
struct KeyedName {
  std::string_view key;
  std::int32_t index;  // row in the sources or targets; -1 for a listing entry
};

bool KeyLess(const KeyedName& a, const KeyedName& b) {
  return a.key < b.key;
}

// The keys of every name of a call, kept in one buffer: a directory of
// 100 000 entries then costs a handful of allocations instead of one per key.
class KeyBuffer {
 public:
  explicit KeyBuffer(const NameCollator& collator) : m_collator(collator) {}

  // Room for the keys of these names, so that the buffer is not copied while
  // it grows: a large block that is reserved but never written costs address
  // space, not memory.
  void Reserve(const std::vector<std::u16string>& listing,
               const std::vector<std::u16string>& sources,
               const std::vector<std::u16string>& targets) {
    std::size_t units = 0;
    std::size_t count = 0;
    for (const auto* names : {&listing, &sources, &targets}) {
      count += names->size();
      for (const auto& name : *names) units += name.size();
    }
    m_bytes.reserve(units * 8 + count * 16);
    m_ends.reserve(count);
  }

  // Returns the position of the key among all keys added so far.
  std::size_t Add(std::u16string_view name) {
    m_collator.AppendKey(name, &m_bytes);
    m_ends.push_back(m_bytes.size());
    return m_ends.size() - 1;
  }

  // Valid until the next Add.
  std::string_view KeyAt(std::size_t position) const {
    const std::size_t begin = position == 0 ? 0 : m_ends[position - 1];
    return std::string_view(m_bytes).substr(begin, m_ends[position] - begin);
  }

 private:
  const NameCollator& m_collator;
  std::string m_bytes;
  std::vector<std::size_t> m_ends;
};

std::vector<std::u16string> ListDirectory(FileSystem& fileSystem, std::u16string_view directory) {
  std::vector<std::u16string> names;
  // A directory that cannot be opened lists as empty, so every source is
  // reported missing; one that stops early keeps the entries read so far.
  if (auto handle = fileSystem.OpenDirectory(directory)) handle->List(&names);
  return names;
}

}  // namespace

bool CQuillonDlg::CheckRenamePlan(const std::vector<std::u16string>& sources,
                                  const std::vector<std::u16string>& targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing) {
  duplicates->clear();
  missing->clear();

  std::vector<std::u16string> listing = ListDirectory(m_fileSystem, m_directory);
  const std::size_t listingSize = listing.size();

  KeyBuffer keys(NameCollator::Default());
  keys.Reserve(listing, sources, targets);
  for (const auto& name : listing) keys.Add(name);
  // Only the keys of the listing are needed from here on.
  listing = {};
  for (const auto& name : sources) keys.Add(name);
  for (const auto& name : targets) keys.Add(name);

  std::size_t position = 0;
  const auto keyed = [&](std::size_t count, bool withRows) {
    std::vector<KeyedName> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i, ++position)
      names.push_back({keys.KeyAt(position), withRows ? static_cast<std::int32_t>(i) : -1});
    return names;
  };
  std::vector<KeyedName> sortedListing = keyed(listingSize, false);
  std::vector<KeyedName> sortedSources = keyed(sources.size(), true);
  std::vector<KeyedName> candidates = keyed(targets.size(), true);
  std::sort(sortedListing.begin(), sortedListing.end(), KeyLess);
  std::sort(sortedSources.begin(), sortedSources.end(), KeyLess);

  // Merge: a source that meets no entry of its name is missing; an entry that
  // meets no source is one of the others, which the targets must not take.
  std::size_t s = 0;
  std::size_t l = 0;
  while (s < sortedSources.size() && l < sortedListing.size()) {
    const KeyedName& source = sortedSources[s];
    const KeyedName& entry = sortedListing[l];
    if (source.key < entry.key) {
      missing->push_back(source.index);
      ++s;
    } else if (source.key == entry.key) {
      ++s;
      ++l;
    } else {
      candidates.push_back(entry);
      ++l;
    }
  }
  for (; l < sortedListing.size(); ++l) candidates.push_back(sortedListing[l]);
  for (; s < sortedSources.size(); ++s) missing->push_back(sortedSources[s].index);

  // Clashes: equal names lie next to each other once sorted. Reporting a
  // target turns its index to -1, so a run of three or more equal names still
  // reports each row once; listing entries only make their neighbours clash.
  std::sort(candidates.begin(), candidates.end(), KeyLess);
  for (std::size_t k = 1; k < candidates.size(); ++k) {
    if (candidates[k - 1].key != candidates[k].key) continue;
    for (KeyedName* name : {&candidates[k - 1], &candidates[k]}) {
      if (name->index >= 0) {
        duplicates->push_back(name->index);
        name->index = -1;
      }
    }
  }

  return duplicates->empty() && missing->empty();
}

}  // namespace quillon
