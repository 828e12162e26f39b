// The rows of the list: the directory the files were dropped from, one record
// per file, each row's new name and, after an execution, the name each file
// bears now. The lists stay aligned: new names and current names are either
// none or one per row, and removing rows removes them from every list.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/name_pool.h"
#include "core/records.h"

namespace quillon {

class FileRows {
 public:
  FileRows() = default;
  // Files of `directory`, in the order they are to be listed; no new names.
  FileRows(std::u16string directory, std::vector<std::shared_ptr<CFileNameX>> files);

  const std::u16string& Directory() const { return m_directory; }
  const std::vector<std::shared_ptr<CFileNameX>>& Files() const { return m_files; }
  // Without extension.
  const std::vector<std::u16string>& NewNames() const { return m_newNames; }
  const std::vector<std::u16string>& CurrentNames() const { return m_currentNames; }
  std::size_t Count() const { return m_files.size(); }
  bool Empty() const { return m_files.empty(); }
  // Every row has a new name.
  bool Named() const { return !m_files.empty() && m_newNames.size() == m_files.size(); }

  // The files take the place of the rows; the directory stays. New and
  // current names no longer belong to any row and go.
  void SetFiles(std::vector<std::shared_ptr<CFileNameX>> files);
  void SetDirectory(std::u16string directory) { m_directory = std::move(directory); }
  // None, or one per row; a list of another length is refused (false) and
  // nothing changes.
  bool SetNewNames(std::vector<std::u16string> names);
  bool SetCurrentNames(std::vector<std::u16string> names);
  // Removes the rows marked in `doomed` from every list; the others keep
  // their order.
  void Remove(const std::vector<bool>& doomed);
  // Puts row order[i] at row i in every list; `order` is a permutation of
  // the rows.
  void Reorder(const std::vector<std::size_t>& order);
  void Clear();

  // The files' names as they were listed, viewed where they are kept.
  std::vector<std::u16string_view> OldNameViews() const;
  // The same, copied, for a window to take over.
  std::vector<std::u16string> OldNames() const;
  // Every row's new name with its file's extension, built into one buffer;
  // empty unless Named().
  NamePool Targets() const;

 private:
  std::u16string m_directory;
  std::vector<std::shared_ptr<CFileNameX>> m_files;
  std::vector<std::u16string> m_newNames;
  std::vector<std::u16string> m_currentNames;
};

}  // namespace quillon
