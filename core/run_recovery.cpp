#include "core/run_recovery.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "core/rename_run.h"

namespace quillon {
namespace {

// The n of a temporary name "<base>_tmp<n><ext>": how many names its search
// tried before it.
std::uint64_t CandidateNumber(std::u16string_view name) {
  const std::size_t at = name.rfind(u"_tmp");
  if (at == std::u16string_view::npos) return 0;
  std::uint64_t n = 0;
  for (std::size_t i = at + 4; i < name.size() && name[i] >= u'0' && name[i] <= u'9'; ++i)
    n = std::min<std::uint64_t>(n * 10 + (name[i] - u'0'), 1u << 20);
  return n;
}

// One move as the run made it: `from` went, `to` came.
struct Step {
  std::u16string from;
  std::u16string to;
};

// Plays the directory to the engine as the journal tells it: every move
// succeeds but those on record as not, and the temporary names on record are
// the free ones. Keeps the moves made, in order.
class ReplayDirectory : public DirectoryHandle {
 public:
  explicit ReplayDirectory(const JournalContents& journal) : m_journal(journal) {
    for (const auto& outcome : journal.outcomes) m_outcomes.emplace(outcome.move, &outcome);
    std::unordered_map<std::int32_t, const std::u16string*> lastOfRow;
    for (const auto& parking : journal.parking) {
      m_parkingNames.insert(parking.name);
      m_lookupsLeft += 1 + CandidateNumber(parking.name);
      // A row recorded again had found its planned name taken.
      if (const auto [it, first] = lastOfRow.emplace(parking.row, &parking.name); !first) {
        m_takenNames.insert(*it->second);
        it->second = &parking.name;
      }
    }
  }

  // The engine's listing of taken temporary names fails here, so that it
  // asks each name, which the journal answers.
  bool List(std::vector<std::u16string>*) override { return false; }
  bool ListEach(const std::function<void(std::u16string_view)>&) override { return false; }
  // The names on record are the free ones, the names tried before them
  // were taken. The real search asked no more than that, so neither does
  // this one: a record of another plan must not set it asking a million
  // names per row.
  NameState LookUpName(std::u16string_view name) override {
    if (m_lookupsLeft == 0) return NameState::kUnknown;
    --m_lookupsLeft;
    const std::u16string key(name);
    if (m_takenNames.count(key) != 0) return NameState::kTaken;
    return m_parkingNames.count(key) != 0 ? NameState::kFree : NameState::kTaken;
  }
  MoveResult Move(std::u16string_view oldName, std::u16string_view newName,
                  std::u16string* nameNow) override {
    const auto found = m_outcomes.find(m_moves++);
    if (found == m_outcomes.end()) {
      steps.push_back({std::u16string(oldName), std::u16string(newName)});
      return MoveResult::kMoved;
    }
    const JournalContents::Outcome& outcome = *found->second;
    if (nameNow != nullptr) *nameNow = outcome.nameNow;
    if (outcome.result == MoveResult::kStranded && !outcome.nameNow.empty())
      steps.push_back({std::u16string(oldName), outcome.nameNow});
    return outcome.result;
  }
  NameLimit GetNameLimit() override { return m_journal.parkingLimit; }
  std::optional<DirectoryIdentity> Identity() override { return std::nullopt; }

  std::vector<Step> steps;

 private:
  const JournalContents& m_journal;
  std::unordered_map<std::uint64_t, const JournalContents::Outcome*> m_outcomes;
  std::unordered_set<std::u16string> m_parkingNames;
  std::unordered_set<std::u16string> m_takenNames;
  std::uint64_t m_moves = 0;
  std::uint64_t m_lookupsLeft = 0;
};

// Notes where the run's records stood among its moves.
class ReplayLog : public RunLog {
 public:
  ReplayLog(const JournalContents& journal, const std::vector<Step>& steps)
      : m_journal(journal), m_steps(steps) {}

