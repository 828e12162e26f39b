#include "intake/drop_intake.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "core/collation.h"
#include "core/paths.h"
#include "intake/natural_order.h"
#include "intake/split_path.h"
#include "resources/strings.h"

namespace quillon {

namespace {

// The natural-order keys of a merge's records in one buffer, each viewed in
// place: a drop of 100 000 files costs a few allocations for its keys.
class KeyPool {
 public:
  explicit KeyPool(std::size_t records) { m_ends.reserve(records); }
  void Add(const CFileNameX& file) {
    AppendFileNameKey(file, NameCollator::Default(), &m_bytes);
    m_ends.push_back(m_bytes.size());
  }
  // Valid once every key has been added.
  std::string_view At(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : m_ends[i - 1];
    return std::string_view(m_bytes).substr(begin, m_ends[i] - begin);
  }

 private:
  std::string m_bytes;
  std::vector<std::size_t> m_ends;
};

// A row or a dropped file with its natural-order key.
struct Keyed {
  std::string_view key;
  std::shared_ptr<CFileNameX> file;
  bool dropped = false;
};

// Natural order; spellings of one key by their code units, so that the rows
// come out the same whatever order the files arrived in.
bool KeyedLess(const Keyed& a, const Keyed& b) {
  if (const int c = a.key.compare(b.key); c != 0) return c < 0;
  return a.file->m_name < b.file->m_name;
}

// What the directory says of spellings that differ only in case: each one
// that is an entry of its own is a file of its own (a file system that tells
// case apart); one that is no entry but is found all the same is another
// spelling the file system gives to the entry of that name (a file system
// that ignores case); one that is neither is a listed file that has gone.
class CaseTwins {
 public:
  // Reads the directory once, keeping the entries that could share a name
  // with one of the records.
  CaseTwins(FileSystem& fileSystem, std::u16string_view directory, const std::vector<Keyed>& all)
      : m_directory(fileSystem.OpenDirectory(directory)) {
    std::vector<std::u16string> listing;
    m_complete = m_directory && m_directory->List(&listing);
    if (!m_complete) return;
    std::unordered_set<std::u16string> wanted;
    for (std::size_t i = 1; i < all.size(); ++i)
      if (all[i].key == all[i - 1].key) wanted.insert(UpperCaseUnits(all[i].file->m_name));
    for (auto& entry : listing) {
      std::u16string upper = UpperCaseUnits(entry);
      if (wanted.count(upper) != 0) m_entries[std::move(upper)].push_back(std::move(entry));
    }
  }

  // Appends the rows that the records of one key make, in order.
  void Resolve(std::span<Keyed> run, std::vector<std::shared_ptr<CFileNameX>>* rows) {
    std::vector<std::shared_ptr<CFileNameX>> spellings = OneRecordPerSpelling(run);
    // Without the whole listing nothing can be told apart safely: every
    // spelling stays a row, so no file the user dropped goes unlisted; at
    // worst one row of a file listed twice fails to be renamed.
    if (!m_complete) {
      rows->insert(rows->end(), spellings.begin(), spellings.end());
      return;
    }
    const std::vector<std::u16string> entries = EntriesOfKey(run.front().key, spellings.front());
    std::vector<std::shared_ptr<CFileNameX>> kept;
    std::vector<std::shared_ptr<CFileNameX>> aliases;
    SeparateAliases(std::move(spellings), entries, &kept, &aliases);
    if (!aliases.empty() && entries.size() == 1) {
      // All of them reach the one entry of this name: the row shows the
      // entry's own spelling, the name the file really has.
      const bool listed = std::any_of(kept.begin(), kept.end(), [&](const auto& file) {
        return file->m_name == entries.front();
      });
      if (!listed) kept.push_back(std::make_shared<CFileNameX>(entries.front()));
    } else {
      // Which entry they reach is not known: each stays a row of its own.
      kept.insert(kept.end(), aliases.begin(), aliases.end());
    }
    std::sort(kept.begin(), kept.end(),
              [](const auto& a, const auto& b) { return a->m_name < b->m_name; });
    rows->insert(rows->end(), kept.begin(), kept.end());
  }

 private:
  // One record per spelling: a dropped one follows the row it replaces.
  static std::vector<std::shared_ptr<CFileNameX>> OneRecordPerSpelling(std::span<Keyed> run) {
    std::vector<std::shared_ptr<CFileNameX>> spellings;
    for (Keyed& record : run) {
      if (!spellings.empty() && spellings.back()->m_name == record.file->m_name)
        spellings.pop_back();
      spellings.push_back(std::move(record.file));
    }
    return spellings;
  }

  // Only a name the file system answers to without being an entry is
  // another spelling (an alias); one it cannot look up stays a row of its
  // own.
  void SeparateAliases(std::vector<std::shared_ptr<CFileNameX>> spellings,
                       const std::vector<std::u16string>& entries,
                       std::vector<std::shared_ptr<CFileNameX>>* kept,
                       std::vector<std::shared_ptr<CFileNameX>>* aliases) const {
    for (auto& spelling : spellings) {
      const bool entry =
          std::find(entries.begin(), entries.end(), spelling->m_name) != entries.end();
      if (entry || m_directory->LookUpName(spelling->m_name) != NameState::kTaken) {
        kept->push_back(std::move(spelling));
      } else {
        aliases->push_back(std::move(spelling));
      }
    }
  }

  // The entries whose natural-order key is `key`; `sample` has that key.
  std::vector<std::u16string> EntriesOfKey(std::string_view key, const auto& sample) const {
    std::vector<std::u16string> entries;
    const auto found = m_entries.find(UpperCaseUnits(sample->m_name));
    if (found == m_entries.end()) return entries;
    for (const auto& entry : found->second)
      if (FileNameKey(CFileNameX(entry)) == key) entries.push_back(entry);
    return entries;
  }

