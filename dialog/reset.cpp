#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::ResetList() {
  // Unexecuted work would be lost without a trace; after an execution the
  // files already bear their new names, so nothing is asked.
  if (!m_executed && !m_rows.Empty() && !m_dialog.AskOkCancel(str::kConfirmReset)) return;
  m_rows.Clear();
  m_rowOrder = RowOrder::kByName;
  m_namesFrom = NamesFrom::kNone;
  m_dialog.DeleteAllRows();
  m_dialog.SetDirectoryText(u"");
  m_invalid = false;
  m_executed = false;
  UpdateControls();
}

}  // namespace quillon
