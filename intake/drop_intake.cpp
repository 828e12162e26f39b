// Accepting dropped files: a drop is taken whole or refused whole.
#include <algorithm>
#include <numeric>

#include "core/paths.h"
#include "core/quillon_dlg.h"
#include "intake/natural_order.h"
#include "intake/split_path.h"
#include "resources/strings.h"

namespace quillon {

PathParts SplitPath(std::u16string_view path) {
  const std::size_t slash = path.rfind(u'/');
  if (slash == std::u16string_view::npos) return {u"/", std::u16string(path)};
  if (slash == 0) return {u"/", std::u16string(path.substr(1))};
  return {std::u16string(path.substr(0, slash)), std::u16string(path.substr(slash + 1))};
}

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
    const bool absolute = !path.empty() && path.front() == u'/';
    if (!absolute || m_fileSystem.GetEntryType(path) != EntryType::kNonDirectory) {
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
    // Every file was listed already: the rows stay, but the names and
    // verdicts they showed are no longer in effect.
    m_dialog.ClearColumn(kNewNameColumn);
    m_dialog.ClearColumn(kResultColumn);
  }
  UpdateControls();
}

namespace {

// The natural-order keys of many rows in one buffer, each viewed in place.
class RowKeys {
 public:
  explicit RowKeys(std::size_t rows) { m_ends.reserve(rows); }
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

}  // namespace

bool CQuillonDlg::MergeEntries(std::vector<std::shared_ptr<CFileNameX>> entries) {
  // One key per name and per call, so that sorting calls the collator once
  // per run of text rather than once per comparison.
  RowKeys keys(entries.size() + m_files.size());
  for (const auto& entry : entries) keys.Add(*entry);
  for (const auto& file : m_files) keys.Add(*file);
  const std::size_t rows = m_files.size();
  const auto rowKey = [&](std::size_t row) { return keys.At(entries.size() + row); };

  std::vector<std::uint32_t> incoming(entries.size());
  std::iota(incoming.begin(), incoming.end(), 0u);
  const auto entryKey = [&](std::uint32_t i) { return keys.At(i); };
  std::stable_sort(incoming.begin(), incoming.end(), [&](std::uint32_t a, std::uint32_t b) {
    return entryKey(a) < entryKey(b);
  });
  incoming.erase(std::unique(incoming.begin(), incoming.end(),
                             [&](std::uint32_t a, std::uint32_t b) {
                               return entryKey(a) == entryKey(b);
                             }),
                 incoming.end());

  std::vector<std::shared_ptr<CFileNameX>> merged;
  merged.reserve(rows + incoming.size());
  bool added = false;
  std::size_t row = 0;
  for (const std::uint32_t i : incoming) {
    const std::string_view key = entryKey(i);
    while (row < rows && rowKey(row) < key) merged.push_back(std::move(m_files[row++]));
    if (row < rows && rowKey(row) == key) {
      // The same name dropped again replaces the row's record in place.
      merged.push_back(std::move(entries[i]));
      ++row;
    } else {
      merged.push_back(std::move(entries[i]));
      added = true;
    }
  }
  while (row < rows) merged.push_back(std::move(m_files[row++]));
  m_files = std::move(merged);
  return added;
}

}  // namespace quillon
