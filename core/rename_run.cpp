#include "core/rename_run.h"

#include <algorithm>
#include <unordered_set>

#include "core/collation.h"
#include "core/name_numbering.h"
#include "core/paths.h"
#include "core/records.h"
#include "resources/strings.h"

namespace quillon {

RenameRun::RenameRun(DirectoryHandle& directory, std::u16string_view directoryPath,
                     RunObserver& observer, std::span<const std::u16string_view> sources,
                     std::span<const std::u16string_view> targets, RunLog* log)
    : m_directory(directory),
      m_directoryPath(directoryPath),
      m_observer(observer),
      m_sources(sources),
      m_targets(targets),
      m_log(log) {}

bool RenameRun::Run(std::vector<std::u16string>* currentNames) {
  m_currentNames = currentNames;
  NumberNames();
  m_rows.resize(m_sources.size());
  for (std::size_t row = 0; row < m_rows.size(); ++row) m_rows[row] = static_cast<Row>(row);
  m_done.assign(m_rows.size(), false);
  m_renamed.assign(m_rows.size(), false);

  m_stuck.assign(static_cast<std::size_t>(m_nameCount), 0);
  SettleUnchanged();
  SweepDirect();
  if (!m_rows.empty()) FailRowsWaitingForStuckFiles();
  if (!m_rows.empty()) RenameViaTemporary();
  ConfirmCaseChanges();
  RecordCurrentNames();
  return m_succeeded;
}

void RenameRun::NumberNames() {
  // From here on the passes compare and count small numbers, never names.
  NameNumbering numbering([this](std::int32_t k) {
    const auto row = static_cast<std::size_t>(k / 2);
    return k % 2 == 0 ? m_sources[row] : m_targets[row];
  });
  numbering.Reserve(2 * m_sources.size());
  m_ids.resize(2 * m_sources.size());
  for (std::size_t row = 0; row < m_sources.size(); ++row) {
    m_ids[2 * row] = numbering.Add(m_sources[row]);
    m_ids[2 * row + 1] = numbering.Add(m_targets[row]);
  }
  m_nameCount = numbering.Count();
}

void RenameRun::SettleUnchanged() {
  std::vector<std::int32_t> bearers(static_cast<std::size_t>(m_nameCount), 0);
  for (const Row row : m_rows) ++bearers[OldId(row)];
  for (const Row row : m_rows) {
    if (OldId(row) != NewId(row)) continue;
    if (m_sources[row] == m_targets[row]) {
      m_done[row] = true;
      Succeed(row);
    } else if (bearers[OldId(row)] == 1) {
      MoveRow(row);
    }
  }
  RemoveDoneRows();
}

void RenameRun::SweepDirect() {
  m_blocked.assign(static_cast<std::size_t>(m_nameCount), 0);
  for (const Row row : m_rows) ++m_blocked[OldId(row)];
  m_waitHead.assign(static_cast<std::size_t>(m_nameCount), -1);
  m_waitNext.assign(m_sources.size(), -1);
  while (!m_rows.empty() && SweepOnce()) {
  }
}

bool RenameRun::SweepOnce() {
  // Following the direction of the last row's shift settles a series
  // shifted by one in either direction in a single sweep.
  const Row last = m_rows.back();
  const bool backward = CompareNames(m_targets[last], m_sources[last]) > 0;
  bool progress = false;
  const auto visit = [&](Row row) {
    if (m_done[row]) return;
    const std::size_t wanted = NewId(row);
    if (OtherBearers(row) > 0) {
      // Waits for its name; moved at once when that name is freed, so a
      // chain listed in any order unrolls within one sweep.
      m_waitNext[row] = m_waitHead[wanted];
      m_waitHead[wanted] = row;
      m_waitedFor.push_back(wanted);
      return;
    }
    progress = true;
    MoveAndRelease(row);
  };
  if (backward) {
    for (auto it = m_rows.rbegin(); it != m_rows.rend(); ++it) visit(*it);
  } else {
    for (const Row row : m_rows) visit(row);
  }
  for (const std::size_t name : m_waitedFor) m_waitHead[name] = -1;
  m_waitedFor.clear();
  RemoveDoneRows();
  return progress;
}

void RenameRun::MoveAndRelease(Row first) {
  std::vector<Row> ready{first};
  while (!ready.empty()) {
    const Row row = ready.back();
    ready.pop_back();
    if (!MoveRow(row)) continue;
    const std::size_t freed = OldId(row);
    // With one bearer left, only a case-only change of that very file can go.
    if (--m_blocked[freed] > 1) continue;
    Row stillWaiting = -1;
    for (Row waiting = m_waitHead[freed]; waiting >= 0;) {
      const Row next = m_waitNext[waiting];
      if (OtherBearers(waiting) == 0) {
        ready.push_back(waiting);
      } else {
        m_waitNext[waiting] = stillWaiting;
        stillWaiting = waiting;
      }
      waiting = next;
    }
    m_waitHead[freed] = stillWaiting;
  }
}

std::int32_t RenameRun::OtherBearers(Row row) const {
  return m_blocked[NewId(row)] - (OldId(row) == NewId(row) ? 1 : 0);
}

void RenameRun::FailRowsWaitingForStuckFiles() {
  // The rows left, listed by the name they wait for (the lists are empty
  // after the last sweep).
  for (const Row row : m_rows) {
    m_waitNext[row] = m_waitHead[NewId(row)];
    m_waitHead[NewId(row)] = row;
  }
  std::vector<Row> doomed;
  for (const Row row : m_rows)
    if (m_stuck[NewId(row)] > 0) doomed.push_back(row);
  while (!doomed.empty()) {
    const Row row = doomed.back();
    doomed.pop_back();
    if (m_done[row]) continue;
    m_done[row] = true;
    Fail(row, str::kCannotRename);
    // Its file stays, so its name stays taken for the rows waiting for it.
    if (m_stuck[OldId(row)]++ > 0) continue;
    for (Row waiting = m_waitHead[OldId(row)]; waiting >= 0; waiting = m_waitNext[waiting])
      doomed.push_back(waiting);
  }
  RemoveDoneRows();
}

void RenameRun::RenameViaTemporary() {
  // The old names of the rows not yet handled here. A new name still held
  // by one of them cannot be taken, so the direct move is not even tried: it
  // could only fail, and a cycle of n files would cost n moves more.
  std::vector<std::int32_t> held(static_cast<std::size_t>(m_nameCount), 0);
  for (const Row row : m_rows) ++held[OldId(row)];

  // Every temporary name is on record before the first file takes one, in
  // one durable write however many cycles there are.
  std::unordered_set<std::u16string> chosen;
  std::vector<RunLog::Parking> plan = PlanParking(held, &chosen);
  if (m_log != nullptr && !plan.empty() && !m_log->WillPark(*m_nameLimit, plan)) plan.clear();
  auto planned = plan.begin();

  std::vector<TMPRENAMEITEM> parked;
  for (const Row row : m_rows) {
    m_done[row] = true;
    // Parking an earlier row of a cycle may have freed this one's name (a
    // case-only change among twins waits only for the other bearer).
    const std::int32_t ownHold = OldId(row) == NewId(row) ? 1 : 0;
    bool leftOldName = false;
    if (held[NewId(row)] == ownHold) {
      leftOldName = MoveToFreedName(row);
    } else {
      // Only a row the plan parks has a temporary name on record; one whose
      // name stays held because an earlier file failed keeps its own.
      while (planned != plan.end() && planned->row < row) ++planned;
      const bool hasName = planned != plan.end() && planned->row == row && !planned->name.empty();
      leftOldName = ParkRow(row, hasName ? &planned->name : nullptr, &chosen, &parked);
    }
    if (leftOldName) --held[OldId(row)];
  }
  m_rows.clear();
  Unpark(parked);
}

bool RenameRun::MoveToFreedName(Row row) {
  if (MoveWithRetry(m_sources[row], m_targets[row])) {
    Succeed(row);
    return true;
  }
  return !FailAfterMove(row, m_sources[row]);
}

bool RenameRun::ParkRow(Row row, std::u16string* plannedName,
                        std::unordered_set<std::u16string>* chosen,
                        std::vector<TMPRENAMEITEM>* parked) {
  const std::u16string_view oldName = m_sources[row];
  std::u16string parkedAt;
  if (plannedName != nullptr && MoveWithRetry(oldName, *plannedName)) {
    parkedAt = std::move(*plannedName);
  } else if (plannedName != nullptr && m_stranded.empty() && m_leftBehind.empty() &&
             m_directory.LookUpName(*plannedName) == NameState::kTaken) {
    // Another entry bears the planned name (a file of the user's, or one
    // made since): another name, on record before it is taken.
    chosen->insert(*plannedName);
    parkedAt = ParkElsewhere(row, chosen);
  }
  if (parkedAt.empty() && !m_stranded.empty()) {
    // Half way and stuck: the file is parked all the same, under that name.
    parkedAt = std::move(m_stranded);
    m_stranded.clear();
  }
  if (parkedAt.empty()) {
    FailAfterMove(row, oldName);
    return false;
  }
  parked->push_back({row, std::move(parkedAt), std::u16string(m_targets[row])});
  return true;
}

void RenameRun::Unpark(const std::vector<TMPRENAMEITEM>& parked) {
  if (parked.empty()) return;
  if (m_log != nullptr) {
    // The parked files reach the disk before the record that they move on:
    // a power cut must never keep that record and lose a park, or the
    // directory would look as it did before the run.
    m_directory.MakeDurable();
    m_log->WillUnpark();
  }
  for (const TMPRENAMEITEM& item : parked) {
    if (MoveWithRetry(item.tmpName, item.newName)) {
      Succeed(item.index);
      continue;
    }
    // Its new name stays taken (its holder could not move, or another
    // program took it): back under its own name while that is free, so that
    // a temporary name outlives the run only where the way back is taken
    // too. Then the row says where the file is, and undo can still bring it
    // back.
    const std::u16string_view oldName = m_sources[item.index];
    if (m_stranded.empty() && m_leftBehind.empty() && MoveWithRetry(item.tmpName, oldName)) {
      Fail(item.index, str::kCannotRename);
      continue;
    }
    FailAfterMove(item.index, item.tmpName);
  }
}

bool RenameRun::FailAfterMove(Row row, std::u16string_view from) {
  std::u16string nameNow = m_stranded.empty() ? std::u16string(from) : std::move(m_stranded);
  const bool atOldName = nameNow == m_sources[row];
  std::u16string text(str::kCannotRename);
  if (!atOldName) text.append(nameNow).append(str::kStoredUnder);
  if (!m_leftBehind.empty()) text.append(m_leftBehind).append(str::kNameAlsoLeft);
  Fail(row, text);
  if (!atOldName) m_leftParked.emplace_back(row, std::move(nameNow));
  m_stranded.clear();
  m_leftBehind.clear();
  return atOldName;
}

bool RenameRun::MoveRow(Row row) {
  m_done[row] = true;
  if (MoveWithRetry(m_sources[row], m_targets[row])) {
    Succeed(row);
    return true;
  }
  if (FailAfterMove(row, m_sources[row])) ++m_stuck[OldId(row)];
  return false;
}

void RenameRun::Succeed(Row row) {
  m_observer.RowFinished(row, str::kResultOk);
  m_renamed[row] = true;
  m_observer.Progress(++m_rowsDone);
}

void RenameRun::ConfirmCaseChanges() {
  std::vector<std::u16string> notTaken;
  m_directory.ConfirmSpellings(&notTaken);
  if (notTaken.empty()) return;
  const std::unordered_set<std::u16string_view> kept(notTaken.begin(), notTaken.end());
  for (std::size_t row = 0; row < m_sources.size(); ++row) {
    if (!m_renamed[row] || OldId(static_cast<Row>(row)) != NewId(static_cast<Row>(row)) ||
        kept.count(m_targets[row]) == 0)
      continue;
    // The file is still found under its old spelling.
    m_renamed[row] = false;
    m_succeeded = false;
    m_observer.RowFinished(static_cast<Row>(row),
                           std::u16string(str::kFailurePrefix) + str::kCannotRename);
  }
}

RenameRun::Row RenameRun::FirstFailedRow() const {
  const auto failed = std::find(m_renamed.begin(), m_renamed.end(), false);
  return failed == m_renamed.end() ? -1 : static_cast<Row>(failed - m_renamed.begin());
}

void RenameRun::RecordCurrentNames() {
  // The passes' own state goes first: it is not needed any more.
  m_ids = {};
  m_blocked = {};
  m_stuck = {};
  m_waitHead = {};
  m_waitNext = {};
  if (m_currentNames == nullptr) return;
  std::vector<std::u16string>& names = *m_currentNames;
  names.clear();
  names.shrink_to_fit();
  names.reserve(m_sources.size());
  for (std::size_t row = 0; row < m_sources.size(); ++row)
    names.emplace_back(m_renamed[row] ? m_targets[row] : m_sources[row]);
  for (auto& [row, temporary] : m_leftParked)
    names[static_cast<std::size_t>(row)] = std::move(temporary);
}

void RenameRun::Fail(Row row, std::u16string_view message) {
  std::u16string text(str::kFailurePrefix);
  text.append(message);
  m_observer.RowFinished(row, text);
  m_succeeded = false;
  m_observer.Progress(++m_rowsDone);
}

void RenameRun::RemoveDoneRows() {
  std::erase_if(m_rows, [this](Row row) { return m_done[row]; });
}

bool RenameRun::MoveWithRetry(std::u16string_view oldName, std::u16string_view newName) {
  m_stranded.clear();
  m_leftBehind.clear();
  if (oldName == newName) return true;
  for (;;) {
    std::u16string nameNow;
    const MoveResult result = m_directory.Move(oldName, newName, &nameNow);
    if (m_log != nullptr && result != MoveResult::kMoved)
      m_log->MoveEnded(m_moves, result, nameNow);
    ++m_moves;
    switch (result) {
      case MoveResult::kMoved:
        return true;
      case MoveResult::kFailed:
        return false;
      case MoveResult::kStranded:
        // A port that did not say where leaves the old name standing in.
        m_stranded = nameNow.empty() ? std::u16string(oldName) : std::move(nameNow);
        return false;
      case MoveResult::kLeftBehind:
        m_leftBehind = nameNow.empty() ? std::u16string(newName) : std::move(nameNow);
        return false;
      case MoveResult::kInUse:
        // The user closes the other program; closing the dialog retries too.
        m_observer.FileInUse(JoinPath(m_directoryPath, oldName) + str::kFileInUse);
        break;
    }
  }
}

}  // namespace quillon