  std::unique_ptr<DirectoryHandle> m_directory;
  bool m_complete = false;
  std::unordered_map<std::u16string, std::vector<std::u16string>> m_entries;  // by upper case
};

// The dropped records keyed and sorted, each spelling once: the same path
// dropped twice is one file.
std::vector<Keyed> SortedDrop(const KeyPool& keys,
                              std::vector<std::shared_ptr<CFileNameX>> dropped) {
  std::vector<Keyed> incoming;
  incoming.reserve(dropped.size());
  for (std::size_t i = 0; i < dropped.size(); ++i)
    incoming.push_back({keys.At(i), std::move(dropped[i]), true});
  std::sort(incoming.begin(), incoming.end(), KeyedLess);
  incoming.erase(
      std::unique(incoming.begin(), incoming.end(),
                  [](const Keyed& a, const Keyed& b) { return a.file->m_name == b.file->m_name; }),
      incoming.end());
  return incoming;
}

// The rows and the dropped records in one natural order. A row and a
// dropped record of the same spelling end up side by side, the row first,
// so the dropped record replaces it.
std::vector<Keyed> MergeKeyed(const KeyPool& keys, std::size_t firstRowKey,
                              const std::vector<std::shared_ptr<CFileNameX>>& rows,
                              std::vector<Keyed> incoming) {
  std::vector<Keyed> keyedRows;
  keyedRows.reserve(rows.size());
  for (std::size_t row = 0; row < rows.size(); ++row)
    keyedRows.push_back({keys.At(firstRowKey + row), rows[row]});
  std::vector<Keyed> all;
  all.reserve(keyedRows.size() + incoming.size());
  std::merge(std::make_move_iterator(keyedRows.begin()), std::make_move_iterator(keyedRows.end()),
             std::make_move_iterator(incoming.begin()), std::make_move_iterator(incoming.end()),
             std::back_inserter(all), KeyedLess);
  return all;
}

// One row per file out of the merged records: records of one key and one
// spelling are one row; several spellings of one key are the directory's
// to tell apart, unless no dropped record is among them.
std::vector<std::shared_ptr<CFileNameX>> RowsOfRecords(FileSystem& fileSystem,
                                                       std::u16string_view directory,
                                                       std::vector<Keyed> all) {
  std::vector<std::shared_ptr<CFileNameX>> merged;
  merged.reserve(all.size());
  std::optional<CaseTwins> twins;
  for (std::size_t begin = 0, end = 0; begin < all.size(); begin = end) {
    bool oneSpelling = true;
    bool dropped = all[begin].dropped;
    for (end = begin + 1; end < all.size() && all[end].key == all[begin].key; ++end) {
      oneSpelling = oneSpelling && all[end].file->m_name == all[begin].file->m_name;
      dropped = dropped || all[end].dropped;
    }
    if (oneSpelling) {
      merged.push_back(std::move(all[end - 1].file));
    } else if (!dropped) {
      // Rows that this drop does not touch stay as they were listed.
      for (std::size_t i = begin; i < end; ++i) merged.push_back(std::move(all[i].file));
    } else {
      // Rare: the directory is read once for all of them.
      if (!twins) twins.emplace(fileSystem, directory, all);
      twins->Resolve({all.begin() + static_cast<std::ptrdiff_t>(begin),
                      all.begin() + static_cast<std::ptrdiff_t>(end)},
                     &merged);
    }
  }
  return merged;
}

// A relative path would be split into the root directory and a name that
// lstat resolves against the working directory: two different files. Such a
// path cannot be examined as the file it names, so it is refused like one
// whose attributes cannot be read.
bool IsDroppableFile(FileSystem& fileSystem, const std::u16string& path) {
  return IsAbsolutePath(path) && fileSystem.GetEntryType(path) == EntryType::kNonDirectory;
}

}  // namespace

AcceptedDrop AcceptDrop(FileSystem& fileSystem, std::vector<std::u16string> paths,
                        std::u16string_view listedDirectory,
                        const std::function<void(std::size_t)>& progress) {
  AcceptedDrop drop;
  drop.files.reserve(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (progress) progress(i);
    if (!IsDroppableFile(fileSystem, paths[i])) return {{}, {}, str::kNoDirectories};
    PathParts parts = SplitPath(paths[i]);
    const std::u16string_view reference = i == 0 ? listedDirectory : drop.directory;
    if (!reference.empty() && parts.directory != reference) return {{}, {}, str::kMixedDirectories};
    if (i == 0) drop.directory = std::move(parts.directory);
    drop.files.push_back(std::make_shared<CFileNameX>(std::move(parts.name)));
  }
  return drop;
}

MergedRows MergeDroppedFiles(FileSystem& fileSystem, std::u16string_view directory,
                             const std::vector<std::shared_ptr<CFileNameX>>& rows,
                             std::vector<std::shared_ptr<CFileNameX>> dropped) {
  // One key per name and per call, so that sorting calls the collator once
  // per run of text rather than once per comparison.
  KeyPool keys(dropped.size() + rows.size());
  for (const auto& file : dropped) keys.Add(*file);
  for (const auto& file : rows) keys.Add(*file);
  const std::size_t firstRowKey = dropped.size();
  std::vector<Keyed> all =
      MergeKeyed(keys, firstRowKey, rows, SortedDrop(keys, std::move(dropped)));
  MergedRows merged;
  merged.rows = RowsOfRecords(fileSystem, directory, std::move(all));
  merged.changed = merged.rows.size() != rows.size() ||
                   !std::equal(merged.rows.begin(), merged.rows.end(), rows.begin(),
                               [](const auto& a, const auto& b) { return a->m_name == b->m_name; });
  return merged;
}

}  // namespace quillon
