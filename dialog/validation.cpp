// Validation of the new names: three ordered stages, one verdict per row of
// the stage that failed, at most one message.
#include "names/validation.h"

#include "core/name_pool.h"
#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {

bool CQuillonDlg::ValidateNewNames() {
  m_dialog.ClearColumn(kResultColumn);
  // The full new names are built once into one buffer and viewed from there.
  const NamePool targetNames = m_rows.Targets();
  const std::vector<std::u16string_view> targets = targetNames.Views();

  if (!targets.empty()) {
    // A directory that cannot be opened leaves only the general limit; the
    // plan check below then reports every source missing anyway.
    std::optional<NameLimit> limit;
    if (auto handle = m_fileSystem.OpenDirectory(m_rows.Directory()))
      limit = handle->GetNameLimit();
    const NameFaults faults = JudgeNewNames(targets, m_rows.Files(), limit);
    if (faults.Found()) return RejectNewNames(faults.rows, faults.verdict, faults.message);
  }

  const std::vector<std::u16string_view> sources = m_rows.OldNameViews();
  std::vector<int> duplicates;
  std::vector<int> missing;
  if (CheckRenamePlan(std::span(sources), std::span(targets), &duplicates, &missing,
                      TargetsAre::kNew)) {
    m_invalid = false;
    return true;
  }
  // Missing sources come first: a clash means nothing for a file that is not
  // there to be renamed.
  if (!missing.empty()) return RejectNewNames(missing, str::kVerdictMissing, str::kMsgMissing);
  return RejectNewNames(duplicates, str::kVerdictDuplicate, str::kMsgDuplicate);
}

bool CQuillonDlg::RejectNewNames(const std::vector<int>& rows, std::u16string_view verdict,
                                 std::u16string_view message) {
  std::vector<std::u16string> verdicts(m_rows.Count());
  for (const int row : rows) verdicts[static_cast<std::size_t>(row)] = verdict;
  m_dialog.SetColumnTexts(kResultColumn, std::move(verdicts));
  // In thousands of rows the user could not find the marked ones.
  if (!rows.empty()) m_dialog.EnsureRowVisible(rows.front());
  m_dialog.ShowMessage(message);
  m_invalid = true;
  return false;
}

}  // namespace quillon
