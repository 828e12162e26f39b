// Accepting dropped files: a drop is taken whole or refused whole.
#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/collation.h"
#include "core/paths.h"
#include "dialog/quillon_dlg.h"
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
    // One record per spelling: a dropped one follows the row it replaces.
    std::vector<std::shared_ptr<CFileNameX>> spellings;
    for (Keyed& record : run) {
      if (!spellings.empty() && spellings.back()->m_name == record.file->m_name)
        spellings.pop_back();
      spellings.push_back(std::move(record.file));
    }
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
    for (auto& spelling : spellings) {
      const bool entry =
          std::find(entries.begin(), entries.end(), spelling->m_name) != entries.end();
      // Only a name the file system answers to is another spelling; one it
      // cannot look up stays a row of its own.
      if (entry || m_directory->LookUpName(spelling->m_name) != NameState::kTaken) {
        kept.push_back(std::move(spelling));
      } else {
        aliases.push_back(std::move(spelling));
      }
    }
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

}  // namespace

void CQuillonDlg::OnFilesDropped(const std::vector<std::u16string>& paths) {
  OnFilesDropped(std::vector<std::u16string>(paths));
}

void CQuillonDlg::OnFilesDropped(std::vector<std::u16string>&& dropped) {
  std::vector<std::u16string> paths = std::move(dropped);
  // While an execution is in force the rows must stay as the engine left
  // them, or undo would pair files with the wrong names. The list refuses
  // drops then; this guards the other ways in.
  if (paths.empty() || m_executed) return;

  ProgressScope progress(m_dialog, paths.size());
  std::vector<std::shared_ptr<CFileNameX>> entries;
  entries.reserve(paths.size());
  std::u16string dropDirectory;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    progress.Set(i);
    const std::u16string& path = paths[i];
    // A relative path would be split into the root directory and a name that
    // lstat resolves against the working directory: two different files.
    // Such a path cannot be examined as the file it names, so it is refused
    // like one whose attributes cannot be read.
    if (!IsAbsolutePath(path) || m_fileSystem.GetEntryType(path) != EntryType::kNonDirectory) {
      m_dialog.ShowMessage(str::kNoDirectories);
      return;
    }
    PathParts parts = SplitPath(path);
    // Directories are compared exactly, not by CompareNames: on a file system
    // that tells case apart, /photos/A and /photos/a are two directories, and
    // treating them as one would rename files the user never dropped.
    const std::u16string& reference = i == 0 ? m_directory : dropDirectory;
    if (!reference.empty() && parts.directory != reference) {
      m_dialog.ShowMessage(str::kMixedDirectories);
      return;
    }
    if (i == 0) dropDirectory = std::move(parts.directory);
    entries.push_back(std::make_shared<CFileNameX>(std::move(parts.name)));
  }
  paths = {};

  m_directory = std::move(dropDirectory);
  m_dialog.SetDirectoryText(m_directory);
  m_newNames.clear();
  m_invalid = false;
  if (MergeEntries(std::move(entries))) {
    RebuildRows();
  } else {
    // Every file was listed already, under the name shown: the rows stay,
    // but the names and verdicts they showed are no longer in effect.
    m_dialog.ClearColumn(kNewNameColumn);
    m_dialog.ClearColumn(kResultColumn);
  }
  UpdateControls();
}

bool CQuillonDlg::MergeEntries(std::vector<std::shared_ptr<CFileNameX>> entries) {
  // One key per name and per call, so that sorting calls the collator once
  // per run of text rather than once per comparison.
  const std::size_t dropped = entries.size();
  KeyPool keys(dropped + m_files.size());
  for (const auto& entry : entries) keys.Add(*entry);
  for (const auto& file : m_files) keys.Add(*file);
  std::vector<Keyed> incoming;
  incoming.reserve(entries.size());
  for (std::size_t i = 0; i < dropped; ++i)
    incoming.push_back({keys.At(i), std::move(entries[i]), true});
  entries = {};
  std::sort(incoming.begin(), incoming.end(), KeyedLess);
  // The same path dropped twice is one file.
  incoming.erase(
      std::unique(incoming.begin(), incoming.end(),
                  [](const Keyed& a, const Keyed& b) { return a.file->m_name == b.file->m_name; }),
      incoming.end());

  std::vector<Keyed> rows;
  rows.reserve(m_files.size());
  for (std::size_t row = 0; row < m_files.size(); ++row)
    rows.push_back({keys.At(dropped + row), m_files[row]});

  // A row and a dropped record of the same spelling end up side by side,
  // the row first, so the dropped record replaces it.
  std::vector<Keyed> all;
  all.reserve(rows.size() + incoming.size());
  std::merge(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()),
             std::make_move_iterator(incoming.begin()), std::make_move_iterator(incoming.end()),
             std::back_inserter(all), KeyedLess);
  rows = {};
  incoming = {};

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
      continue;
    }
    // Rows that this drop does not touch stay as they were listed.
    if (!dropped) {
      for (std::size_t i = begin; i < end; ++i) merged.push_back(std::move(all[i].file));
      continue;
    }
    // Rare: spellings that differ only in case. Whether they are one file or
    // several is the directory's to say, so it is read once for all of them.
    if (!twins) twins.emplace(m_fileSystem, m_directory, all);
    twins->Resolve({all.begin() + static_cast<std::ptrdiff_t>(begin),
                    all.begin() + static_cast<std::ptrdiff_t>(end)},
                   &merged);
  }

  const bool changed =
      merged.size() != m_files.size() ||
      !std::equal(merged.begin(), merged.end(), m_files.begin(),
                  [](const auto& a, const auto& b) { return a->m_name == b->m_name; });
  m_files = std::move(merged);
  return changed;
}

}  // namespace quillon
