// Validation of the new names: three ordered stages, one verdict per row of
// the stage that failed, at most one message.
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/collation.h"
#include "core/name_codec.h"
#include "core/name_pool.h"
#include "core/paths.h"
#include "dialog/quillon_dlg.h"
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

}  // namespace

bool CQuillonDlg::ValidateNewNames() {
  m_dialog.ClearColumn(kResultColumn);

  // Row-parallel by invariant; the guard only keeps a broken caller from
  // reading past the rows. The full new names are built once into one
  // buffer and viewed from there.
  const std::size_t named = std::min(m_newNames.size(), m_files.size());
  std::size_t units = 0;
  for (std::size_t i = 0; i < named; ++i) units += m_newNames[i].size() + m_files[i]->m_ext.size();
  NamePool targetNames;
  targetNames.Reserve(named, units);
  for (std::size_t i = 0; i < named; ++i) targetNames.Add(m_newNames[i], m_files[i]->m_ext);
  const std::vector<std::u16string_view> targets = targetNames.Views();

  std::vector<std::u16string> verdicts;
  const auto reject = [&](std::u16string_view message) {
    // In thousands of rows the user could not find the marked ones.
    const auto first = std::find_if(verdicts.begin(), verdicts.end(),
                                    [](const std::u16string& verdict) { return !verdict.empty(); });
    const int firstMarked = static_cast<int>(first - verdicts.begin());
    const bool anyMarked = first != verdicts.end();
    m_dialog.SetColumnTexts(kResultColumn, std::move(verdicts));
    if (anyMarked) m_dialog.EnsureRowVisible(firstMarked);
    m_dialog.ShowMessage(message);
    m_invalid = true;
    return false;
  };
  const auto mark = [&](std::size_t row, std::u16string_view verdict) {
    if (verdicts.empty()) verdicts.resize(m_files.size());
    verdicts[row] = verdict;
  };

  if (!targets.empty()) {
    // A directory that cannot be opened leaves only the general limit; the
    // plan check below then reports every source missing anyway.
    std::optional<NameLimit> limit;
    if (auto handle = m_fileSystem.OpenDirectory(m_directory)) limit = handle->GetNameLimit();
    for (std::size_t i = 0; i < targets.size(); ++i)
      if (!IsUsableName(targets[i], limit)) mark(i, str::kVerdictUnusable);
    if (!verdicts.empty()) return reject(str::kMsgUnusable);

    for (std::size_t i = 0; i < targets.size(); ++i)
      if (CompareNames(SplitExtension(targets[i]).extension, m_files[i]->m_ext) != 0)
        mark(i, str::kVerdictExtension);
    if (!verdicts.empty()) return reject(str::kMsgExtension);
  }

  std::vector<std::u16string_view> sources;
  sources.reserve(m_files.size());
  for (const auto& file : m_files) sources.emplace_back(file->m_name);
  std::vector<int> duplicates;
  std::vector<int> missing;
  if (!CheckRenamePlan(std::span(sources), std::span(targets), &duplicates, &missing,
                       TargetsAre::kNew)) {
    // Missing sources come first: a clash means nothing for a file that is
    // not there to be renamed.
    if (!missing.empty()) {
      for (int row : missing) mark(static_cast<std::size_t>(row), str::kVerdictMissing);
      return reject(str::kMsgMissing);
    }
    for (int row : duplicates) mark(static_cast<std::size_t>(row), str::kVerdictDuplicate);
    return reject(str::kMsgDuplicate);
  }

  m_invalid = false;
  return true;
}

}  // namespace quillon
