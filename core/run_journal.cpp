#include "core/run_journal.h"

#include <random>

#include "core/journal_fields.h"

namespace quillon {
namespace {

using journal::Crc32;
using journal::Reader;

constexpr std::uint32_t kMagic = 0x314E4A51;  // "QJN1"
// A record longer than this is taken for damage, never for a journal.
constexpr std::uint32_t kMaxRecord = 64u << 20;
// Rows are written in records of about this size, so that one write never
// needs the whole plan encoded at once.
constexpr std::size_t kRowChunk = 256u << 10;

enum class Tag : std::uint8_t {
  kHeader = 1,
  kRows = 2,
  kParking = 3,
  kUnparking = 4,
  kOutcome = 5,
};

// A record built with its tag.
class Writer : public journal::Writer {
 public:
  explicit Writer(Tag tag) : journal::Writer(static_cast<std::uint8_t>(tag)) {}
};

bool ReadHeader(Reader& in, JournalContents* out, std::uint64_t* rowCount) {
  if (in.U32() != kMagic) return false;
  const std::uint8_t kind = in.U8();
  if (kind > static_cast<std::uint8_t>(RunKind::kRecovery)) return false;
  out->kind = static_cast<RunKind>(kind);
  out->runId = in.U64();
  out->directory = in.Name();
  if (in.U8() != 0) {
    DirectoryIdentity identity;
    identity.device = in.U64();
    identity.node = in.U64();
    identity.handle = std::string(in.Bytes());
    identity.birth = in.U64();
    out->identity = identity;
  }
  *rowCount = in.U64();
  return in.AtEnd();
}

bool ReadRows(Reader& in, JournalContents* out, std::uint64_t rowCount) {
  if (in.U64() != out->sources.size()) return false;
  const std::uint32_t count = in.U32();
  if (!in.Ok() || out->sources.size() + count > rowCount) return false;
  for (std::uint32_t i = 0; i < count && in.Ok(); ++i) {
    out->sources.push_back(in.Name());
    out->targets.push_back(in.Name());
  }
  if (!in.AtEnd()) return false;
  out->rowsComplete = out->sources.size() == rowCount;
  return true;
}

bool ReadParking(Reader& in, JournalContents* out) {
  out->parkingLimit.maxBytes = in.U64();
  out->parkingLimit.maxUnits = in.U64();
  const std::uint32_t count = in.U32();
  for (std::uint32_t i = 0; i < count && in.Ok(); ++i) {
    const std::uint32_t row = in.U32();
    std::u16string name = in.Name();
    if (row >= out->sources.size()) return false;
    out->parking.push_back({static_cast<std::int32_t>(row), std::move(name)});
  }
  out->parkingRecorded = in.AtEnd();
  return out->parkingRecorded;
}

bool ReadOutcome(Reader& in, JournalContents* out) {
  JournalContents::Outcome outcome;
  outcome.move = in.U64();
  const std::uint8_t result = in.U8();
  if (result > static_cast<std::uint8_t>(MoveResult::kLeftBehind)) return false;
  outcome.result = static_cast<MoveResult>(result);
  outcome.nameNow = in.Name();
  if (!in.AtEnd()) return false;
  out->outcomes.push_back(std::move(outcome));
  return true;
}

// One record's payload into `out`; false ends the reading there.
bool ReadRecord(std::string_view payload, JournalContents* out, std::uint64_t* rowCount) {
  Reader in(payload);
  const auto tag = static_cast<Tag>(in.U8());
  if (!out->hasHeader) {
    if (tag != Tag::kHeader) return false;
    out->hasHeader = ReadHeader(in, out, rowCount);
    out->rowsComplete = out->hasHeader && *rowCount == 0;
    return out->hasHeader;
  }
  // What follows the rows was written only after they were durable.
  if (!out->rowsComplete) return tag == Tag::kRows && ReadRows(in, out, *rowCount);
  switch (tag) {
    case Tag::kParking:
      return ReadParking(in, out);
    case Tag::kUnparking:
      out->unparking = out->parkingRecorded && in.AtEnd();
      return out->unparking;
    case Tag::kOutcome:
      return ReadOutcome(in, out);
    default:
      return false;
  }
}

void EncodeIdentity(Writer& out, const std::optional<DirectoryIdentity>& identity) {
  out.U8(identity ? 1 : 0);
  if (!identity) return;
  out.U64(identity->device);
  out.U64(identity->node);
  out.Bytes(identity->handle);
  out.U64(identity->birth);
}

std::uint64_t NewRunId() {
  std::random_device device;
  return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace

std::string FrameRecord(std::string_view payload) {
  std::string record;
  record.reserve(payload.size() + 8);
  const auto put = [&record](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(static_cast<std::uint32_t>(payload.size()));
  put(Crc32(payload));
  record.append(payload);
  return record;
}

JournalContents ReadJournal(std::string_view bytes) {
  JournalContents contents;
  std::uint64_t rowCount = 0;
  while (bytes.size() >= 8) {
    Reader frame(bytes.substr(0, 8));
    const std::uint32_t size = frame.U32();
    const std::uint32_t sum = frame.U32();
    if (size == 0 || size > kMaxRecord || size > bytes.size() - 8) break;
    const std::string_view payload = bytes.substr(8, size);
    if (Crc32(payload) != sum || !ReadRecord(payload, &contents, &rowCount)) break;
    bytes.remove_prefix(8 + size);
  }
  if (!contents.rowsComplete) {
    // Without every row, no move was made: nothing else counts.
    contents.parking.clear();
    contents.outcomes.clear();
  }
  return contents;
}

std::u16string IntermediatePrefix(std::uint64_t runId) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string prefix = u".quillon-";
  for (int shift = 60; shift >= 0; shift -= 4) prefix.push_back(kHex[(runId >> shift) & 0xF]);
  prefix.push_back(u'-');
  return prefix;
}

std::unique_ptr<JournalWriter> JournalWriter::Begin(
    JournalStore& store, RunKind kind, std::u16string_view directory,
    const std::optional<DirectoryIdentity>& identity, std::span<const std::u16string_view> sources,
    std::span<const std::u16string_view> targets) {
  std::unique_ptr<JournalFile> file = store.Create();
  if (!file) return nullptr;
  const std::uint64_t runId = NewRunId();
  Writer header(Tag::kHeader);
  header.U32(kMagic);
  header.U8(static_cast<std::uint8_t>(kind));
  header.U64(runId);
  header.Name(directory);
  EncodeIdentity(header, identity);
  header.U64(sources.size());
  bool written = file->Append(std::move(header).Framed());
  for (std::size_t first = 0; written && first < sources.size();) {
    Writer rows(Tag::kRows);
    rows.U64(first);
    const std::size_t countAt = rows.Size();
    rows.U32(0);
    std::size_t row = first;
    for (; row < sources.size() && rows.Size() < kRowChunk; ++row) {
      rows.Name(sources[row]);
      rows.Name(targets[row]);
    }
    const auto count = static_cast<std::uint32_t>(row - first);
    for (int i = 0; i < 4; ++i) rows.Patch(countAt + i, static_cast<char>(count >> (8 * i)));
    written = file->Append(std::move(rows).Framed());
    first = row;
  }
  if (!written || !file->Sync()) {
    file->Remove();
    return nullptr;
  }
  return std::unique_ptr<JournalWriter>(new JournalWriter(std::move(file), runId));
}

bool JournalWriter::WillPark(const NameLimit& limit, std::span<const Parking> parked) {
  Writer record(Tag::kParking);
  record.U64(limit.maxBytes);
  record.U64(limit.maxUnits);
  record.U32(static_cast<std::uint32_t>(parked.size()));
  for (const Parking& parking : parked) {
    record.U32(static_cast<std::uint32_t>(parking.row));
    record.Name(parking.name);
  }
  return m_file->Append(std::move(record).Framed()) && m_file->Sync();
}

void JournalWriter::WillUnpark() {
  // Should the record not take, the files are moved on all the same: left
  // parked they would bear names nobody chose.
  if (m_file->Append(Writer(Tag::kUnparking).Framed())) m_file->Sync();
}

void JournalWriter::MoveEnded(std::uint64_t move, MoveResult result, std::u16string_view nameNow) {
  // Not synced: the move did not do what it set out to, so the disk does
  // not depend on this record the way it does on the plan.
  Writer record(Tag::kOutcome);
  record.U64(move);
  record.U8(static_cast<std::uint8_t>(result));
  record.Name(nameNow);
  m_file->Append(std::move(record).Framed());
}

bool JournalWriter::Finish() {
  return m_file->Remove();
}

}  // namespace quillon
