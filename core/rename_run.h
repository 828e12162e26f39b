// One run of the rename engine: moves every file of a plan to its new name
// without ever moving one onto a name that is still taken, parking files
// under temporary names only where names form a cycle.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/file_system.h"
#include "core/records.h"

namespace quillon {

// What a run tells while it goes, and the one question it asks.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // The row's outcome: "〇", or "×" and why.
  virtual void RowFinished(std::int32_t row, std::u16string_view result) = 0;
  // `done` rows have their outcome.
  virtual void Progress(std::size_t done) = 0;
  // Another program holds a file open; returns when the user wants the move
  // tried again.
  virtual void FileInUse(std::u16string_view message) = 0;
};

// What a run puts on record before it acts, so that a run cut short by a
// crash can be finished or taken back from what the disk shows.
class RunLog {
 public:
  struct Parking {
    std::int32_t row;
    std::u16string name;
  };
  virtual ~RunLog() = default;
  // Before the first file is parked: every row that will be and its
  // temporary name, chosen within `limit`, made durable. False when that
  // failed: then no file is parked.
  virtual bool WillPark(const NameLimit& limit, std::span<const Parking> parked) = 0;
  // Before the first parked file moves on, made durable.
  virtual void WillUnpark() = 0;
  // The run's call number `move` (from 0) of DirectoryHandle::Move did not
  // simply move; `nameNow` as the port reported it.
  virtual void MoveEnded(std::uint64_t move, MoveResult result, std::u16string_view nameNow) = 0;
};

class RenameRun {
 public:
  using Row = std::int32_t;

  // Row i moves sources[i] to targets[i] in `directory` (shown to the user
  // as `directoryPath`). Every argument must outlive the run; `log` may be
  // null. Tells each row's outcome and the rows done to `observer`.
  RenameRun(DirectoryHandle& directory, std::u16string_view directoryPath, RunObserver& observer,
            std::span<const std::u16string_view> sources,
            std::span<const std::u16string_view> targets, RunLog* log = nullptr);

  // Moves every file; afterwards (*currentNames)[i] is the name row i's file
  // bears (old, new or temporary); null records nothing. True when every
  // row ended with "〇".
  bool Run(std::vector<std::u16string>* currentNames);
  // The first row whose file does not bear its new name after the run, or
  // -1 when there is none.
  Row FirstFailedRow() const;

 private:
  void NumberNames();
  // Unchanged rows and case-only changes, which take no other file's name.
  // A case-only change beside a listed twin (a1.txt and A1.txt where case is
  // told apart) may want the spelling the twin bears: it waits in the sweep.
  void SettleUnchanged();
  // Sweeps over the waiting rows until a sweep moves nothing; the rows left
  // wait for names held by a cycle or by a file that failed to move.
  void SweepDirect();
  // One sweep in the direction of the last row's shift; false when it moved
  // nothing.
  bool SweepOnce();
  // Moves `row` and then every row that was waiting for a name thereby
  // freed, and the rows waiting for theirs in turn.
  void MoveAndRelease(Row row);
  // How many rows other than `row` still bear the name `row` wants.
  std::int32_t OtherBearers(Row row) const;
  // The rows left whose new name stays taken because the file bearing it
  // could not move, and the rows waiting for theirs in turn: each keeps its
  // own name and fails. What is left then waits only for cycles.
  void FailRowsWaitingForStuckFiles();
  // The rows left: a direct move where parking an earlier one freed the
  // name, otherwise parked under a temporary name and moved at the end.
  void RenameViaTemporary();
  // A row left whose new name is free now: moved there. True when its file
  // no longer bears its old name.
  bool MoveToFreedName(Row row);
  // A row left whose new name is still held: its file goes under its
  // planned temporary name (null where it has none), or another free one
  // where that was taken meanwhile, and joins `parked`. True when its file
  // no longer bears its old name; otherwise the row failed.
  bool ParkRow(Row row, std::u16string* plannedName, std::unordered_set<std::u16string>* chosen,
               std::vector<TMPRENAMEITEM>* parked);
  // Which of the rows left will be parked, as RenameViaTemporary goes, if
  // every move succeeds; each with the first temporary name that fits, is
  // free and is not in `chosen` (which gains it), or none where none can be
  // found. `held` counts the rows left bearing each name. A name on record
  // must be free when chosen: after a crash, an entry found under it is
  // then the run's own.
  std::vector<RunLog::Parking> PlanParking(std::vector<std::int32_t> held,
                                           std::unordered_set<std::u16string>* chosen);
  // Reads, in one listing, every entry whose name holds "_tmp" in any case,
  // upper-cased, into m_temporaryLike; leaves it empty where the listing
  // fails, and then each name is looked up.
  void ReadTemporaryLikeNames();
  // Parks the row's file under another name after its planned one was
  // taken meanwhile: the first free one, put on record first. Empty when
  // none could be taken.
  std::u16string ParkElsewhere(Row row, std::unordered_set<std::u16string>* chosen);
  // Moves the parked files on, or back where their names stay taken.
  void Unpark(const std::vector<TMPRENAMEITEM>& parked);

