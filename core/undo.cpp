// Undoing the last execution, once the directory is known to still fit.
#include "core/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

bool CQuillonDlg::OnUndo() {
  if (!m_executed) return false;

  // Where each file is now, and the name it bore before the execution, both
  // viewed where they are kept.
  const std::vector<std::u16string_view> sources(m_currentNames.begin(), m_currentNames.end());
  std::vector<std::u16string_view> targets;
  targets.reserve(m_files.size());
  for (const auto& file : m_files) targets.emplace_back(file->m_name);

  // A file gone from where the execution left it, or an old name taken by
  // something else, means the way back is no longer safe. Undo stays
  // available, for instance for after the user has put things back.
  std::vector<int> duplicates;
  std::vector<int> missing;
  if (sources.size() != targets.size() ||
      !CheckRenamePlan(std::span(sources), std::span(targets), &duplicates, &missing)) {
    m_dialog.ShowMessage(str::kDirectoryChanged);
    return false;
  }

  // m_currentNames keeps recording what the execution did.
  std::vector<std::u16string> scratch;
  const bool succeeded = RunRenames(std::span(sources), std::span(targets), &scratch);
  scratch = {};
  m_dialog.ShowMessage(succeeded ? str::kRestored : str::kSomeNotRestored);
  m_executed = false;
  UpdateControls();
  return true;
}

}  // namespace quillon
