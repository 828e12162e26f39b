// The temporary names of a run: chosen, all of them, before the first file
// is parked, so that they are on record before any is taken.
#include <string>
#include <unordered_set>

#include "core/collation.h"
#include "core/name_codec.h"
#include "core/paths.h"
#include "core/rename_run.h"

namespace quillon {
namespace {

// Bases this long are cut by kTemporaryCut code units before "_tmp<n>" is
// added, so that the temporary name stays within the usual name length.
constexpr std::size_t kLongBase = 245;
constexpr std::size_t kTemporaryCut = 10;
constexpr int kTemporaryCandidates = 1000000;
// From this many files to park on, the taken temporary names are read in one
// listing instead of one lookup per name.
constexpr std::size_t kListingFrom = 64;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

// Drops the last code unit, and a high surrogate left behind by that, so
// that no character is cut in half.
void DropLastCharacter(std::u16string& text) {
  text.pop_back();
  if (!text.empty() && IsHighSurrogate(text.back())) text.pop_back();
}

// Whether "_tmp" occurs in the name in any letter case; asked of every entry
// of a directory, so it allocates nothing.
bool HoldsTmp(std::u16string_view name) {
  const auto is = [](char16_t unit, char16_t lower) { return (unit | 0x20) == lower; };
  for (std::size_t i = 0; i + 4 <= name.size(); ++i)
    if (name[i] == u'_' && is(name[i + 1], u't') && is(name[i + 2], u'm') && is(name[i + 3], u'p'))
      return true;
  return false;
}

// The base a temporary name starts from: a long one cut, without halving a
// character.
std::u16string CutLongBase(std::u16string base) {
  if (base.size() >= kLongBase) {
    base.resize(base.size() - kTemporaryCut);
    if (!base.empty() && IsHighSurrogate(base.back())) base.pop_back();
  }
  return base;
}

// `*base` followed by `suffix`, with the base shortened (for this candidate
// and the next) until the name fits the directory's limit, which may be
// smaller than usual or count bytes of the encoded name (three per Japanese
// character). Empty when even the suffix alone does not fit.
std::u16string FittingCandidate(const NameLimit& limit, std::u16string* base,
                                const std::u16string& suffix) {
  std::u16string candidate = *base + suffix;
  while (!NameFits(limit, candidate)) {
    if (base->empty()) return {};
    DropLastCharacter(*base);
    candidate = *base + suffix;
  }
  return candidate;
}

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::vector<RunLog::Parking> RenameRun::PlanParking(std::vector<std::int32_t> held,
                                                    std::unordered_set<std::u16string>* chosen) {
  std::vector<RunLog::Parking> plan;
  for (const Row row : m_rows) {
    const std::int32_t ownHold = OldId(row) == NewId(row) ? 1 : 0;
    if (held[NewId(row)] != ownHold) plan.push_back({row, {}});
    --held[OldId(row)];
  }
  if (plan.empty()) return plan;
  if (!m_nameLimit) m_nameLimit = m_directory.GetNameLimit();
  if (plan.size() >= kListingFrom) ReadTemporaryLikeNames();
  for (RunLog::Parking& parking : plan) {
    parking.name = ChooseTemporaryName(m_sources[parking.row], *chosen, true);
    if (!parking.name.empty()) chosen->insert(parking.name);
  }
  m_temporaryLike.reset();
  return plan;
}

void RenameRun::ReadTemporaryLikeNames() {
  std::unordered_set<std::u16string> names;
  const bool complete = m_directory.ListEach([&names](std::u16string_view name) {
    if (HoldsTmp(name)) names.insert(UpperCaseUnits(name));
  });
  if (complete) m_temporaryLike = std::move(names);
}

std::u16string RenameRun::ParkElsewhere(Row row, std::unordered_set<std::u16string>* chosen) {
  const std::u16string_view oldName = m_sources[row];
  std::u16string name = ChooseTemporaryName(oldName, *chosen, true);
  if (name.empty()) return {};
  chosen->insert(name);
  const RunLog::Parking parking{row, name};
  if (m_log != nullptr && !m_log->WillPark(*m_nameLimit, std::span(&parking, 1))) return {};
  if (MoveWithRetry(oldName, name)) return name;
  // Half way and stuck: the file is parked all the same, under that name.
  std::u16string parkedAt = std::move(m_stranded);
  m_stranded.clear();
  return parkedAt;
}

std::u16string RenameRun::ChooseTemporaryName(std::u16string_view name,
                                              const std::unordered_set<std::u16string>& chosen,
                                              bool lookUp) {
  SplitName parts = SplitExtension(name);
  std::u16string base = CutLongBase(std::move(parts.base));
  for (int n = 0; n < kTemporaryCandidates; ++n) {
    const std::u16string candidate =
        FittingCandidate(*m_nameLimit, &base, u"_tmp" + Decimal(n) + parts.extension);
    if (candidate.empty() || !EncodeName(candidate)) return {};
    if (chosen.count(candidate) != 0) continue;
    if (!lookUp) return candidate;
    switch (TemporaryNameState(candidate)) {
      case NameState::kFree:
        return candidate;
      case NameState::kTaken:
        break;
      case NameState::kUnknown:
        // A lookup that fails (search permission gone, a dropped mount)
        // would fail for every candidate, each perhaps after a network
        // timeout: the file keeps its name instead.
        return {};
    }
  }
  return {};
}

NameState RenameRun::TemporaryNameState(const std::u16string& candidate) {
  if (!m_temporaryLike) return m_directory.LookUpName(candidate);
  // Compared without case: a name another entry bears in another case may
  // be taken on this file system, and costs only the next number.
  return m_temporaryLike->count(UpperCaseUnits(candidate)) == 0 ? NameState::kFree
                                                                : NameState::kTaken;
}

}  // namespace quillon
