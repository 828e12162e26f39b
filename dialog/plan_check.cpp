// The check of a rename plan against one listing of the directory.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/name_numbering.h"
#include "dialog/quillon_dlg.h"

namespace quillon {

bool CQuillonDlg::CheckRenamePlan(const std::vector<std::u16string>& sources,
                                  const std::vector<std::u16string>& targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing,
                                  TargetsAre targetsAre) {
  const std::vector<std::u16string_view> sourceViews(sources.begin(), sources.end());
  const std::vector<std::u16string_view> targetViews(targets.begin(), targets.end());
  return CheckRenamePlan(std::span(sourceViews), std::span(targetViews), duplicates, missing,
                         targetsAre);
}

bool CQuillonDlg::CheckRenamePlan(std::span<const std::u16string_view> sources,
                                  std::span<const std::u16string_view> targets,
                                  std::vector<int>* duplicates, std::vector<int>* missing,
                                  TargetsAre targetsAre) {
  duplicates->clear();
  missing->clear();
  ProgressScope progress(m_dialog, sources.size());

  // Every name of the plan gets a number, equal exactly for the same name;
  // from then on names are counted, never sorted or compared by collation.
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

  // The sources of each name, linked by row, to find the one spelt exactly
  // like an entry.
  std::vector<std::int32_t> sourcesOfName(names, -1);
  std::vector<std::int32_t> nextSource(sources.size(), -1);
  for (std::size_t i = sources.size(); i-- > 0;) {
    const auto id = static_cast<std::size_t>(sourceIds[i]);
    nextSource[i] = sourcesOfName[id];
    sourcesOfName[id] = static_cast<std::int32_t>(i);
  }

  // One listing, each entry looked at and forgotten, so that a large
  // directory is never held whole. An entry pairs with the source spelt
  // exactly like it: this is how the file system itself finds a file
  // wherever it tells case apart, and on any file system the normal case.
  // Any other entry of a name of the plan is another file (`others`); one
  // that is no name of the plan can neither be a source nor meet a target.
  // A directory that cannot be opened lists as empty and answers no lookup,
  // so every source is reported missing; one that stops early keeps the
  // entries read so far, and the lookups below find the rest.
  std::vector<bool> found(sources.size(), false);
  std::vector<std::int32_t> others(names, 0);
  // New names: the entries that share a name with a listed file but are
  // another file (a twin in another letter case) are noted, for undo. Former
  // names: such twins noted at the execution stood there all along and
  // block nothing.
  if (targetsAre == TargetsAre::kNew) m_checkedTwins.clear();
  const std::unordered_set<std::u16string_view> knownTwins =
      targetsAre == TargetsAre::kFormer
          ? std::unordered_set<std::u16string_view>(m_executedTwins.begin(), m_executedTwins.end())
          : std::unordered_set<std::u16string_view>();
  std::unique_ptr<DirectoryHandle> directory = m_fileSystem.OpenDirectory(m_directory);
  const bool complete = directory && directory->ListEach([&](std::u16string_view entry) {
    const std::int32_t id = numbering.Find(entry);
    if (id < 0) return;
    for (std::int32_t row = sourcesOfName[static_cast<std::size_t>(id)]; row >= 0;
         row = nextSource[static_cast<std::size_t>(row)]) {
      const auto r = static_cast<std::size_t>(row);
      if (!found[r] && sources[r] == entry) {
        found[r] = true;
        return;
      }
    }
    if (targetsAre == TargetsAre::kNew && sourcesOfName[static_cast<std::size_t>(id)] >= 0)
      m_checkedTwins.emplace_back(entry);
    if (!knownTwins.empty() && knownTwins.count(entry) != 0) return;
    ++others[static_cast<std::size_t>(id)];
  });

  // A source without an entry of its exact name is either gone or, where
  // the file system ignores case, another spelling of an entry: only the
  // file system can tell which, so it is asked, and only for these few
  // names. The entry found under an alias is that file, not another one;
  // but in a partial listing a source may lack its entry only because that
  // was not read, and an entry of its name is then a twin, another file:
  // kept among the others it can only block a target, never let one through.
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (found[i]) continue;
    // A lookup that fails says nothing of the file: it counts as missing.
    if (!directory || directory->LookUpName(sources[i]) != NameState::kTaken) {
      missing->push_back(static_cast<int>(i));
      continue;
    }
    const auto id = static_cast<std::size_t>(sourceIds[i]);
    if (complete && others[id] > 0) --others[id];
  }

  // An entry is another file only beside sources found under their exact
  // names: one beside a source found by its alias is that very file, where
  // the file system ignores case.
  if (targetsAre == TargetsAre::kNew)
    std::erase_if(m_checkedTwins, [&](const std::u16string& twin) {
      const std::int32_t id = numbering.Find(twin);
      for (std::int32_t row = sourcesOfName[static_cast<std::size_t>(id)]; row >= 0;
           row = nextSource[static_cast<std::size_t>(row)])
        if (!found[static_cast<std::size_t>(row)]) return true;
      return false;
    });

  // A target clashes with the other targets of its name and with the other
  // files bearing it, unless the targets are former names and no other file
  // bears it: such twins lived side by side before.
  std::vector<std::int32_t> takers(others);
  for (const std::int32_t id : targetIds) ++takers[static_cast<std::size_t>(id)];
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const auto id = static_cast<std::size_t>(targetIds[i]);
    if (takers[id] < 2 || (targetsAre == TargetsAre::kFormer && others[id] == 0)) continue;
    duplicates->push_back(static_cast<int>(i));
  }

  return duplicates->empty() && missing->empty();
}

}  // namespace quillon
