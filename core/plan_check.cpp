#include "core/plan_check.h"

#include <cstdint>
#include <memory>
#include <unordered_set>

#include "core/name_numbering.h"

namespace quillon {
namespace {

class PlanChecker {
 public:
  explicit PlanChecker(const PlanToCheck& plan);

  void ListDirectory(FileSystem& fileSystem);
  void LookUpUnfound();
  void DropTwinsOfAliases();
  void FindClashes();

  PlanCheck Result() && { return std::move(m_result); }

 private:
  std::size_t IdOf(std::u16string_view name) const {
    return static_cast<std::size_t>(m_numbering.Find(name));
  }
  // The first row of `id`'s sources not yet paired with an entry and spelt
  // exactly `entry`, or -1.
  std::int32_t UnfoundSourceSpelt(std::size_t id, std::u16string_view entry) const;
  void TakeEntry(std::u16string_view entry);

  const PlanToCheck& m_plan;
  const std::int32_t m_sourceCount;
  NameNumbering m_numbering;
  std::vector<std::int32_t> m_sourceIds;
  std::vector<std::int32_t> m_targetIds;
  // The sources of each name, linked by row, to find the one spelt exactly
  // like an entry.
  std::vector<std::int32_t> m_sourcesOfName;
  std::vector<std::int32_t> m_nextSource;
  std::vector<bool> m_found;
  // Per name: the entries bearing it that are no source of the plan.
  std::vector<std::int32_t> m_others;
  std::unordered_set<std::u16string_view> m_knownTwins;
  std::unique_ptr<DirectoryHandle> m_directory;
  bool m_complete = false;
  PlanCheck m_result;
};

PlanChecker::PlanChecker(const PlanToCheck& plan)
    : m_plan(plan),
      m_sourceCount(static_cast<std::int32_t>(plan.sources.size())),
      m_numbering([this](std::int32_t k) {
        return k < m_sourceCount ? m_plan.sources[static_cast<std::size_t>(k)]
                                 : m_plan.targets[static_cast<std::size_t>(k - m_sourceCount)];
      }),
      m_sourceIds(plan.sources.size()),
      m_targetIds(plan.targets.size()),
      m_nextSource(plan.sources.size(), -1),
      m_found(plan.sources.size(), false),
      m_knownTwins(plan.knownTwins.begin(), plan.knownTwins.end()) {
  // Every name of the plan gets a number, equal exactly for the same name;
  // from then on names are counted.
  m_numbering.Reserve(plan.sources.size() + plan.targets.size());
  for (std::size_t i = 0; i < plan.sources.size(); ++i)
    m_sourceIds[i] = m_numbering.Add(plan.sources[i]);
  for (std::size_t i = 0; i < plan.targets.size(); ++i) {
    m_targetIds[i] = m_numbering.Add(plan.targets[i]);
    if (m_plan.progress) m_plan.progress(i);
  }
  const auto names = static_cast<std::size_t>(m_numbering.Count());
  m_sourcesOfName.assign(names, -1);
  m_others.assign(names, 0);
  for (std::size_t i = plan.sources.size(); i-- > 0;) {
    const auto id = static_cast<std::size_t>(m_sourceIds[i]);
    m_nextSource[i] = m_sourcesOfName[id];
    m_sourcesOfName[id] = static_cast<std::int32_t>(i);
  }
}

std::int32_t PlanChecker::UnfoundSourceSpelt(std::size_t id, std::u16string_view entry) const {
  for (std::int32_t row = m_sourcesOfName[id]; row >= 0;
       row = m_nextSource[static_cast<std::size_t>(row)]) {
    const auto r = static_cast<std::size_t>(row);
    if (!m_found[r] && m_plan.sources[r] == entry) return row;
  }
  return -1;
}

// An entry pairs with the source spelt exactly like it: this is how the file
// system itself finds a file wherever it tells case apart, and on any file
// system the normal case. Any other entry of a name of the plan is another
// file; one that is no name of the plan can neither be a source nor meet a
// target.
void PlanChecker::TakeEntry(std::u16string_view entry) {
  if (m_numbering.Find(entry) < 0) return;
  const std::size_t id = IdOf(entry);
  if (const std::int32_t row = UnfoundSourceSpelt(id, entry); row >= 0) {
    m_found[static_cast<std::size_t>(row)] = true;
    return;
  }
  if (m_plan.targetsAre == TargetsAre::kNew && m_sourcesOfName[id] >= 0)
    m_result.twins.emplace_back(entry);
  if (m_knownTwins.count(entry) != 0) return;
  ++m_others[id];
}

// A directory that stops early keeps the entries read so far; the lookups
// find the rest.
void PlanChecker::ListDirectory(FileSystem& fileSystem) {
  m_directory = fileSystem.OpenDirectory(m_plan.directory);
  m_complete =
      m_directory && m_directory->ListEach([this](std::u16string_view entry) { TakeEntry(entry); });
}

// A source without an entry of its exact name is either gone or, where the
// file system ignores case, another spelling of an entry: only the file
// system can tell which, so it is asked, and only for these few names. The
// entry found under an alias is that file, not another one; but in a partial
// listing a source may lack its entry only because that was not read, and an
// entry of its name is then a twin, another file: kept among the others it
// can only block a target, never let one through.
void PlanChecker::LookUpUnfound() {
  for (std::size_t i = 0; i < m_plan.sources.size(); ++i) {
    if (m_found[i]) continue;
    // A lookup that fails says nothing of the file: it counts as missing.
    if (!m_directory || m_directory->LookUpName(m_plan.sources[i]) != NameState::kTaken) {
      m_result.missing.push_back(static_cast<int>(i));
      continue;
    }
    const auto id = static_cast<std::size_t>(m_sourceIds[i]);
    if (m_complete && m_others[id] > 0) --m_others[id];
  }
}

// An entry is another file only beside sources found under their exact
// names: one beside a source found by its alias is that very file, where the
// file system ignores case.
void PlanChecker::DropTwinsOfAliases() {
  std::erase_if(m_result.twins, [this](const std::u16string& twin) {
    for (std::int32_t row = m_sourcesOfName[IdOf(twin)]; row >= 0;
         row = m_nextSource[static_cast<std::size_t>(row)])
      if (!m_found[static_cast<std::size_t>(row)]) return true;
    return false;
  });
}

// A target clashes with the other targets of its name and with the other
// files bearing it, unless the targets are former names and no other file
// bears it: such twins lived side by side before.
void PlanChecker::FindClashes() {
  std::vector<std::int32_t> takers(m_others);
  for (const std::int32_t id : m_targetIds) ++takers[static_cast<std::size_t>(id)];
  for (std::size_t i = 0; i < m_plan.targets.size(); ++i) {
    const auto id = static_cast<std::size_t>(m_targetIds[i]);
    if (takers[id] < 2 || (m_plan.targetsAre == TargetsAre::kFormer && m_others[id] == 0)) continue;
    m_result.duplicates.push_back(static_cast<int>(i));
  }
}

}  // namespace

PlanCheck CheckRenamePlan(FileSystem& fileSystem, const PlanToCheck& plan) {
  PlanChecker checker(plan);
  checker.ListDirectory(fileSystem);
  checker.LookUpUnfound();
  checker.DropTwinsOfAliases();
  checker.FindClashes();
  return std::move(checker).Result();
}

}  // namespace quillon
