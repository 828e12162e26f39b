// The journal of a run: what it was to do and what it had done, kept on
// disk from before its first move until its outcome is durable, so that a
// run cut short by a crash, a kill or a power cut can be finished or taken
// back at the next start.
//
// A journal is a sequence of records, each its length, a CRC-32 and its
// bytes. A power cut while one was written leaves a record whose length or
// sum is wrong: reading stops there and keeps what came before.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"
#include "core/journal_store.h"
#include "core/rename_run.h"

namespace quillon {

enum class RunKind : std::uint8_t {
  kExecute = 0,
  kUndo = 1,
  kRecovery = 2,
};

// What a journal holds, as far as it could be read.
struct JournalContents {
  struct Outcome {
    std::uint64_t move = 0;
    MoveResult result = MoveResult::kFailed;
    std::u16string nameNow;
  };

  // False when not even the header could be read: no move was ever made
  // after it.
  bool hasHeader = false;
  RunKind kind = RunKind::kExecute;
  std::uint64_t runId = 0;
  std::u16string directory;
  std::optional<DirectoryIdentity> identity;
  // Row i was to move sources[i] to targets[i].
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  // Every row was read: only then was the journal made durable and the
  // first move made.
  bool rowsComplete = false;
  // The temporary names, once on record.
  bool parkingRecorded = false;
  NameLimit parkingLimit;
  std::vector<RunLog::Parking> parking;
  // Parked files had begun to move on.
  bool unparking = false;
  std::vector<Outcome> outcomes;
};

// The longest valid prefix of a journal's bytes. Never fails: bytes that are
// not a journal read as one without a header.
JournalContents ReadJournal(std::string_view bytes);

// The first name of every intermediate name a run may use, made from its id.
std::u16string IntermediatePrefix(std::uint64_t runId);

// The records, exposed for tests and the fuzzer: each payload framed with its
// length and sum.
std::string FrameRecord(std::string_view payload);

// Writes the journal of one run as it goes.
class JournalWriter : public RunLog {
 public:
  // Puts the whole plan on record and makes it durable; nullptr when the
  // journal could not be written, and then nothing of it remains.
  static std::unique_ptr<JournalWriter> Begin(JournalStore& store, RunKind kind,
                                              std::u16string_view directory,
                                              const std::optional<DirectoryIdentity>& identity,
                                              std::span<const std::u16string_view> sources,
                                              std::span<const std::u16string_view> targets);

  bool WillPark(const NameLimit& limit, std::span<const Parking> parked) override;
  void WillUnpark() override;
  void MoveEnded(std::uint64_t move, MoveResult result, std::u16string_view nameNow) override;

  std::uint64_t RunId() const { return m_runId; }
  // The run has ended and the directory's changes are durable: the journal
  // goes. False when it could not be removed.
  bool Finish();

 private:
  JournalWriter(std::unique_ptr<JournalFile> file, std::uint64_t runId)
      : m_file(std::move(file)), m_runId(runId) {}

  std::unique_ptr<JournalFile> m_file;
  std::uint64_t m_runId;
};

}  // namespace quillon
