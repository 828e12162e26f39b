// Undoing the last execution, once the directory is known to still fit.
#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

bool CQuillonDlg::OnUndo() {
  if (!m_executed) return false;
  const std::optional<bool> succeeded = UndoWhereItFits();
  if (!succeeded) {
    m_dialog.ShowMessage(str::kDirectoryChanged);
    return false;
  }
  if (m_runNotStarted) {
    m_dialog.ShowMessage(str::kJournalUnwritable);
    return false;
  }
  m_dialog.ShowMessage(*succeeded ? str::kRestored : str::kSomeNotRestored);
  m_executed = false;
  UpdateControls();
  return true;
}

std::optional<bool> CQuillonDlg::UndoWhereItFits() {
  // Where each file is now, and the name it bore before the execution, both
  // viewed where they are kept.
  const std::vector<std::u16string>& currentNames = m_rows.CurrentNames();
  const std::vector<std::u16string_view> sources(currentNames.begin(), currentNames.end());
  const std::vector<std::u16string_view> targets = m_rows.OldNameViews();

  // One stretch of work for the check and the renames: no input between.
  ProgressScope progress(m_dialog, sources.size());
  // A file gone from where the execution left it, or an old name taken by
  // something else, means the way back is no longer safe; so do the same
  // names in another directory put at the same path. Undo stays available,
  // for instance for after the user has put things back.
  std::vector<int> duplicates;
  std::vector<int> missing;
  if (sources.size() != targets.size() || !IsExecutedDirectory() ||
      !CheckRenamePlan(std::span(sources), std::span(targets), &duplicates, &missing,
                       TargetsAre::kFormer))
    return std::nullopt;
  // The current names keep recording what the execution did; where undo
  // leaves each file is not kept.
  m_requiredDirectory = m_executedRun.directory;
  const bool succeeded =
      RunRenames(std::span(sources), std::span(targets), nullptr, RunKind::kUndo);
  m_requiredDirectory.reset();
  return succeeded;
}

bool CQuillonDlg::IsExecutedDirectory() {
  // A port that could not tell the directory's identity at execution leaves
  // only the names to judge by.
  if (!m_executedRun.directory) return true;
  const auto handle = m_fileSystem.OpenDirectory(m_rows.Directory());
  return handle && handle->Identity() == m_executedRun.directory;
}

}  // namespace quillon