  bool WillPark(const NameLimit&, std::span<const Parking> parked) override {
    // The engine chose again, from the same free names: it must be the
    // same choice, or the record is not this plan's. A choice not on
    // record was never acted on.
    if (m_next + parked.size() > m_journal.parking.size()) {
      if (!unrecordedParkingAt) unrecordedParkingAt = m_steps.size();
      return false;
    }
    diverged = diverged || !std::equal(parked.begin(), parked.end(),
                                       m_journal.parking.begin() + static_cast<long>(m_next),
                                       [](const Parking& a, const Parking& b) {
                                         return a.row == b.row && a.name == b.name;
                                       });
    m_next += parked.size();
    return true;
  }
  bool UsedEveryRecord() const { return m_next == m_journal.parking.size(); }
  void WillUnpark() override { unparkingAt = m_steps.size(); }
  void MoveEnded(std::uint64_t, MoveResult, std::u16string_view) override {}

  std::optional<std::size_t> unrecordedParkingAt;
  std::optional<std::size_t> unparkingAt;
  bool diverged = false;

 private:
  const JournalContents& m_journal;
  const std::vector<Step>& m_steps;
  std::size_t m_next = 0;
};

class SilentObserver : public RunObserver {
 public:
  void RowFinished(std::int32_t, std::u16string_view) override {}
  void Progress(std::size_t) override {}
  void FileInUse(std::u16string_view) override {}
};

// How far the run got, as the directory shows it: the moves before `done`
// were made; `inFlight` says the next was cut half way.
struct Moment {
  std::size_t done = 0;
  bool inFlight = false;
};

// Walks the moves from the start, keeping count of the names whose
// presence differs from the directory's.
class MomentSearch {
 public:
  MomentSearch(const std::vector<std::u16string>& sources, const std::vector<Step>& steps,
               const std::unordered_set<std::u16string>& present)
      : m_steps(steps), m_present(present) {
    for (const auto& name : sources) Predict(name, true);
    for (const Step& step : steps) {
      Predict(step.from, false);
      Predict(step.to, false);
    }
  }

  // Every moment within [first, last] the directory agrees with.
  std::vector<Moment> Find(std::size_t first, std::size_t last) {
    std::vector<Moment> found;
    for (std::size_t done = 0;; ++done) {
      if (done >= first && done <= last) {
        if (m_mismatches == 0)
          found.push_back({done, false});
        else if (done < m_steps.size() && OnlyAt(m_steps[done]))
          found.push_back({done, true});
      }
      if (done == m_steps.size() || done >= last) break;
      Set(m_steps[done].from, false);
      Set(m_steps[done].to, true);
    }
    return found;
  }

 private:
  // Registers a name; `present` only for the first registration.
  void Predict(const std::u16string& name, bool present) {
    if (m_predicted.count(name) != 0) return;
    m_predicted.emplace(name, present);
    if (present != (m_present.count(name) != 0)) ++m_mismatches;
  }
  void Set(const std::u16string& name, bool present) {
    bool& predicted = m_predicted.at(name);
    const bool actual = m_present.count(name) != 0;
    if (predicted != actual) --m_mismatches;
    predicted = present;
    if (predicted != actual) ++m_mismatches;
  }
  bool Differs(const std::u16string& name) const {
    return m_predicted.at(name) != (m_present.count(name) != 0);
  }
  // Whether every difference lies in the names of the move cut half way.
  bool OnlyAt(const Step& step) const {
    std::size_t there = Differs(step.from) ? 1 : 0;
    if (step.to != step.from && Differs(step.to)) ++there;
    return there == m_mismatches;
  }

