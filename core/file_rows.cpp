#include "core/file_rows.h"

#include "core/erase_marked.h"

namespace quillon {

FileRows::FileRows(std::u16string directory, std::vector<std::shared_ptr<CFileNameX>> files)
    : m_directory(std::move(directory)), m_files(std::move(files)) {}

void FileRows::SetFiles(std::vector<std::shared_ptr<CFileNameX>> files) {
  m_files = std::move(files);
  m_newNames.clear();
  m_currentNames.clear();
}

bool FileRows::SetNewNames(std::vector<std::u16string> names) {
  if (!names.empty() && names.size() != m_files.size()) return false;
  m_newNames = std::move(names);
  return true;
}

bool FileRows::SetCurrentNames(std::vector<std::u16string> names) {
  if (!names.empty() && names.size() != m_files.size()) return false;
  m_currentNames = std::move(names);
  return true;
}

void FileRows::Remove(const std::vector<bool>& doomed) {
  EraseMarked(m_files, doomed);
  EraseMarked(m_newNames, doomed);
  EraseMarked(m_currentNames, doomed);
}

namespace {

template <typename T>
void Permute(std::vector<T>& items, const std::vector<std::size_t>& order) {
  if (items.size() != order.size()) return;
  std::vector<T> permuted;
  permuted.reserve(items.size());
  for (const std::size_t from : order) permuted.push_back(std::move(items[from]));
  items = std::move(permuted);
}

}  // namespace

void FileRows::Reorder(const std::vector<std::size_t>& order) {
  Permute(m_files, order);
  Permute(m_newNames, order);
  Permute(m_currentNames, order);
}

void FileRows::Clear() {
  m_directory.clear();
  m_files.clear();
  m_newNames.clear();
  m_currentNames.clear();
}

std::vector<std::u16string_view> FileRows::OldNameViews() const {
  std::vector<std::u16string_view> names;
  names.reserve(m_files.size());
  for (const auto& file : m_files) names.emplace_back(file->m_name);
  return names;
}

std::vector<std::u16string> FileRows::OldNames() const {
  std::vector<std::u16string> names;
  names.reserve(m_files.size());
  for (const auto& file : m_files) names.push_back(file->m_name);
  return names;
}

NamePool FileRows::Targets() const {
  NamePool targets;
  if (!Named()) return targets;
  std::size_t units = 0;
  for (std::size_t row = 0; row < m_files.size(); ++row)
    units += m_newNames[row].size() + m_files[row]->m_ext.size();
  targets.Reserve(m_files.size(), units);
  for (std::size_t row = 0; row < m_files.size(); ++row)
    targets.Add(m_newNames[row], m_files[row]->m_ext);
  return targets;
}

}  // namespace quillon
