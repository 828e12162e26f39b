// The list's row commands: its context menu, deleting and opening rows, and
// Enter.
#include <algorithm>

#include "core/paths.h"
#include "dialog/quillon_dlg.h"

namespace quillon {

bool CQuillonDlg::IsMenuCommandEnabled(MenuCommand command, bool clipboardHasText,
                                       bool rowsSelected) const {
  const bool rows = !m_rows.Empty();
  const bool names = !m_rows.NewNames().empty();
  switch (command) {
    case MenuCommand::kOpen:
      return rows && rowsSelected;
    case MenuCommand::kCopyOldBase:
    case MenuCommand::kCopyOldFull:
      return rows;
    case MenuCommand::kCopyNewBase:
    case MenuCommand::kCopyNewFull:
      return rows && names;
    case MenuCommand::kPaste:
      return rows && !m_executed && clipboardHasText;
    case MenuCommand::kDelete:
      return rows && !m_executed && rowsSelected;
    case MenuCommand::kRefresh:
      return rows && !m_executed && names;
    default:
      return IsOrderCommandEnabled(command, rowsSelected);
  }
}

void CQuillonDlg::OnMenuCommand(MenuCommand command) {
  // The menu was greyed as it opened; the state is checked again because a
  // command may also arrive when it no longer holds.
  if (!IsMenuCommandEnabled(command, m_dialog.HasClipboardText(), !m_dialog.SelectedRows().empty()))
    return;
  switch (command) {
    case MenuCommand::kOpen:
      OpenSelectedFiles();
      break;
    case MenuCommand::kCopyOldBase:
    case MenuCommand::kCopyOldFull:
    case MenuCommand::kCopyNewBase:
    case MenuCommand::kCopyNewFull:
      OnCopyNameList(command);
      break;
    case MenuCommand::kPaste:
      PasteNewNames();
      break;
    case MenuCommand::kDelete:
      DeleteSelectedRows();
      break;
    case MenuCommand::kRefresh:
      RefreshList();
      break;
    default:
      RunOrderCommand(command);
      break;
  }
}

void CQuillonDlg::DeleteSelectedRows() {
  if (m_executed) return;
  std::vector<int> selected = m_dialog.SelectedRows();
  const int rowCount = static_cast<int>(m_rows.Count());
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  selected.erase(std::remove_if(selected.begin(), selected.end(),
                                [rowCount](int row) { return row < 0 || row >= rowCount; }),
                 selected.end());
  if (selected.empty()) return;

  // The rows that stay keep their order, as when each is erased from the
  // highest index down.
  std::vector<bool> doomed(m_rows.Count(), false);
  for (int row : selected) doomed[static_cast<std::size_t>(row)] = true;
  m_rows.Remove(doomed);
  m_dialog.DeleteRows(selected);

  if (m_rows.Empty()) {
    ResetList();  // asks nothing: there is no row left to lose
    return;
  }
  ValidateNewNames();
  UpdateControls();
}

void CQuillonDlg::OpenSelectedFiles() {
  std::vector<int> selected = m_dialog.SelectedRows();
  std::sort(selected.begin(), selected.end());
  for (int row : selected) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.Count()) continue;
    const auto index = static_cast<std::size_t>(row);
    const CFileNameX& file = *m_rows.Files()[index];
    const std::vector<std::u16string>& newNames = m_rows.NewNames();
    // Once executed, the files bear their new names (a row whose move failed
    // included: opening a name that is not there is silent).
    if (m_executed && index < newNames.size()) {
      m_dialog.OpenWithDefaultApplication(
          JoinPath(m_rows.Directory(), std::u16string(newNames[index]).append(file.m_ext)));
    } else {
      m_dialog.OpenWithDefaultApplication(JoinPath(m_rows.Directory(), file.m_name));
    }
  }
}

void CQuillonDlg::OnOK(FocusArea focus) {
  switch (focus) {
    case FocusArea::kNameField:
      GenerateNames();
      break;
    case FocusArea::kFileList:
      OpenSelectedFiles();
      break;
    case FocusArea::kOther:
      break;
  }
}

}  // namespace quillon