  // The move of one row to its new name, with its result text.
  bool MoveRow(Row row);
  // True when the file now bears newName. A move that could not be taken
  // back leaves the name the file bears now in m_stranded; one that left an
  // entry of its own beside the file leaves that entry's name in
  // m_leftBehind (both empty otherwise).
  bool MoveWithRetry(std::u16string_view oldName, std::u16string_view newName);
  // The failure of a row after a move away from `from` failed: the row names
  // every name the file and the move's leftovers bear now, other than the
  // row's old name, and undo follows the file there. True when the file
  // still bears the row's old name.
  bool FailAfterMove(Row row, std::u16string_view from);
  // The first "<base>_tmp<n><ext>" that fits the directory and is not in
  // `chosen`, and with `lookUp` also free; empty when none can be found.
  std::u16string ChooseTemporaryName(std::u16string_view name,
                                     const std::unordered_set<std::u16string>& chosen, bool lookUp);
  // Whether a temporary name is free: from the names read by
  // ReadTemporaryLikeNames where there are any, else by a lookup.
  NameState TemporaryNameState(const std::u16string& candidate);
  // The row's file now bears its new name.
  void Succeed(Row row);
  void Fail(Row row, std::u16string_view message);
  void RemoveDoneRows();
  // Case-only changes the file system did not keep after all fail.
  void ConfirmCaseChanges();
  // Writes the name each row's file bears into *m_currentNames. Done once,
  // at the end, so that the run never holds a copy of every name besides
  // its own state.
  void RecordCurrentNames();

  std::size_t OldId(Row row) const { return static_cast<std::size_t>(m_ids[2 * row]); }
  std::size_t NewId(Row row) const { return static_cast<std::size_t>(m_ids[2 * row + 1]); }

  DirectoryHandle& m_directory;
  std::u16string_view m_directoryPath;
  RunObserver& m_observer;
  std::span<const std::u16string_view> m_sources;
  std::span<const std::u16string_view> m_targets;
  RunLog* m_log;
  std::uint64_t m_moves = 0;
  std::vector<std::u16string>* m_currentNames = nullptr;
  bool m_succeeded = true;
  std::size_t m_rowsDone = 0;

  // A number per row's old name (element 2 * row) and new name (2 * row + 1),
  // equal exactly for the same name, below m_nameCount.
  std::vector<std::int32_t> m_ids;
  std::int32_t m_nameCount = 0;
  // The rows still to be handled, in row order, and which are done.
  std::vector<Row> m_rows;
  std::vector<bool> m_done;
  // Which rows' files bear their new names; the others keep their old ones,
  // except those left under a temporary name.
  std::vector<bool> m_renamed;
  std::vector<std::pair<Row, std::u16string>> m_leftParked;
  std::u16string m_stranded;
  std::u16string m_leftBehind;
  // How many rows yet to move away still bear each name (two may, on a file
  // system that tells case apart); a failed row keeps blocking its name.
  std::vector<std::int32_t> m_blocked;
  // How many rows that failed still bear each name: it stays taken.
  std::vector<std::int32_t> m_stuck;
  // Rows found blocked in a sweep, listed by the name they wait for and
  // linked through m_waitNext; m_waitedFor lists the names with waiters.
  std::vector<Row> m_waitHead;
  std::vector<Row> m_waitNext;
  std::vector<std::size_t> m_waitedFor;
  // Asked once per run, when the first file is parked.
  std::optional<NameLimit> m_nameLimit;
  std::optional<std::unordered_set<std::u16string>> m_temporaryLike;
};

}  // namespace quillon
