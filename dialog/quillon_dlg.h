// The main dialog's logic: the renaming state and every handler, written
// against the file-system port and the dialog port, free of any toolkit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_dates.h"
#include "core/file_rows.h"
#include "core/file_system.h"
#include "core/journal_store.h"
#include "core/plan_check.h"
#include "core/records.h"
#include "core/row_order.h"
#include "core/run_journal.h"
#include "core/run_recovery.h"
#include "dialog/dialog_port.h"

namespace quillon {

// Where the keyboard focus is when Enter reaches the dialog.
enum class FocusArea { kNameField, kFileList, kOther };

class CQuillonDlg {
 public:
  // Both ports, the journal store and the date reader must outlive the
  // dialog. Without a store runs keep no journal; without a date reader the
  // rows cannot be ordered by their dates.
  CQuillonDlg(FileSystem& fileSystem, DialogPort& dialog, JournalStore* journals = nullptr,
              FileDateReader* dates = nullptr);

  // --- Control state -------------------------------------------------------
  // Derives every control's enabled state and the list's drop acceptance
  // from the renaming members.
  void UpdateControls();

  // --- Intake (drop handler) -------------------------------------------------
  // A drop of full paths, in the order the source delivered them. Taken whole
  // or refused whole with a message.
  void OnFilesDropped(const std::vector<std::u16string>& paths);
  // The same, letting go of the paths as soon as they are split, so that a
  // large drop does not hold its paths and its rows at once.
  void OnFilesDropped(std::vector<std::u16string>&& paths);
  // Merges new entries into m_files in natural order, names that differ only
  // in case by their code units. A row is one file: spellings the directory
  // shows to be one file become one row, under the entry's own spelling.
  // True when the names of the rows changed (a file added, a row spelt anew).
  bool MergeEntries(std::vector<std::shared_ptr<CFileNameX>> entries);

  // --- Refresh and reset ---------------------------------------------------
  void ResetList();
  void RefreshList();

  // --- New names -------------------------------------------------------------
  bool CanGenerateNames();
  void GenerateNames();
  // Judges m_newNames in three ordered stages; writes the verdicts, sets
  // m_invalid and shows at most one message. True when the names passed.
  bool ValidateNewNames();

  // Checks a plan against one listing of m_directory. Fills `missing` with
  // the rows whose source is not there and `duplicates` with the rows whose
  // target clashes with another file, or with another target; true when both
  // stay empty.
  bool CheckRenamePlan(const std::vector<std::u16string>& sources,
                       const std::vector<std::u16string>& targets, std::vector<int>* duplicates,
                       std::vector<int>* missing, TargetsAre targetsAre = TargetsAre::kNew);

  // --- The list's commands ------------------------------------------------------
  // Places the names on the clipboard, each followed by CR LF; a clipboard
  // that refuses them gets a message.
  void CopyNameList(const std::vector<std::u16string_view>& names);
  // One of the four copy commands: old or new names, with or without
  // extension, of every row.
  void OnCopyNameList(MenuCommand command);
  // Replaces every new name by a line of the clipboard's text, or refuses
  // the whole list with a message when it does not fit the rows.
  void PasteNewNames();
  // Removes the selected rows; with none left the list is reset.
  void DeleteSelectedRows();
  // Opens each selected row's file (its new name once executed) with the
  // desktop's default application.
  void OpenSelectedFiles();
  // Whether a menu item is enabled, given what only the window knows.
  bool IsMenuCommandEnabled(MenuCommand command, bool clipboardHasText, bool rowsSelected) const;
  // A command chosen from the list's menu; does nothing when it is not
  // enabled at that moment.
  void OnMenuCommand(MenuCommand command);
  // Whether a menu item shows a check mark: the item of the rows' order.
  bool IsMenuCommandChecked(MenuCommand command) const;
  // Puts the rows in `order` (by name, date taken or time modified): the
  // records move with their files, generated names are generated again in
  // the new order, pasted ones are emptied, and the names are judged again.
  void OnRowOrder(RowOrder order);
  // Moves the selected rows one place up (-1) or down (+1); the rows are
  // then ordered by hand.
  void MoveSelectedRows(int delta);
  RowOrder CurrentRowOrder() const { return m_rowOrder; }
  // Enter: generates in the name field, opens in the list, nothing elsewhere.
  void OnOK(FocusArea focus);

  // --- Execution and undo ----------------------------------------------------
  void OnExecute();
  bool OnUndo();
  // At start: every run a crash, a kill or a power cut stopped is reported,
  // and finished or taken back as the user chooses; the rows then show it.
  void RecoverInterruptedRuns();
  bool RunRenames(const std::vector<std::u16string>& sources,
                  const std::vector<std::u16string>& targets,
                  std::vector<std::u16string>* currentNames);

