#include "names/validation.h"

#include <array>

#include "core/collation.h"
#include "core/name_codec.h"
#include "core/paths.h"
#include "resources/strings.h"

namespace quillon {
namespace {

// The longest name in UTF-16 code units, whatever the directory allows.
constexpr std::size_t kMaxNameUnits = 255;

// Characters below U+0080 that no name may hold: the control codes and the
// nine characters reserved by common file systems and shells.
constexpr std::array<bool, 128> MakeForbiddenTable() {
  std::array<bool, 128> table{};
  for (int c = 0; c < 32; ++c) table[c] = true;
  for (char16_t c : std::u16string_view(u"\\/:*?\"<>|")) table[c] = true;
  return table;
}
constexpr std::array<bool, 128> kForbidden = MakeForbiddenTable();

bool HasForbiddenCharacter(std::u16string_view name) {
  for (char16_t c : name)
    if (c < kForbidden.size() && kForbidden[c]) return true;
  return false;
}

bool FitsLimit(std::u16string_view name, const std::optional<NameLimit>& limit) {
  if (name.size() > kMaxNameUnits) return false;
  return !limit || NameFits(*limit, name);
}

bool IsUsableName(std::u16string_view name, const std::optional<NameLimit>& limit) {
  if (name.empty() || name == u"." || name == u"..") return false;
  if (HasForbiddenCharacter(name)) return false;
  // A lone surrogate has no encoding on disk: the file would get another name
  // than the one the user saw, or none at all.
  if (!EncodeName(name)) return false;
  return FitsLimit(name, limit);
}

template <typename Fails>
NameFaults RowsFailing(std::size_t rows, Fails fails, std::u16string_view verdict,
                       std::u16string_view message) {
  NameFaults faults{{}, verdict, message};
  for (std::size_t i = 0; i < rows; ++i)
    if (fails(i)) faults.rows.push_back(static_cast<int>(i));
  return faults;
}

}  // namespace

NameFaults JudgeNewNames(std::span<const std::u16string_view> targets,
                         std::span<const std::shared_ptr<CFileNameX>> files,
                         const std::optional<NameLimit>& limit) {
  // Row-parallel by invariant; the guard only keeps a broken caller from
  // reading past the rows.
  const std::size_t rows = std::min(targets.size(), files.size());
  NameFaults unusable = RowsFailing(
      rows, [&](std::size_t i) { return !IsUsableName(targets[i], limit); }, str::kVerdictUnusable,
      str::kMsgUnusable);
  if (unusable.Found()) return unusable;
  return RowsFailing(
      rows,
      [&](std::size_t i) {
        return CompareNames(SplitExtension(targets[i]).extension, files[i]->m_ext) != 0;
      },
      str::kVerdictExtension, str::kMsgExtension);
}

}  // namespace quillon
