// The rename engine: moves every file of a plan to its new name without ever
// moving one onto a name that is still taken, parking files under temporary
// names only where names form a cycle.
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/name_codec.h"
#include "core/paths.h"
#include "core/quillon_dlg.h"
#include "intake/collation.h"
#include "resources/strings.h"

namespace quillon {
namespace {

// Bases this long are cut by kTemporaryCut code units before "_tmp<n>" is
// added, so that the temporary name stays within the usual name length.
constexpr std::size_t kLongBase = 245;
constexpr std::size_t kTemporaryCut = 10;
constexpr int kTemporaryCandidates = 1000000;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

// Drops the last code unit, and a high surrogate left behind by that, so
// that no character is cut in half.
void DropLastCharacter(std::u16string& text) {
  text.pop_back();
  if (!text.empty() && IsHighSurrogate(text.back())) text.pop_back();
}

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

bool CQuillonDlg::RunRenames(const std::vector<std::u16string>& sources,
                             const std::vector<std::u16string>& targets,
                             std::vector<std::u16string>* currentNames) {
  *currentNames = sources;
  // One handle for the whole run: a directory renamed or replaced by a link
  // meanwhile cannot send a later move somewhere else.
  std::unique_ptr<DirectoryHandle> directory = m_fileSystem.OpenDirectory(m_directory);
  m_runDirectoryIdentity = directory ? directory->Identity() : std::nullopt;
  // Another directory put at the same path must not have its files moved.
  const bool expected = !m_requiredDirectory || m_runDirectoryIdentity == m_requiredDirectory;
  if (!directory || !expected || targets.size() != sources.size()) {
    for (std::size_t row = 0; row < sources.size(); ++row)
      SetResultText(static_cast<int>(row), str::kCannotRename);
    return false;
  }
  struct RunScope {
    CQuillonDlg& dlg;
    ~RunScope() {
      dlg.m_runDirectory = nullptr;
      dlg.m_runNameLimit.reset();
      dlg.m_runNameIds.clear();
      dlg.m_runNameCount = 0;
    }
  } scope{*this};
  m_runDirectory = directory.get();
  m_runNameLimit.reset();
  NumberNames(sources, targets);

  RenameItems items;
  items.reserve(sources.size());
  for (std::size_t row = 0; row < sources.size(); ++row)
    items.push_back(
        std::make_shared<DORENAMEITEM>(static_cast<std::int32_t>(row), sources[row], targets[row]));

  bool succeeded = RenameDirect(items, currentNames);
  if (!items.empty()) succeeded = RenameViaTemporary(items, currentNames) && succeeded;
  return succeeded;
}

void CQuillonDlg::NumberNames(const std::vector<std::u16string>& sources,
                              const std::vector<std::u16string>& targets) {
  // One collation key per name and run; from then on the passes compare and
  // count small numbers instead of keys.
  const NameCollator& collator = NameCollator::Default();
  std::vector<std::string> keys;
  keys.reserve(2 * sources.size());
  for (std::size_t row = 0; row < sources.size(); ++row) {
    keys.push_back(collator.Key(sources[row]));
    keys.push_back(collator.Key(targets[row]));
  }
  std::unordered_map<std::string_view, std::int32_t> numbers;
  numbers.reserve(keys.size());
  m_runNameIds.clear();
  m_runNameIds.reserve(keys.size());
  for (const std::string& key : keys) {
    const auto [entry, added] = numbers.try_emplace(key, static_cast<std::int32_t>(numbers.size()));
    m_runNameIds.push_back(entry->second);
  }
  m_runNameCount = static_cast<std::int32_t>(numbers.size());
}

bool CQuillonDlg::RenameDirect(RenameItems& items, std::vector<std::u16string>* currentNames) {
  auto oldId = [this](const DORENAMEITEM& item) {
    return static_cast<std::size_t>(m_runNameIds[2 * static_cast<std::size_t>(item.index)]);
  };
  auto newId = [this](const DORENAMEITEM& item) {
    return static_cast<std::size_t>(m_runNameIds[2 * static_cast<std::size_t>(item.index) + 1]);
  };
  bool succeeded = true;

  auto moveItem = [&](DORENAMEITEM& item) {
    item.done = true;
    if (MoveItem(item.index, item.oldName->m_name, item.newName->m_name, false, currentNames))
      return true;
    succeeded = false;
    return false;
  };

  // Unchanged names and changes of letter case only take no other file's
  // name, so they go first.
  for (const auto& item : items) {
    if (oldId(*item) != newId(*item)) continue;
    if (item->oldName->m_name == item->newName->m_name) {
      item->done = true;
      m_dialog.SetCellText(item->index, kResultColumn, str::kResultOk);
    } else {
      moveItem(*item);
    }
  }
  RemoveDoneItems(items);

  // How many files that have yet to move away still bear each name (two
  // may, on a file system that tells case apart). A file whose move failed
  // keeps blocking its name.
  std::vector<std::int32_t> blocked(static_cast<std::size_t>(m_runNameCount), 0);
  for (const auto& item : items) ++blocked[oldId(*item)];

  // Items of a sweep found blocked, listed by the name they wait for (rows
  // linked through waitNext). When that name is freed they move at once, so
  // a chain listed in any order unrolls within one sweep and no plan needs
  // more than two.
  std::vector<DORENAMEITEM*> byRow(currentNames->size(), nullptr);
  for (const auto& item : items) byRow[static_cast<std::size_t>(item->index)] = item.get();
  std::vector<std::int32_t> waitHead(static_cast<std::size_t>(m_runNameCount), -1);
  std::vector<std::int32_t> waitNext(currentNames->size(), -1);
  std::vector<std::size_t> waitedFor;
  std::vector<DORENAMEITEM*> ready;

  while (!items.empty()) {
    // Following the direction of the last item's shift settles a series
    // shifted by one in either direction in a single sweep.
    const DORENAMEITEM& last = *items.back();
    const bool backward = CompareNames(last.newName->m_name, last.oldName->m_name) > 0;
    bool progress = false;

    auto visit = [&](DORENAMEITEM& item) {
      if (item.done) return;
      const std::size_t wanted = newId(item);
      if (blocked[wanted] > 0) {
        waitNext[static_cast<std::size_t>(item.index)] = waitHead[wanted];
        waitHead[wanted] = item.index;
        waitedFor.push_back(wanted);
        return;
      }
      progress = true;
      ready.push_back(&item);
      while (!ready.empty()) {
        DORENAMEITEM& next = *ready.back();
        ready.pop_back();
        if (!moveItem(next)) continue;
        const std::size_t freed = oldId(next);
        if (--blocked[freed] > 0) continue;
        for (std::int32_t row = waitHead[freed]; row >= 0;
             row = waitNext[static_cast<std::size_t>(row)])
          ready.push_back(byRow[static_cast<std::size_t>(row)]);
        waitHead[freed] = -1;
      }
    };
    if (backward) {
      for (auto it = items.rbegin(); it != items.rend(); ++it) visit(**it);
    } else {
      for (const auto& item : items) visit(*item);
    }
    for (const std::size_t name : waitedFor) waitHead[name] = -1;
    waitedFor.clear();
    RemoveDoneItems(items);
    if (!progress) break;
  }
  return succeeded;
}

bool CQuillonDlg::RenameViaTemporary(RenameItems& items,
                                     std::vector<std::u16string>* currentNames) {
  bool succeeded = true;
  // The old names of the items not yet handled here. A new name still held
  // by one of them cannot be taken, so the direct move is not even tried:
  // it could only fail, and a cycle of n files would cost n moves more.
  std::vector<std::int32_t> held(static_cast<std::size_t>(m_runNameCount), 0);
  for (const auto& item : items) ++held[static_cast<std::size_t>(m_runNameIds[2 * item->index])];

  std::vector<TMPRENAMEITEM> parked;
  for (const auto& item : items) {
    item->done = true;
    const std::u16string& oldName = item->oldName->m_name;
    const std::u16string& newName = item->newName->m_name;
    const auto oldId = static_cast<std::size_t>(m_runNameIds[2 * item->index]);
    const auto newId = static_cast<std::size_t>(m_runNameIds[2 * item->index + 1]);
    // Parking an earlier item of a cycle may have freed this one's name.
    std::u16string nameNow = oldName;
    if (held[newId] == 0 && MoveWithRetry(oldName, newName, &nameNow)) {
      m_dialog.SetCellText(item->index, kResultColumn, str::kResultOk);
      (*currentNames)[item->index] = newName;
      --held[oldId];
      continue;
    }
    std::u16string temporary = nameNow == oldName ? MakeTemporaryName(oldName) : std::u16string();
    if (!temporary.empty() && MoveWithRetry(oldName, temporary, &nameNow)) {
      (*currentNames)[item->index] = temporary;
      parked.push_back({item->index, std::move(temporary), newName});
      --held[oldId];
      continue;
    }
    ReportFailure(item->index, nameNow, nameNow != oldName, currentNames);
    succeeded = false;
  }
  RemoveDoneItems(items);

  // A file that stays parked keeps its row telling the user where, and undo
  // can still bring it back.
  for (const TMPRENAMEITEM& item : parked)
    succeeded = MoveItem(item.index, item.tmpName, item.newName, true, currentNames) && succeeded;
  return succeeded;
}

bool CQuillonDlg::MoveItem(std::int32_t row, const std::u16string& oldName,
                           const std::u16string& newName, bool parked,
                           std::vector<std::u16string>* currentNames) {
  std::u16string nameNow = oldName;
  if (MoveWithRetry(oldName, newName, &nameNow)) {
    m_dialog.SetCellText(row, kResultColumn, str::kResultOk);
    (*currentNames)[static_cast<std::size_t>(row)] = newName;
    return true;
  }
  ReportFailure(row, nameNow, parked || nameNow != oldName, currentNames);
  return false;
}

void CQuillonDlg::ReportFailure(std::int32_t row, const std::u16string& nameNow, bool elsewhere,
                                std::vector<std::u16string>* currentNames) {
  (*currentNames)[static_cast<std::size_t>(row)] = nameNow;
  // A file left under a name the user did not choose is named in its row;
  // undo follows it there.
  if (elsewhere) {
    SetResultText(row, std::u16string(str::kCannotRename) + nameNow + str::kStoredUnder);
  } else {
    SetResultText(row, str::kCannotRename);
  }
}

bool CQuillonDlg::MoveWithRetry(const std::u16string& oldName, const std::u16string& newName,
                                std::u16string* nameNow) {
  *nameNow = oldName;
  if (oldName == newName) return true;
  if (m_runDirectory == nullptr) return false;
  for (;;) {
    switch (m_runDirectory->Move(oldName, newName, nameNow)) {
      case MoveResult::kMoved:
        *nameNow = newName;
        return true;
      case MoveResult::kFailed:
        *nameNow = oldName;
        return false;
      case MoveResult::kStranded:
        // The port's word on where the file is; an empty answer would lose
        // track of it, so the old name stands in.
        if (nameNow->empty()) *nameNow = oldName;
        return false;
      case MoveResult::kInUse:
        // The user closes the other program; closing the dialog retries too.
        m_dialog.ShowRetryDialog(JoinPath(m_directory, oldName) + str::kFileInUse);
        break;
    }
  }
}

std::u16string CQuillonDlg::MakeTemporaryName(const std::u16string& name) {
  if (m_runDirectory == nullptr) return {};
  SplitName parts = SplitExtension(name);
  std::u16string& base = parts.base;
  if (base.size() >= kLongBase) {
    base.resize(base.size() - kTemporaryCut);
    if (!base.empty() && IsHighSurrogate(base.back())) base.pop_back();
  }
  // The directory's own limit may be smaller, or count bytes of the encoded
  // name (three per Japanese character): shorten until the name fits.
  if (!m_runNameLimit) m_runNameLimit = m_runDirectory->GetNameLimit();
  const NameLimit limit = *m_runNameLimit;
  auto fits = [&limit](const std::u16string& candidate) { return NameFits(limit, candidate); };
  for (int n = 0; n < kTemporaryCandidates; ++n) {
    const std::u16string suffix = u"_tmp" + Decimal(n) + parts.extension;
    std::u16string candidate = base + suffix;
    while (!fits(candidate)) {
      if (base.empty()) return {};
      DropLastCharacter(base);
      candidate = base + suffix;
    }
    if (!EncodeName(candidate)) return {};
    switch (m_runDirectory->LookUpName(candidate)) {
      case NameState::kFree:
        return candidate;
      case NameState::kTaken:
        break;
      case NameState::kUnknown:
        // A directory we cannot search (permission gone, a dropped mount)
        // would answer the same for every candidate, each lookup perhaps a
        // network timeout: the file keeps its name instead.
        return {};
    }
  }
  return {};
}

void CQuillonDlg::SetResultText(int row, std::u16string_view message) {
  m_dialog.SetCellText(row, kResultColumn,
                       std::u16string(str::kFailurePrefix) + std::u16string(message));
}

void CQuillonDlg::RemoveDoneItems(RenameItems& items) {
  std::erase_if(items, [](const std::shared_ptr<DORENAMEITEM>& item) { return item->done; });
}

}  // namespace quillon
