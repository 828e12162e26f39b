// Executing the new names.
#include "core/name_pool.h"
#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::OnExecute() {
  bool succeeded = false;
  {
    // One stretch of work for the check and the renames: no input between.
    ProgressScope progress(m_dialog, m_rows.Count());
    // Validation runs once more: the directory may have changed since the
    // names were last checked.
    ValidateNewNames();
    if (m_executed || m_invalid || !m_rows.Named()) return;
    succeeded = RunPlan();
    m_executedRun = {m_runDirectoryIdentity, m_checkedTwins};
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
  const std::vector<std::u16string_view> sources = m_rows.OldNameViews();
  const NamePool targetNames = m_rows.Targets();
  const std::vector<std::u16string_view> targets = targetNames.Views();
  std::vector<std::u16string> currentNames;
  const bool succeeded = RunRenames(std::span(sources), std::span(targets), &currentNames);
  m_rows.SetCurrentNames(std::move(currentNames));
  return succeeded;
}

}  // namespace quillon