  // Lists rows given whole, replacing any, as a run recovered from its
  // journal is shown: the directory, the names and the new names. With
  // `executed`, the files already bear their new names (rows.CurrentNames()
  // says where each is) and undo can take them back.
  struct ExecutedRun {
    // The directory's identity at the execution; undo acts only on it.
    std::optional<DirectoryIdentity> directory;
    // Entries that stood beside the listed files under the same name in
    // another letter case (a file system that tells case apart): they were
    // there all along, so they do not stop undo.
    std::vector<std::u16string> twins;
  };
  void ListRows(FileRows rows, std::optional<ExecutedRun> executed = std::nullopt);

  // --- Renaming state, read by the window and by tests ---------------------
  const FileRows& Rows() const { return m_rows; }
  const std::u16string& Directory() const { return m_rows.Directory(); }
  const std::vector<std::shared_ptr<CFileNameX>>& Files() const { return m_rows.Files(); }
  const std::vector<std::u16string>& NewNames() const { return m_rows.NewNames(); }
  const std::vector<std::u16string>& CurrentNames() const { return m_rows.CurrentNames(); }
  bool Executed() const { return m_executed; }
  bool Invalid() const { return m_invalid; }
  const ExecutedRun& LastExecution() const { return m_executedRun; }

 private:
  // The directory, the files, their new names and where each file is now.
  FileRows m_rows;
  bool m_executed = false;
  bool m_invalid = false;
  // The last execution, kept for undo while m_executed.
  ExecutedRun m_executedRun;
  RowOrder m_rowOrder = RowOrder::kByName;
  // Where the new names came from: after a change of order generated names
  // are generated again, pasted ones no longer belong to their rows.
  enum class NamesFrom { kNone, kGenerated, kPasted };
  NamesFrom m_namesFrom = NamesFrom::kNone;

  // Takes the execution back when the directory still fits it: whether
  // every file went back, or nullopt when it no longer fits.
  std::optional<bool> UndoWhereItFits();
  // Whether the rows' directory still leads to the directory that was
  // executed.
  bool IsExecutedDirectory();

  void RebuildRows();
  // The rules and the dispatch of the order submenu's items; the second
  // answers false for any other command.
  bool IsOrderCommandEnabled(MenuCommand command, bool rowsSelected) const;
  bool RunOrderCommand(MenuCommand command);
  // The permutation that puts the rows in `order`; reads the files' dates
  // for the orders by date.
  std::vector<std::size_t> PermutationFor(RowOrder order);
  // After a drop merged its files in natural order: the rows in m_rowOrder
  // again, given the rows' names before the drop and whether the drop
  // changed the files listed.
  void KeepRowOrder(const std::vector<std::u16string>& before, bool changed);
  // Shows the rows reordered by `permutation` with their names as a change
  // of order leaves them.
  void ShowReordered(const std::vector<std::size_t>& permutation);
  // Marks `rows` (ascending) with the verdict, shows the message and holds
  // the names back from execution; false.
  bool RejectNewNames(const std::vector<int>& rows, std::u16string_view verdict,
                      std::u16string_view message);

  // The renames of the rows' new names, recorded in m_currentNames.
  bool RunPlan();
  // The plan check on names viewed where they already live.
  bool CheckRenamePlan(std::span<const std::u16string_view> sources,
                       std::span<const std::u16string_view> targets, std::vector<int>* duplicates,
                       std::vector<int>* missing, TargetsAre targetsAre);
  // The engine on names viewed where they already live, so that a run of
  // many rows copies none of them. `currentNames` may be null when where
  // each file ends up need not be kept. When a row failed, the list is
  // scrolled to the first such row. With a journal store, the run keeps a
  // journal of kind `kind`; when that cannot be written, nothing moves and
  // m_runNotStarted says so.
  bool RunRenames(std::span<const std::u16string_view> sources,
                  std::span<const std::u16string_view> targets,
                  std::vector<std::u16string>* currentNames, RunKind kind = RunKind::kExecute);

  // One journal found at start; it is removed once its run is settled.
  void RecoverRun(JournalFile& file);
  // Where the journal's files are now; nullopt when that cannot be told,
  // once the user has said whether to forget the journal.
  std::optional<LocatedRun> LocateForRecovery(const JournalContents& journal, JournalFile& file);
  // Lists the journal's rows and moves the files found from where they are
  // to `finish` ? the planned names : the names before the run.
  void SettleRun(const JournalContents& journal, const LocatedRun& located, bool finish);

  // Such entries as the last check of new names found.
  std::vector<std::u16string> m_checkedTwins;
  // The identity of the directory the last run opened, and the one a run
  // must find (undo), if any.
  std::optional<DirectoryIdentity> m_runDirectoryIdentity;
  std::optional<DirectoryIdentity> m_requiredDirectory;

  FileSystem& m_fileSystem;
  DialogPort& m_dialog;
  JournalStore* m_journals;
  FileDateReader* m_dates;
  bool m_runNotStarted = false;
};

}  // namespace quillon
