// Executing the new names.
#include <algorithm>

#include "core/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::OnExecute() {
  // Validation runs once more: the directory may have changed since the
  // names were last checked.
  ValidateNewNames();
  if (m_executed || m_invalid || m_files.empty() || m_newNames.empty() ||
      m_newNames.size() != m_files.size())
    return;

  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  sources.reserve(m_files.size());
  targets.reserve(m_files.size());
  for (std::size_t row = 0; row < m_files.size(); ++row) {
    sources.push_back(m_files[row]->m_name);
    targets.push_back(m_newNames[row] + m_files[row]->m_ext);
  }
  const bool succeeded = RunRenames(sources, targets, &m_currentNames);
  if (!succeeded) ShowFirstFailedRow(m_currentNames, targets);
  m_dialog.ShowMessage(succeeded ? str::kRenamed : str::kSomeNotRenamed);
  // Whatever the outcome: files may have moved, and only undo knows the way
  // back.
  m_executed = true;
  UpdateControls();
}

void CQuillonDlg::ShowFirstFailedRow(const std::vector<std::u16string>& currentNames,
                                     const std::vector<std::u16string>& targets) {
  const std::size_t rows = std::min(currentNames.size(), targets.size());
  for (std::size_t row = 0; row < rows; ++row) {
    if (currentNames[row] != targets[row]) {
      m_dialog.EnsureRowVisible(static_cast<int>(row));
      return;
    }
  }
}

}  // namespace quillon
