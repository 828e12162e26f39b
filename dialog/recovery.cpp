// Runs a crash, a kill or a power cut stopped: found at start, reported, and
// finished or taken back as the user chooses.
#include <algorithm>
#include <string>

#include "core/name_pool.h"
#include "core/paths.h"
#include "core/run_recovery.h"
#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {
namespace {

// The journal's rows in `order`, each new name without its file's
// extension, as the rows keep it.
FileRows RowsOfJournal(const JournalContents& journal, const std::vector<std::size_t>& order) {
  std::vector<std::shared_ptr<CFileNameX>> files;
  std::vector<std::u16string> newNames;
  for (const std::size_t row : order) {
    files.push_back(std::make_shared<CFileNameX>(journal.sources[row]));
    std::u16string_view target = journal.targets[row];
    const std::u16string_view ext = files.back()->m_ext;
    if (target.size() >= ext.size() && target.substr(target.size() - ext.size()) == ext)
      target.remove_suffix(ext.size());
    newNames.emplace_back(target);
  }
  FileRows rows(journal.directory, std::move(files));
  rows.SetNewNames(std::move(newNames));
  return rows;
}

// The rows whose file was found come first, in the journal's order, and
// take part in the run; the others follow, said to be missing.
std::vector<std::size_t> FoundRowsFirst(const LocatedRun& located) {
  std::vector<std::size_t> order;
  for (std::size_t row = 0; row < located.namesNow.size(); ++row)
    if (located.namesNow[row]) order.push_back(row);
  for (std::size_t row = 0; row < located.namesNow.size(); ++row)
    if (!located.namesNow[row]) order.push_back(row);
  return order;
}

// Each leftover is proven the run's own again at removal.
void RemoveLeftovers(FileSystem& fileSystem, std::u16string_view directory,
                     const LocatedRun& located) {
  const auto handle = fileSystem.OpenDirectory(directory);
  if (!handle) return;
  for (const auto& [leftover, fileName] : located.leftovers)
    handle->RemoveLeftover(leftover, fileName);
}

std::u16string Decimal(std::size_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

void CQuillonDlg::RecoverInterruptedRuns() {
  if (m_journals == nullptr) return;
  for (const auto& file : m_journals->ClaimAbandoned()) RecoverRun(*file);
}

void CQuillonDlg::RecoverRun(JournalFile& file) {
  const std::optional<std::string> bytes = file.ReadAll();
  if (!bytes) return;
  const JournalContents journal = ReadJournal(*bytes);
  // Without its whole plan on record the run never made its first move.
  if (!journal.rowsComplete) {
    file.Remove();
    return;
  }
  const std::optional<LocatedRun> located = LocateForRecovery(journal, file);
  if (!located) return;
  const std::size_t notPlaced = located->CountNotAt(
      [&](std::size_t row) -> const std::u16string& { return journal.targets[row]; });
  // The run had ended; only the removal of its journal was cut short.
  if (notPlaced == 0 && located->leftovers.empty()) {
    file.Remove();
    return;
  }
  std::u16string text = str::kRecoveryInterrupted + journal.directory + u"\n";
  text.append(Decimal(notPlaced)).append(str::kRecoveryNotAtPlanned).append(str::kRecoveryChoose);
  const DialogPort::RecoveryChoice choice = m_dialog.AskRecovery(text);
  if (choice == DialogPort::RecoveryChoice::kLater) return;
  RemoveLeftovers(m_fileSystem, journal.directory, *located);
  SettleRun(journal, *located, choice == DialogPort::RecoveryChoice::kFinish);
  // A journal of its own kept the settling safe; this one has done its part
  // once the settling could start.
  if (!m_runNotStarted) file.Remove();
}

std::optional<LocatedRun> CQuillonDlg::LocateForRecovery(const JournalContents& journal,
                                                         JournalFile& file) {
  // The handle goes before any question: while one is open a session's end
  // is held back, and a medium cannot be ejected.
  auto directory = m_fileSystem.OpenDirectory(journal.directory);
  const bool same = directory && SameDirectoryAfterRestart(journal.identity, directory->Identity());
  LocatedRun located = same ? LocateRun(journal, *directory) : LocatedRun{};
  directory.reset();
  if (!same) {
    if (m_dialog.AskOkCancel(str::kRecoveryDirectoryGone + journal.directory)) file.Remove();
    return std::nullopt;
  }
  if (!located.clear) {
    if (m_dialog.AskOkCancel(str::kRecoveryUnclear + journal.directory)) file.Remove();
    return std::nullopt;
  }
  return located;
}

void CQuillonDlg::SettleRun(const JournalContents& journal, const LocatedRun& located,
                            bool finish) {
  const std::vector<std::size_t> order = FoundRowsFirst(located);
  const auto found =
      static_cast<std::size_t>(std::count_if(located.namesNow.begin(), located.namesNow.end(),
                                             [](const auto& name) { return name.has_value(); }));

  ListRows(RowsOfJournal(journal, order));

  std::vector<std::u16string_view> sources;
  std::vector<std::u16string_view> targets;
  for (std::size_t i = 0; i < found; ++i) {
    sources.emplace_back(*located.namesNow[order[i]]);
    targets.emplace_back(finish ? journal.targets[order[i]] : journal.sources[order[i]]);
  }
  std::vector<std::u16string> namesNow;
  const bool succeeded =
      RunRenames(std::span(sources), std::span(targets), &namesNow, RunKind::kRecovery) &&
      found == order.size();
  const std::u16string missing = std::u16string(str::kVerdictMissing);
  for (std::size_t i = found; i < order.size(); ++i)
    m_dialog.SetCellText(static_cast<int>(i), kResultColumn, missing);
  if (m_runNotStarted) {
    m_dialog.ShowMessage(str::kJournalUnwritable);
    return;
  }
  if (finish) {
    // Where the files are now is what undo starts from.
    for (std::size_t i = found; i < order.size(); ++i)
      namesNow.push_back(journal.targets[order[i]]);
    m_rows.SetCurrentNames(std::move(namesNow));
    m_executed = true;
    m_executedRun = {m_runDirectoryIdentity, {}};
  }
  m_dialog.ShowMessage(finish ? (succeeded ? str::kRenamed : str::kSomeNotRenamed)
                              : (succeeded ? str::kRestored : str::kSomeNotRestored));
  UpdateControls();
}

}  // namespace quillon
