#include "dialog/quillon_dlg.h"

namespace quillon {

CQuillonDlg::CQuillonDlg(FileSystem& fileSystem, DialogPort& dialog, JournalStore* journals)
    : m_fileSystem(fileSystem), m_dialog(dialog), m_journals(journals) {}

bool CQuillonDlg::CanGenerateNames() {
  return !m_executed && !m_files.empty() && !m_dialog.NameFieldText().empty();
}

void CQuillonDlg::UpdateControls() {
  const bool listed = !m_executed && !m_files.empty();
  const bool hasNames = !m_newNames.empty();
  m_dialog.SetControlEnabled(ControlId::kNameField, listed);
  m_dialog.SetControlEnabled(ControlId::kGenerate, CanGenerateNames());
  m_dialog.SetControlEnabled(
      ControlId::kExecute, listed && !m_invalid && hasNames && m_newNames.size() == m_files.size());
  m_dialog.SetControlEnabled(ControlId::kRefresh, listed && hasNames);
  m_dialog.SetControlEnabled(ControlId::kUndo, m_executed);
  m_dialog.SetAcceptDrops(!m_executed);
}

void CQuillonDlg::RebuildRows() {
  std::vector<std::u16string> names;
  names.reserve(m_files.size());
  for (const auto& file : m_files) names.push_back(file->m_name);
  m_dialog.SetRows(m_directory, std::move(names));
}

}  // namespace quillon
