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
  // While an execution is in force the rows must stay as the engine left
  // them, or undo would pair files with the wrong names. The list refuses
  // drops then; this guards the other ways in.
  if (paths.empty() || m_executed) return;

  std::vector<std::shared_ptr<CFileNameX>> entries;
  entries.reserve(paths.size());
  std::u16string dropDirectory;
  for (std::size_t i = 0; i < paths.size(); ++i) {
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

bool CQuillonDlg::MergeEntries(std::vector<std::shared_ptr<CFileNameX>> entries) {
  // One key per name and per call, so that sorting calls the collator once
  // per run of text rather than once per comparison.
  const NameCollator& collator = NameCollator::Default();
  struct Keyed {
    std::string key;
    std::shared_ptr<CFileNameX> file;
  };
  std::vector<Keyed> incoming;
  incoming.reserve(entries.size());
  for (auto& entry : entries) {
    std::string key = FileNameKey(*entry, collator);
    incoming.push_back({std::move(key), std::move(entry)});
  }
  std::sort(incoming.begin(), incoming.end(),
            [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
  incoming.erase(std::unique(incoming.begin(), incoming.end(),
                             [](const Keyed& a, const Keyed& b) { return a.key == b.key; }),
                 incoming.end());

  std::vector<std::string> rowKeys;
  rowKeys.reserve(m_files.size());
  for (const auto& file : m_files) rowKeys.push_back(FileNameKey(*file, collator));

  std::vector<std::shared_ptr<CFileNameX>> merged;
  merged.reserve(m_files.size() + incoming.size());
  bool added = false;
  std::size_t row = 0;
  for (auto& entry : incoming) {
    while (row < m_files.size() && rowKeys[row] < entry.key) merged.push_back(m_files[row++]);
    if (row < m_files.size() && rowKeys[row] == entry.key) {
      // The same name dropped again replaces the row's record in place.
      merged.push_back(std::move(entry.file));
      ++row;
    } else {
      merged.push_back(std::move(entry.file));
      added = true;
    }
  }
  while (row < m_files.size()) merged.push_back(m_files[row++]);
  m_files = std::move(merged);
  return added;
}

}  // namespace quillon
