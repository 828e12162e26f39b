// Placeholders until the rename engine lands; removed by that work.
#include "core/quillon_dlg.h"

namespace quillon {

void CQuillonDlg::OnExecute() {}
bool CQuillonDlg::OnUndo() {
  return false;
}
bool CQuillonDlg::RunRenames(const std::vector<std::u16string>&, const std::vector<std::u16string>&,
                             std::vector<std::u16string>*) {
  return false;
}

}  // namespace quillon
