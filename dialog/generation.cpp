// Generating the rows' new names from the typed one.
#include "names/generation.h"

#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::GenerateNames() {
  if (!CanGenerateNames()) return;
  std::optional<std::vector<std::u16string>> names =
      GenerateSequence(m_dialog.NameFieldText(), m_rows.Count());
  if (!names) {
    m_dialog.ShowMessage(str::kNeedDigits);
    return;
  }
  m_rows.SetNewNames(std::move(*names));
  m_namesFrom = NamesFrom::kGenerated;
  // One call for the whole column: a list of 100 000 rows is redrawn once.
  m_dialog.SetColumnNames(kNewNameColumn, m_rows.Targets());
  ValidateNewNames();
  UpdateControls();
}

}  // namespace quillon