  const std::vector<Step>& m_steps;
  const std::unordered_set<std::u16string>& m_present;
  std::unordered_map<std::u16string, bool> m_predicted;
  std::size_t m_mismatches = 0;
};

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Where the file of a move cut half way is, and what the cut left: `from`
// and `to` as the directory shows them, and an intermediate name if one is
// there. False when what is there is not what a move of ours leaves.
bool SettleInFlight(const Step& step, bool fromThere, bool toThere,
                    const std::optional<std::u16string>& middle, DirectoryHandle& directory,
                    std::u16string* fileAt,
                    std::vector<std::pair<std::u16string, std::u16string>>* leftovers) {
  if (!middle) {
    // A second link, or the reserve, under the new name.
    if (!fromThere || !toThere || !directory.IsOwnLeftover(step.to, step.from)) return false;
    *fileAt = step.from;
    leftovers->emplace_back(step.to, step.from);
    return true;
  }
  if (fromThere && !toThere) {
    // The first half had only reserved or linked the intermediate name.
    if (!directory.IsOwnLeftover(*middle, step.from)) return false;
    *fileAt = step.from;
    leftovers->emplace_back(*middle, step.from);
    return true;
  }
  if (!fromThere && !toThere) {
    *fileAt = *middle;
    return true;
  }
  if (fromThere) return false;
  // The second half had begun: either name may be the file.
  if (directory.IsOwnLeftover(*middle, step.to)) {
    *fileAt = step.to;
    leftovers->emplace_back(*middle, step.to);
    return true;
  }
  if (!directory.IsOwnLeftover(step.to, *middle)) return false;
  *fileAt = *middle;
  leftovers->emplace_back(step.to, *middle);
  return true;
}

// Every row's name at the moment, from the names the rows started with.
LocatedRun NamesAt(const JournalContents& journal, const std::vector<Step>& steps,
                   const Moment& moment, const std::unordered_set<std::u16string>& present,
                   const std::optional<std::u16string>& middle, DirectoryHandle& directory) {
  LocatedRun located;
  std::unordered_map<std::u16string, std::size_t> rowAt;
  for (std::size_t row = 0; row < journal.sources.size(); ++row)
    rowAt.emplace(journal.sources[row], row);
  for (std::size_t i = 0; i < moment.done; ++i) {
    const auto found = rowAt.find(steps[i].from);
    if (found == rowAt.end()) return located;
    const std::size_t row = found->second;
    rowAt.erase(found);
    rowAt[steps[i].to] = row;
  }
  std::vector<std::pair<std::u16string, std::u16string>> leftovers;
  if (moment.inFlight) {
    const Step& step = steps[moment.done];
    const auto found = rowAt.find(step.from);
    std::u16string fileAt;
    if (found == rowAt.end() ||
        !SettleInFlight(step, present.count(step.from) != 0, present.count(step.to) != 0, middle,
                        directory, &fileAt, &leftovers))
      return located;
    const std::size_t row = found->second;
    rowAt.erase(found);
    rowAt[fileAt] = row;
  } else if (middle) {
    // An intermediate name beside a moment that needs none: the reserve
    // the first half of the next move made, at most.
    if (moment.done >= steps.size() || !directory.IsOwnLeftover(*middle, steps[moment.done].from))
      return located;
    leftovers.emplace_back(*middle, steps[moment.done].from);
  }
  located.namesNow.resize(journal.sources.size());
  for (auto& [name, row] : rowAt)
    if (present.count(name) != 0 || name == middle) located.namesNow[row] = name;
  located.leftovers = std::move(leftovers);
  located.clear = true;
  return located;
}

// The moves the run made, found again by running the engine over the
// journal's plan, and the stretch of them its records bound: no parked file
// moved on before that was on record, and none was parked before the names
// were.
struct Replay {
  std::vector<Step> steps;
  std::size_t first = 0;
  std::size_t last = 0;
};

// Nullopt when the records are not this plan's.
std::optional<Replay> ReplayRun(const JournalContents& journal) {
  std::vector<std::u16string_view> sources(journal.sources.begin(), journal.sources.end());
  std::vector<std::u16string_view> targets(journal.targets.begin(), journal.targets.end());
  ReplayDirectory directory(journal);
  ReplayLog log(journal, directory.steps);
  SilentObserver observer;
  RenameRun(directory, journal.directory, observer, sources, targets, &log).Run(nullptr);
  if (log.diverged || !log.UsedEveryRecord()) return std::nullopt;

  Replay replay;
  replay.last = directory.steps.size();
  if (log.unparkingAt && journal.unparking) replay.first = *log.unparkingAt;
  if (log.unparkingAt && !journal.unparking) replay.last = *log.unparkingAt;
  if (log.unrecordedParkingAt) replay.last = std::min(replay.last, *log.unrecordedParkingAt);
  replay.steps = std::move(directory.steps);
  return replay;
}

// What the directory shows: the names present, and the intermediate name of
// the run's own that none of its moves reported, if there is one.
struct Shown {
  std::unordered_set<std::u16string> present;
  std::optional<std::u16string> middle;
};

// Nullopt when the directory cannot be listed or shows more than one such
// intermediate name.
std::optional<Shown> ReadDirectory(DirectoryHandle& directory, const JournalContents& journal,
                                   const std::vector<Step>& steps) {
  const std::u16string prefix = IntermediatePrefix(journal.runId);
  std::unordered_set<std::u16string> known;
  for (const Step& step : steps) known.insert(step.to);
  Shown shown;
  std::vector<std::u16string> middles;
  const bool listed = directory.ListEach([&](std::u16string_view name) {
    if (StartsWith(name, prefix) && known.count(std::u16string(name)) == 0)
      middles.emplace_back(name);
    else
      shown.present.emplace(name);
  });
  // One move at a time: a run leaves at most one intermediate name of its
  // own that it has not reported.
  if (!listed || middles.size() > 1) return std::nullopt;
  if (!middles.empty()) shown.middle = std::move(middles[0]);
  return shown;
}

// Where every file is, from the moments within the records' bounds that the
// directory agrees with; unclear when none does, or two that place the
// files differently.
LocatedRun PlaceFiles(const JournalContents& journal, const Replay& replay, const Shown& shown,
                      DirectoryHandle& directory) {
  MomentSearch search(journal.sources, replay.steps, shown.present);
  std::vector<LocatedRun> candidates;
  for (const Moment& moment : search.Find(replay.first, replay.last)) {
    LocatedRun located =
        NamesAt(journal, replay.steps, moment, shown.present, shown.middle, directory);
    if (located.clear) candidates.push_back(std::move(located));
  }
  for (std::size_t i = 1; i < candidates.size(); ++i)
    if (candidates[i].namesNow != candidates[0].namesNow) return {};
  return candidates.empty() ? LocatedRun() : std::move(candidates[0]);
}

}  // namespace

LocatedRun LocateRun(const JournalContents& journal, DirectoryHandle& directory) {
  if (!journal.rowsComplete) return {};
  const std::optional<Replay> replay = ReplayRun(journal);
  if (!replay) return {};
  const std::optional<Shown> shown = ReadDirectory(directory, journal, replay->steps);
  if (!shown) return {};
  return PlaceFiles(journal, *replay, *shown, directory);
}

bool SameDirectoryAfterRestart(const std::optional<DirectoryIdentity>& then,
                               const std::optional<DirectoryIdentity>& now) {
  if (!then || !now) return true;
  if (then->birth != 0 && now->birth != 0 && then->birth != now->birth) return false;
  // An export handle names the directory on its file system whatever device
  // number the system gives that file system this time.
  if (!then->handle.empty() || !now->handle.empty()) return then->handle == now->handle;
  if (then->node != 0 || now->node != 0)
    return then->device == now->device && then->node == now->node;
  // Nothing stable to compare (a FUSE file system mounted anew): the names
  // the run left must tell.
  return true;
}

}  // namespace quillon
