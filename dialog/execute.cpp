// Executing the new names.
#include "core/name_pool.h"
#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::OnExecute() {
  bool succeeded = false;
  {
    // One stretch of work for the check and the renames: no input between.
    ProgressScope progress(m_dialog, m_files.size());
    // Validation runs once more: the directory may have changed since the
    // names were last checked.
    ValidateNewNames();
    if (m_executed || m_invalid || m_files.empty() || m_newNames.empty() ||
        m_newNames.size() != m_files.size())
      return;
    succeeded = RunPlan();
    m_executedDirectory = m_runDirectoryIdentity;
    m_executedTwins = m_checkedTwins;
  }
  if (m_runNotStarted) {
    m_dialog.ShowMessage(str::kJournalUnwritable);
    return;
  }
  m_dialog.ShowMessage(succeeded ? str::kRenamed : str::kSomeNotRenamed);
  // Whatever the outcome: files may have moved, and only undo knows the way
  // back.
  m_executed = true;
  UpdateControls();
}

bool CQuillonDlg::RunPlan() {
  // The old names are viewed in the rows, the new ones built once into one
  // buffer: a run of many rows copies no name for itself.
  std::vector<std::u16string_view> sources;
  sources.reserve(m_files.size());
  for (const auto& file : m_files) sources.emplace_back(file->m_name);
  std::size_t units = 0;
  for (std::size_t row = 0; row < m_files.size(); ++row)
    units += m_newNames[row].size() + m_files[row]->m_ext.size();
  NamePool targetNames;
  targetNames.Reserve(m_files.size(), units);
  for (std::size_t row = 0; row < m_files.size(); ++row)
    targetNames.Add(m_newNames[row], m_files[row]->m_ext);
  const std::vector<std::u16string_view> targets = targetNames.Views();

  return RunRenames(std::span(sources), std::span(targets), &m_currentNames);
}

}  // namespace quillon
