// Taking a drop into the rows.
#include "intake/drop_intake.h"

#include "dialog/quillon_dlg.h"
#include "intake/natural_order.h"
#include "resources/strings.h"

namespace quillon {

void CQuillonDlg::OnFilesDropped(const std::vector<std::u16string>& paths) {
  OnFilesDropped(std::vector<std::u16string>(paths));
}

void CQuillonDlg::OnFilesDropped(std::vector<std::u16string>&& dropped) {
  // While an execution is in force the rows must stay as the engine left
  // them, or undo would pair files with the wrong names. The list refuses
  // drops then; this guards the other ways in.
  if (dropped.empty() || m_executed) return;

  ProgressScope progress(m_dialog, dropped.size());
  AcceptedDrop drop = AcceptDrop(m_fileSystem, std::move(dropped), m_rows.Directory(),
                                 [&progress](std::size_t done) { progress.Set(done); });
  if (drop.refusal) {
    m_dialog.ShowMessage(*drop.refusal);
    return;
  }
  m_rows.SetDirectory(std::move(drop.directory));
  m_dialog.SetDirectoryText(m_rows.Directory());
  m_rows.SetNewNames({});
  m_namesFrom = NamesFrom::kNone;
  m_invalid = false;
  const std::vector<std::u16string> before =
      m_rowOrder == RowOrder::kByName ? std::vector<std::u16string>() : m_rows.OldNames();
  const bool changed = MergeEntries(std::move(drop.files));
  // The files join in natural order; the list keeps its own.
  KeepRowOrder(before, changed);
  if (changed) {
    RebuildRows();
  } else {
    // Every file was listed already, under the name shown: the rows stay,
    // but the names and verdicts they showed are no longer in effect.
    m_dialog.ClearColumn(kNewNameColumn);
    m_dialog.ClearColumn(kResultColumn);
  }
  UpdateControls();
}

bool CQuillonDlg::MergeEntries(std::vector<std::shared_ptr<CFileNameX>> entries) {
  // The merge walks both lists in natural order.
  if (m_rowOrder != RowOrder::kByName) m_rows.Reorder(NaturalOrder(m_rows.Files()));
  MergedRows merged =
      MergeDroppedFiles(m_fileSystem, m_rows.Directory(), m_rows.Files(), std::move(entries));
  // The rows keep their new names when they stay the same files.
  if (merged.changed) m_rows.SetFiles(std::move(merged.rows));
  return merged.changed;
}

}  // namespace quillon
