// The reader of run journals, and the search that places a cut run's files
// from one: a journal is input like any other (a power cut tears it, a
// disk corrupts it, anyone who can write the state directory may forge it).
// The first byte chooses how the rest is read: as a journal's bytes, or as
// record payloads separated by "\n--\n" and each framed with a right length
// and sum, so that the records' own readers are reached. Whatever is read,
// its rows pair up, nothing follows rows that are incomplete, and placing
// the files neither crashes nor places one file twice.
#include <set>
#include <vector>

#include "core/run_recovery.h"
#include "fuzz/fuzz_check.h"

using namespace quillon;

namespace {

// A directory holding the first half of the journal's old names and the
// second half of its new ones; any empty entry is a leftover of ours.
class FuzzDirectory : public DirectoryHandle {
 public:
  explicit FuzzDirectory(const JournalContents& journal) {
    const std::size_t half = journal.sources.size() / 2;
    for (std::size_t row = 0; row < journal.sources.size(); ++row)
      m_names.insert(row < half ? journal.sources[row] : journal.targets[row]);
  }
  bool List(std::vector<std::u16string>* names) override {
    names->assign(m_names.begin(), m_names.end());
    return true;
  }
  NameState LookUpName(std::u16string_view name) override {
    return m_names.count(std::u16string(name)) != 0 ? NameState::kTaken : NameState::kFree;
  }
  MoveResult Move(std::u16string_view, std::u16string_view, std::u16string*) override {
    return MoveResult::kFailed;
  }
  NameLimit GetNameLimit() override { return {}; }
  std::optional<DirectoryIdentity> Identity() override { return std::nullopt; }
  bool IsOwnLeftover(std::u16string_view leftover, std::u16string_view) override {
    return leftover.size() % 2 == 0;
  }

 private:
  std::set<std::u16string> m_names;
};

std::string Framed(std::string_view input) {
  static constexpr std::string_view kSeparator = "\n--\n";
  std::string journal;
  while (!input.empty()) {
    const std::size_t end = input.find(kSeparator);
    journal += FrameRecord(input.substr(0, end));
    if (end == std::string_view::npos) break;
    input.remove_prefix(end + kSeparator.size());
  }
  return journal;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > (1u << 16)) return 0;
  const std::string_view input = fuzz::Bytes(data + 1, size - 1);
  const std::string bytes = data[0] % 2 == 0 ? std::string(input) : Framed(input);
  const JournalContents journal = ReadJournal(bytes);
  QUILLON_FUZZ_CHECK(journal.sources.size() == journal.targets.size() || !journal.rowsComplete);
  if (!journal.rowsComplete) {
    QUILLON_FUZZ_CHECK(journal.parking.empty() && journal.outcomes.empty() && !journal.unparking);
    return 0;
  }
  QUILLON_FUZZ_CHECK(journal.hasHeader);
  QUILLON_FUZZ_CHECK(!journal.unparking || journal.parkingRecorded);
  for (const auto& parking : journal.parking)
    QUILLON_FUZZ_CHECK(parking.row >= 0 &&
                       static_cast<std::size_t>(parking.row) < journal.sources.size());

  FuzzDirectory directory(journal);
  const LocatedRun located = LocateRun(journal, directory);
  if (!located.clear) return 0;
  QUILLON_FUZZ_CHECK(located.namesNow.size() == journal.sources.size());
  std::set<std::u16string> placed;
  for (const auto& name : located.namesNow)
    QUILLON_FUZZ_CHECK(!name || placed.insert(*name).second);
  return 0;
}
