#include "core/run_journal.h"

#include <array>
#include <random>

namespace quillon {
namespace {

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

// CRC-32 (the polynomial of zlib and PNG), four bytes at a step: a journal
// of a hundred thousand rows is several megabytes.
std::uint32_t Crc32(std::string_view bytes) {
  using Table = std::array<std::uint32_t, 256>;
  static const std::array<Table, 4> tables = [] {
    std::array<Table, 4> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
      for (int s = 1; s < 4; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  for (; n >= 4; p += 4, n -= 4) {
    crc ^= static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    crc = tables[3][crc & 0xFF] ^ tables[2][(crc >> 8) & 0xFF] ^ tables[1][(crc >> 16) & 0xFF] ^
          tables[0][crc >> 24];
  }
  for (; n > 0; ++p, --n) crc = tables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

// Little-endian fields, and names as UTF-8 that also carries lone
// surrogates (the names of bytes that are not UTF-8), so that every name
// round-trips exactly.
class Writer {
 public:
  // The record's frame (its length and sum) is filled in by Framed().
  explicit Writer(Tag tag) : m_bytes(8, '\0') { m_bytes.push_back(static_cast<char>(tag)); }
  void U8(std::uint8_t v) { m_bytes.push_back(static_cast<char>(v)); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<char>(v >> (8 * i)));
  }
  void U64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) m_bytes.push_back(static_cast<char>(v >> (8 * i)));
  }
  void Bytes(std::string_view bytes) {
    U32(static_cast<std::uint32_t>(bytes.size()));
    m_bytes.append(bytes);
  }
  void Name(std::u16string_view name) {
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + 4 + 3 * name.size());
    char* out = m_bytes.data() + at + 4;
    for (std::size_t i = 0; i < name.size(); ++i) {
      std::uint32_t c = name[i];
      if (c < 0x80) {
        *out++ = static_cast<char>(c);
        continue;
      }
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
          name[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
      }
      out = Put(out, c);
    }
    const auto size = static_cast<std::uint32_t>(out - (m_bytes.data() + at + 4));
    m_bytes.resize(at + 4 + size);
    for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<char>(size >> (8 * i));
  }
  std::size_t Size() const { return m_bytes.size() - 8; }
  // The payload alone, as FrameRecord takes it.
  std::string_view Payload() const { return std::string_view(m_bytes).substr(8); }
  // Sets the byte at `at` of the payload.
  void Patch(std::size_t at, char byte) { m_bytes[8 + at] = byte; }
  // The whole record, framed in place.
  std::string Framed() && {
    const std::string_view payload = Payload();
    const auto size = static_cast<std::uint32_t>(payload.size());
    const std::uint32_t sum = Crc32(payload);
    for (int i = 0; i < 4; ++i) {
      m_bytes[i] = static_cast<char>(size >> (8 * i));
      m_bytes[4 + i] = static_cast<char>(sum >> (8 * i));
    }
    return std::move(m_bytes);
  }

 private:
  // A code point as one to four bytes; a pair of surrogates is one point,
  // a lone one three bytes of its own.
  static char* Put(char* out, std::uint32_t c) {
    if (c < 0x800) {
      *out++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (c >> 12));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      *out++ = static_cast<char>(0xF0 | (c >> 18));
      *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
    return out;
  }

  std::string m_bytes;
};

// Reads what Writer wrote; any field that runs past the record or does not
// decode makes the reader fail, and it stays failed.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
  bool Ok() const { return m_ok; }
  bool AtEnd() const { return m_ok && m_at == m_bytes.size(); }
  std::size_t Left() const { return m_bytes.size() - m_at; }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Fixed(1)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Fixed(4)); }
  std::uint64_t U64() { return Fixed(8); }
  std::string_view Bytes() {
    const std::uint32_t size = U32();
    if (!m_ok || size > Left()) return Fail();
    const std::string_view bytes = m_bytes.substr(m_at, size);
    m_at += size;
    return bytes;
  }
  std::u16string Name() {
    const std::string_view utf8 = Bytes();
    std::u16string name;
    name.reserve(utf8.size());
    for (std::size_t i = 0; m_ok && i < utf8.size();) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      const int length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 0;
      if (length == 0 || i + length > utf8.size()) return Fail(), std::u16string();
      std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
      for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) return Fail(), std::u16string();
        c = (c << 6) | (next & 0x3F);
      }
      i += length;
      if (c >= 0x110000) return Fail(), std::u16string();
      if (c >= 0x10000) {
        name.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        name.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        name.push_back(static_cast<char16_t>(c));
      }
    }
    return name;
  }

 private:
  std::uint64_t Fixed(int size) {
    if (!m_ok || Left() < static_cast<std::size_t>(size)) return Fail(), 0;
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i)
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_bytes[m_at + i])) << (8 * i);
    m_at += static_cast<std::size_t>(size);
    return v;
  }
  std::string_view Fail() {
    m_ok = false;
    return {};
  }

  std::string_view m_bytes;
  std::size_t m_at = 0;
  bool m_ok = true;
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
