// Placeholders until the new-name handlers land; removed by that work.
#include "core/quillon_dlg.h"

namespace quillon {

void CQuillonDlg::GenerateNames() {}
bool CQuillonDlg::ValidateNewNames() {
  return true;
}
bool CQuillonDlg::CheckRenamePlan(const std::vector<std::u16string>&,
                                  const std::vector<std::u16string>&, std::vector<int>* duplicates,
                                  std::vector<int>* missing) {
  duplicates->clear();
  missing->clear();
  return true;
}
void CQuillonDlg::RefreshList() {}

}  // namespace quillon
