// The rename engine's entry: one directory handle and one RenameRun per call.
#include "core/rename_run.h"
#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {
namespace {

// The run's outcomes go into the result column.
// The engine sees three roles of the dialog and nothing else.
class DialogRunObserver : public RunObserver {
 public:
  DialogRunObserver(RowsPort& rows, ProgressPort& progress, MessagesPort& messages)
      : m_rows(rows), m_progress(progress), m_messages(messages) {}
  void RowFinished(std::int32_t row, std::u16string_view result) override {
    m_rows.SetCellText(row, kResultColumn, result);
  }
  void Progress(std::size_t done) override { m_progress.SetProgress(done); }
  void FileInUse(std::u16string_view message) override { m_messages.ShowRetryDialog(message); }

 private:
  RowsPort& m_rows;
  ProgressPort& m_progress;
  MessagesPort& m_messages;
};

}  // namespace

bool CQuillonDlg::RunRenames(const std::vector<std::u16string>& sources,
                             const std::vector<std::u16string>& targets,
                             std::vector<std::u16string>* currentNames) {
  const std::vector<std::u16string_view> sourceViews(sources.begin(), sources.end());
  const std::vector<std::u16string_view> targetViews(targets.begin(), targets.end());
  if (currentNames != &sources && currentNames != &targets)
    return RunRenames(std::span(sourceViews), std::span(targetViews), currentNames);
  // The names are viewed while the run writes the result: it goes elsewhere
  // first when the caller wants it over one of the lists.
  std::vector<std::u16string> result;
  const bool succeeded = RunRenames(std::span(sourceViews), std::span(targetViews), &result);
  *currentNames = std::move(result);
  return succeeded;
}

bool CQuillonDlg::RunRenames(std::span<const std::u16string_view> sources,
                             std::span<const std::u16string_view> targets,
                             std::vector<std::u16string>* currentNames, RunKind kind) {
  ProgressScope progress(m_dialog, sources.size());
  m_runNotStarted = false;
  // One handle for the whole run: a directory renamed or replaced by a link
  // meanwhile cannot send a later move somewhere else.
  std::unique_ptr<DirectoryHandle> directory = m_fileSystem.OpenDirectory(m_rows.Directory());
  m_runDirectoryIdentity = directory ? directory->Identity() : std::nullopt;
  // Another directory put at the same path must not have its files moved.
  const bool expected = !m_requiredDirectory || m_runDirectoryIdentity == m_requiredDirectory;
  std::unique_ptr<JournalWriter> journal;
  if (directory && expected && targets.size() == sources.size() && m_journals != nullptr) {
    journal = JournalWriter::Begin(*m_journals, kind, m_rows.Directory(), m_runDirectoryIdentity,
                                   sources, targets);
    m_runNotStarted = journal == nullptr;
  }
  if (!directory || !expected || targets.size() != sources.size() || m_runNotStarted) {
    if (currentNames != nullptr) currentNames->assign(sources.begin(), sources.end());
    // Nothing moved, and the caller says why.
    if (m_runNotStarted) return false;
    const std::u16string text = std::u16string(str::kFailurePrefix) + str::kCannotRename;
    for (std::size_t row = 0; row < sources.size(); ++row)
      m_dialog.SetCellText(static_cast<int>(row), kResultColumn, text);
    return false;
  }
  if (journal) directory->SetIntermediatePrefix(IntermediatePrefix(journal->RunId()));
  DialogRunObserver observer(m_dialog, m_dialog, m_dialog);
  RenameRun run(*directory, m_rows.Directory(), observer, sources, targets, journal.get());
  const bool succeeded = run.Run(currentNames);
  // The outcome is told only once a power cut cannot take it back; should
  // the file system refuse, the journal stays and the next start checks.
  if (directory->MakeDurable() && journal) journal->Finish();
  // In thousands of rows the user could not find the failed ones.
  if (!succeeded) m_dialog.EnsureRowVisible(run.FirstFailedRow());
  return succeeded;
}

}  // namespace quillon
