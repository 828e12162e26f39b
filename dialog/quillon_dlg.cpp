#include "dialog/quillon_dlg.h"

namespace quillon {

CQuillonDlg::CQuillonDlg(FileSystem& fileSystem, DialogPort& dialog, JournalStore* journals,
                         FileDateReader* dates)
    : m_fileSystem(fileSystem), m_dialog(dialog), m_journals(journals), m_dates(dates) {}

bool CQuillonDlg::CanGenerateNames() {
  return !m_executed && !m_rows.Empty() && !m_dialog.NameFieldText().empty();
}

void CQuillonDlg::UpdateControls() {
  const bool listed = !m_executed && !m_rows.Empty();
  const bool hasNames = !m_rows.NewNames().empty();
  m_dialog.SetControlEnabled(ControlId::kNameField, listed);
  m_dialog.SetControlEnabled(ControlId::kGenerate, CanGenerateNames());
  m_dialog.SetControlEnabled(ControlId::kExecute, listed && !m_invalid && m_rows.Named());
  m_dialog.SetControlEnabled(ControlId::kRefresh, listed && hasNames);
  m_dialog.SetControlEnabled(ControlId::kUndo, m_executed);
  m_dialog.SetAcceptDrops(!m_executed);
}

void CQuillonDlg::ListRows(FileRows rows, std::optional<ExecutedRun> executed) {
  m_rows = std::move(rows);
  m_invalid = false;
  m_executed = executed.has_value();
  m_executedRun = executed ? std::move(*executed) : ExecutedRun{};
  m_namesFrom = m_rows.NewNames().empty() ? NamesFrom::kNone : NamesFrom::kPasted;
  m_dialog.SetDirectoryText(m_rows.Directory());
  RebuildRows();
  if (!m_rows.NewNames().empty()) m_dialog.SetColumnNames(kNewNameColumn, m_rows.Targets());
  UpdateControls();
}

void CQuillonDlg::RebuildRows() {
  m_dialog.SetRows(m_rows.Directory(), m_rows.OldNames());
}

}  // namespace quillon
