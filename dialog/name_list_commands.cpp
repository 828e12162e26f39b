// The list's copy and paste commands: name lists through the clipboard.
#include <algorithm>

#include "core/collation.h"
#include "dialog/quillon_dlg.h"
#include "names/name_list.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::CopyNameList(const std::vector<std::u16string_view>& names) {
  if (!m_dialog.SetClipboardText(FormatNameList(names)))
    m_dialog.ShowMessage(str::kClipboardWriteFailed);
}

void CQuillonDlg::OnCopyNameList(MenuCommand command) {
  std::vector<std::u16string_view> names;
  names.reserve(m_rows.Count());
  switch (command) {
    case MenuCommand::kCopyOldBase:
      for (const auto& file : m_rows.Files()) names.push_back(file->m_base);
      break;
    case MenuCommand::kCopyOldFull:
      names = m_rows.OldNameViews();
      break;
    case MenuCommand::kCopyNewBase:
      for (const auto& name : m_rows.NewNames()) names.push_back(name);
      break;
    case MenuCommand::kCopyNewFull: {
      const NamePool joined = m_rows.Targets();
      CopyNameList(joined.Views());
      return;
    }
    default:
      return;
  }
  CopyNameList(names);
}

void CQuillonDlg::PasteNewNames() {
  if (m_executed || m_rows.Empty()) return;
  const std::optional<std::u16string> text = m_dialog.ClipboardText();
  if (!text) return;
  PastedNames pasted = ReadPastedNames(*text, m_rows.Files());
  if (pasted.refusal) {
    m_dialog.ShowMessage(*pasted.refusal);
    return;
  }
  if (pasted.names.empty()) return;
  m_rows.SetNewNames(std::move(pasted.names));
  m_namesFrom = NamesFrom::kPasted;
  m_dialog.SetColumnNames(kNewNameColumn, m_rows.Targets());
  ValidateNewNames();
  UpdateControls();
}

}  // namespace quillon
