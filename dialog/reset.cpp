#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::ResetList() {
  // Unexecuted work would be lost without a trace; after an execution the
  // files already bear their new names, so nothing is asked.
  if (!m_executed && !m_files.empty() && !m_dialog.AskOkCancel(str::kConfirmReset)) return;
  m_directory.clear();
  m_files.clear();
  m_newNames.clear();
  m_currentNames.clear();
  m_dialog.DeleteAllRows();
  m_dialog.SetDirectoryText(u"");
  m_invalid = false;
  m_executed = false;
  UpdateControls();
}

}  // namespace quillon
