// The check of a rename plan against one listing of the directory.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
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

// The keys of the names of a call, kept in one buffer: a directory of
// 100 000 entries then costs a handful of allocations instead of one per key.
class KeyBuffer {
 public:
  explicit KeyBuffer(const NameCollator& collator) : m_collator(collator) {}

  // Room for `count` keys of names `units` code units long in all, so that
  // the buffer is not copied while it grows: a large block that is reserved
  // but never written costs address space, not memory.
  void Reserve(std::size_t count, std::size_t units) {
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

// What exact matching leaves of a plan's sources and of the listing.
struct ExactMatch {
  std::vector<std::int32_t> unmatchedSources;  // rows whose name is no entry
  std::vector<std::size_t> others;             // listing entries no source names exactly
};

// Pairs each source with the entry spelt exactly like it. This is how the
// file system itself finds a file wherever it tells case apart, and on any
// file system the normal case: it needs no system call. `listing` is sorted.
ExactMatch MatchExactly(const std::vector<std::u16string>& listing,
                        const std::vector<std::u16string>& sources) {
  std::vector<std::int32_t> order(sources.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](std::int32_t a, std::int32_t b) { return sources[a] < sources[b]; });
  ExactMatch match;
  std::size_t s = 0;
  std::size_t l = 0;
  while (s < order.size() && l < listing.size()) {
    const int c = sources[order[s]].compare(listing[l]);
    if (c < 0) {
      match.unmatchedSources.push_back(order[s++]);
    } else if (c == 0) {
      ++s;
      ++l;
    } else {
      match.others.push_back(l++);
    }
  }
  for (; s < order.size(); ++s) match.unmatchedSources.push_back(order[s]);
  for (; l < listing.size(); ++l) match.others.push_back(l);
  return match;
}

// Removes from `others` (sorted) one entry of each alias's key: the entry the
// file system found under the alias is that file, not another one.
void ConsumeAliasedEntries(std::vector<KeyedName> aliases, std::vector<KeyedName>* others) {
  std::sort(aliases.begin(), aliases.end(), KeyLess);
  std::vector<KeyedName> kept;
  kept.reserve(others->size());
  std::size_t a = 0;
  for (const KeyedName& entry : *others) {
    while (a < aliases.size() && aliases[a].key < entry.key) ++a;
    if (a < aliases.size() && aliases[a].key == entry.key) {
      ++a;
      continue;
    }
    kept.push_back(entry);
  }
  *others = std::move(kept);
}

}  // namespace

bool CQuillonDlg::CheckRenamePlan(const std::vector<std::u16string>& sources,
                                  const std::vector<std::u16string>& targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing,
                                  TargetsAre targetsAre) {
  duplicates->clear();
  missing->clear();

  // A directory that cannot be opened lists as empty and answers no lookup,
  // so every source is reported missing; one that stops early keeps the
  // entries read so far, and the lookups below find the rest.
  std::unique_ptr<DirectoryHandle> directory = m_fileSystem.OpenDirectory(m_directory);
  std::vector<std::u16string> listing;
  const bool complete = directory && directory->List(&listing);
  std::sort(listing.begin(), listing.end());
  const ExactMatch match = MatchExactly(listing, sources);

  // A source without an entry of its exact name is either gone or, where the
  // file system ignores case, another spelling of an entry: only the file
  // system can tell which, so it is asked, and only for these few names.
  std::vector<std::int32_t> aliases;
  for (const std::int32_t row : match.unmatchedSources) {
    if (directory && !directory->IsNameFree(sources[row])) {
      aliases.push_back(row);
    } else {
      missing->push_back(row);
    }
  }

  KeyBuffer keys(NameCollator::Default());
  std::size_t units = 0;
  for (const std::size_t entry : match.others) units += listing[entry].size();
  for (const std::int32_t row : aliases) units += sources[row].size();
  for (const auto& name : targets) units += name.size();
  keys.Reserve(match.others.size() + aliases.size() + targets.size(), units);
  for (const std::size_t entry : match.others) keys.Add(listing[entry]);
  // Only the keys of the listing are needed from here on.
  listing = {};
  for (const std::int32_t row : aliases) keys.Add(sources[row]);
  for (const auto& name : targets) keys.Add(name);

  std::size_t position = 0;
  const auto keyed = [&](std::size_t count, const auto& indexOf) {
    std::vector<KeyedName> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i, ++position)
      names.push_back({keys.KeyAt(position), indexOf(i)});
    return names;
  };
  std::vector<KeyedName> others =
      keyed(match.others.size(), [](std::size_t) { return std::int32_t{-1}; });
  std::vector<KeyedName> aliasNames =
      keyed(aliases.size(), [&](std::size_t i) { return aliases[i]; });
  std::vector<KeyedName> candidates =
      keyed(targets.size(), [](std::size_t i) { return static_cast<std::int32_t>(i); });
  // In a partial listing a source may lack its entry only because that was
  // not read, and the entry of its name is then a twin, another file: kept
  // among the others it can only block a target, never let one through.
  if (complete && !aliasNames.empty()) {
    std::sort(others.begin(), others.end(), KeyLess);
    ConsumeAliasedEntries(std::move(aliasNames), &others);
  }
  // Entries left are the other files, which the targets must not take.
  candidates.insert(candidates.end(), others.begin(), others.end());
  others = {};

  // Clashes: equal names lie next to each other once sorted. In a run of
  // equal names every target clashes, unless the targets are former names
  // and the run holds no other file: those twins lived side by side before.
  std::sort(candidates.begin(), candidates.end(), KeyLess);
  for (std::size_t begin = 0, end = 0; begin < candidates.size(); begin = end) {
    bool other = false;
    for (end = begin; end < candidates.size() && candidates[end].key == candidates[begin].key;
         ++end)
      other = other || candidates[end].index < 0;
    if (end - begin < 2 || (targetsAre == TargetsAre::kFormer && !other)) continue;
    for (std::size_t k = begin; k < end; ++k)
      if (candidates[k].index >= 0) duplicates->push_back(candidates[k].index);
  }

  return duplicates->empty() && missing->empty();
}

}  // namespace quillon
