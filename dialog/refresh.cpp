#include "dialog/quillon_dlg.h"

namespace quillon {

void CQuillonDlg::RefreshList() {
  // Only a plan that could still be executed is worth checking again.
  if (m_executed || m_rows.Empty() || m_rows.NewNames().empty()) return;
  ValidateNewNames();
  UpdateControls();
}

}  // namespace quillon
