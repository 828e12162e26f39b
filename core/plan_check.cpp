// The check of a rename plan against one listing of the directory.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/quillon_dlg.h"
#include "intake/name_numbering.h"

namespace quillon {

bool CQuillonDlg::CheckRenamePlan(const std::vector<std::u16string>& sources,
                                  const std::vector<std::u16string>& targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing) {
  const std::vector<std::u16string_view> sourceViews(sources.begin(), sources.end());
  const std::vector<std::u16string_view> targetViews(targets.begin(), targets.end());
  return CheckRenamePlan(std::span(sourceViews), std::span(targetViews), duplicates, missing);
}

bool CQuillonDlg::CheckRenamePlan(std::span<const std::u16string_view> sources,
                                  std::span<const std::u16string_view> targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing) {
  duplicates->clear();
  missing->clear();
  ProgressScope progress(m_dialog, sources.size());

  // Every name of the plan gets a number, equal exactly for the same name;
  // from then on names are counted, never compared.
  const auto sourceCount = static_cast<std::int32_t>(sources.size());
  NameNumbering numbering([&](std::int32_t k) {
    return k < sourceCount ? sources[static_cast<std::size_t>(k)]
                           : targets[static_cast<std::size_t>(k - sourceCount)];
  });
  numbering.Reserve(sources.size() + targets.size());
  std::vector<std::int32_t> sourceIds(sources.size());
  std::vector<std::int32_t> targetIds(targets.size());
  for (std::size_t i = 0; i < sources.size(); ++i) sourceIds[i] = numbering.Add(sources[i]);
  for (std::size_t i = 0; i < targets.size(); ++i) {
    targetIds[i] = numbering.Add(targets[i]);
    progress.Set(i);
  }
  const auto names = static_cast<std::size_t>(numbering.Count());

  // One listing, each entry counted under its name and forgotten: an entry
  // that is no name of the plan can neither be a source nor clash with a
  // target, so a large directory is never held whole. A directory that
  // cannot be opened lists as empty, so every source is reported missing;
  // one that stops early keeps the entries read so far.
  std::vector<std::int32_t> entries(names, 0);
  if (auto handle = m_fileSystem.OpenDirectory(m_directory)) {
    handle->ListEach([&](std::u16string_view entry) {
      const std::int32_t id = numbering.Find(entry);
      if (id >= 0) ++entries[static_cast<std::size_t>(id)];
    });
  }

  // Each entry is found by one source; a source beyond the entries of its
  // name is missing, an entry beyond the sources of its name is one of the
  // others, which the targets must not take.
  std::vector<std::int32_t> claims(names, 0);
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const auto id = static_cast<std::size_t>(sourceIds[i]);
    if (claims[id] < entries[id]) {
      ++claims[id];
    } else {
      missing->push_back(static_cast<int>(i));
    }
  }
  // A target clashes when its name is wanted by another target too, or is
  // held by an entry no source leaves.
  std::vector<std::int32_t> takers(names, 0);
  for (std::size_t id = 0; id < names; ++id) takers[id] = entries[id] - claims[id];
  for (const std::int32_t id : targetIds) ++takers[static_cast<std::size_t>(id)];
  for (std::size_t i = 0; i < targets.size(); ++i)
    if (takers[static_cast<std::size_t>(targetIds[i])] >= 2) duplicates->push_back(static_cast<int>(i));

  return duplicates->empty() && missing->empty();
}

}  // namespace quillon
