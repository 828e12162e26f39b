// The plan check on the rows' directory, with the progress shown and the
// twins of new names kept for undo.
#include "core/plan_check.h"

#include "dialog/quillon_dlg.h"

namespace quillon {

bool CQuillonDlg::CheckRenamePlan(const std::vector<std::u16string>& sources,
                                  const std::vector<std::u16string>& targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing,
                                  TargetsAre targetsAre) {
  const std::vector<std::u16string_view> sourceViews(sources.begin(), sources.end());
  const std::vector<std::u16string_view> targetViews(targets.begin(), targets.end());
  return CheckRenamePlan(std::span(sourceViews), std::span(targetViews), duplicates, missing,
                         targetsAre);
}

bool CQuillonDlg::CheckRenamePlan(std::span<const std::u16string_view> sources,
                                  std::span<const std::u16string_view> targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing,
                                  TargetsAre targetsAre) {
  ProgressScope progress(m_dialog, sources.size());
  PlanToCheck plan{.directory = m_rows.Directory(),
                   .sources = sources,
                   .targets = targets,
                   .targetsAre = targetsAre,
                   .knownTwins = {},
                   .progress = [&progress](std::size_t done) { progress.Set(done); }};
  if (targetsAre == TargetsAre::kFormer) plan.knownTwins = m_executedRun.twins;
  PlanCheck check = quillon::CheckRenamePlan(m_fileSystem, plan);
  if (targetsAre == TargetsAre::kNew) m_checkedTwins = std::move(check.twins);
  *duplicates = std::move(check.duplicates);
  *missing = std::move(check.missing);
  return duplicates->empty() && missing->empty();
}

}  // namespace quillon
