#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "core/collation.h"
#include "core/name_codec.h"
#include "core/paths.h"
#include "intake/split_path.h"

namespace quillon::testing {
namespace {

std::string Utf8(std::u16string_view text) {
  return EncodePath(text).value_or("<not encodable>");
}

// The root and the names of an absolute path, by the platform's own
// splitting, so that both separators of Windows paths are understood. A
// doubled or trailing separator adds no name.
std::optional<std::pair<std::u16string, std::vector<std::u16string>>> Components(
    std::u16string_view path) {
  if (!IsAbsolutePath(path)) return std::nullopt;
  std::vector<std::u16string> names;
  std::u16string rest(path);
  for (;;) {
    PathParts parts = SplitPath(rest);
    if (parts.directory == rest) break;  // a root, which splits into itself
    if (parts.directory.size() > rest.size()) return std::nullopt;
    if (!parts.name.empty()) names.push_back(std::move(parts.name));
    rest = std::move(parts.directory);
  }
  std::reverse(names.begin(), names.end());
  return std::make_pair(std::move(rest), std::move(names));
}

}  // namespace

// What a directory entry names, like an inode: the live and the durable state
// of a directory share it, so that a file written once is that file in both.
struct MemoryFileSystem::Entry {
  enum class Kind { kFile, kDirectory, kLink };
  // A change of one directory that is not durable yet.
  struct Change {
    std::u16string from;  // empty: `to` was created as `created`
    std::u16string to;
    std::shared_ptr<Entry> created;
  };
  using Entries = std::map<std::u16string, std::shared_ptr<Entry>>;

  Kind kind = Kind::kFile;
  std::string content;    // kFile
  std::u16string target;  // kLink
  // kDirectory:
  std::uint64_t serial = 0;
  std::weak_ptr<Entry> parent;
  Entries entries;                                  // live, by exact spelling
  std::map<std::u16string, std::u16string> folded;  // ignoring case: fold -> spelling
  Entries durable;
  std::vector<Change> pending;
};

struct MemoryFileSystem::Resolved {
  std::shared_ptr<Entry> parent;  // null for a root, ".", ".."
  std::u16string name;            // the entry's own spelling where it exists
  std::shared_ptr<Entry> entry;   // null where no entry answers to the name
};

class MemoryFileSystem::Handle : public DirectoryHandle {
 public:
  Handle(MemoryFileSystem& fs, std::shared_ptr<Entry> directory, std::u16string path)
      : m_fs(fs), m_directory(std::move(directory)), m_path(std::move(path)) {}

  bool List(std::vector<std::u16string>* names) override {
    return ListEach([names](std::u16string_view name) { names->emplace_back(name); });
  }

  bool ListEach(const std::function<void(std::u16string_view)>& visit) override {
    ++m_fs.listings;
    std::size_t left = m_fs.listingStopsAfter.value_or(static_cast<std::size_t>(-1));
    const auto give = [&](std::u16string_view name) {
      if (left == 0) return false;
      --left;
      visit(name);
      return true;
    };
    if (!give(u".") || !give(u"..")) return false;
    for (const auto& [name, entry] : m_directory->entries)
      if (!give(name)) return false;
    return true;
  }

  NameState LookUpName(std::u16string_view name) override {
    ++m_fs.lookups;
    if (m_fs.lookupsFail) return NameState::kUnknown;
    if (name == u"." || name == u"..") return NameState::kTaken;
    if (!m_fs.ValidName(name)) return NameState::kUnknown;
    return m_fs.FindKey(*m_directory, name) ? NameState::kTaken : NameState::kFree;
  }

  MoveResult Move(std::u16string_view oldName, std::u16string_view newName,
                  std::u16string* nameNow) override {
    return m_fs.Move(*this, oldName, newName, nameNow);
  }

  void ConfirmSpellings(std::vector<std::u16string>* notTaken) override {
    for (const auto& name : m_unconfirmed)
      if (m_directory->entries.count(name) == 0) notTaken->push_back(name);
    m_unconfirmed.clear();
  }

  NameLimit GetNameLimit() override { return m_fs.nameLimit; }

  std::optional<DirectoryIdentity> Identity() override {
    DirectoryIdentity identity;
    identity.device = 1;
    identity.node = m_directory->serial;
    return identity;
  }

  bool MakeDurable() override { return m_fs.MakeDurable(*this); }

 private:
  friend class MemoryFileSystem;
  MemoryFileSystem& m_fs;
  std::shared_ptr<Entry> m_directory;
  std::u16string m_path;
  // New spellings of case-only moves since the last ConfirmSpellings.
  std::vector<std::u16string> m_unconfirmed;
};

std::string MemoryFileSystem::Operation::Describe() const {
  if (kind == Kind::kMakeDurable) return "make durable " + Utf8(directory);
  return "move in " + Utf8(directory) + ": " + Utf8(from) + " -> " + Utf8(to);
}

MemoryFileSystem::MemoryFileSystem(Options options) : m_options(options) {
  m_roots[Root()] = NewDirectory(nullptr);
}

MemoryFileSystem::~MemoryFileSystem() = default;

std::u16string MemoryFileSystem::Root() {
  return IsAbsolutePath(u"/") ? u"/" : u"C:\\";
}

// --- Names and paths --------------------------------------------------------------

std::shared_ptr<MemoryFileSystem::Entry> MemoryFileSystem::NewDirectory(
    const std::shared_ptr<Entry>& parent) {
  auto directory = std::make_shared<Entry>();
  directory->kind = Entry::Kind::kDirectory;
  directory->serial = ++m_serial;
  directory->parent = parent;
  return directory;
}

std::u16string MemoryFileSystem::Fold(std::u16string_view name) const {
  return m_options.ignoresCase ? UpperCaseUnits(name) : std::u16string(name);
}

bool MemoryFileSystem::ValidName(std::u16string_view name) const {
  static const char16_t separator = JoinPath(u"", u"")[0];
  return !name.empty() && name != u"." && name != u".." &&
         name.find_first_of(std::u16string{u'/', separator, u'\0'}) == std::u16string_view::npos;
}

const std::u16string* MemoryFileSystem::FindKey(const Entry& directory,
                                                std::u16string_view name) const {
  if (m_options.ignoresCase) {
    const auto it = directory.folded.find(Fold(name));
    return it == directory.folded.end() ? nullptr : &it->second;
  }
  const auto it = directory.entries.find(std::u16string(name));
  return it == directory.entries.end() ? nullptr : &it->first;
}

void MemoryFileSystem::Insert(Entry& directory, const std::u16string& name,
                              std::shared_ptr<Entry> entry) {
  directory.entries[name] = std::move(entry);
  if (m_options.ignoresCase) directory.folded[Fold(name)] = name;
}

void MemoryFileSystem::Erase(Entry& directory, const std::u16string& name) {
  directory.entries.erase(name);
  if (m_options.ignoresCase) directory.folded.erase(Fold(name));
}

void MemoryFileSystem::Settle(Entry& directory) {
  directory.durable = directory.entries;
  directory.pending.clear();
}

std::optional<MemoryFileSystem::Resolved> MemoryFileSystem::Resolve(std::u16string_view path,
                                                                    bool followLast) const {
  const auto components = Components(path);
  if (!components) return std::nullopt;
  const auto root = m_roots.find(components->first);
  if (root == m_roots.end()) return std::nullopt;
  return Walk(root->second, components->second, followLast, 0);
}

std::optional<MemoryFileSystem::Resolved> MemoryFileSystem::Walk(
    std::shared_ptr<Entry> start, const std::vector<std::u16string>& names, bool followLast,
    int depth) const {
  if (depth > 16) return std::nullopt;  // a loop of links
  Resolved at{nullptr, {}, std::move(start)};
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!at.entry || at.entry->kind != Entry::Kind::kDirectory) return std::nullopt;
    const std::shared_ptr<Entry> directory = at.entry;
    const std::u16string& name = names[i];
    if (name == u"." || name == u"..") {
      const auto up = directory->parent.lock();
      at = {nullptr, {}, name == u".." && up ? up : directory};
      continue;
    }
    const std::u16string* key = FindKey(*directory, name);
    const std::shared_ptr<Entry> entry = key ? directory->entries.at(*key) : nullptr;
    const bool last = i + 1 == names.size();
    if (entry && entry->kind == Entry::Kind::kLink && (!last || followLast)) {
      // The link's target, then the rest of the path, from the link's
      // directory or from a root.
      auto target = Components(IsAbsolutePath(entry->target) ? entry->target
                                                             : JoinPath(Root(), entry->target));
      if (!target) return std::nullopt;
      std::shared_ptr<Entry> base = directory;
      if (IsAbsolutePath(entry->target)) {
        const auto root = m_roots.find(target->first);
        if (root == m_roots.end()) return std::nullopt;
        base = root->second;
      }
      target->second.insert(target->second.end(), names.begin() + static_cast<long>(i) + 1,
                            names.end());
      return Walk(base, target->second, followLast, depth + 1);
    }
    if (!entry && !last) return std::nullopt;
    at = {directory, key ? *key : name, entry};
  }
  return at;
}

std::shared_ptr<MemoryFileSystem::Entry> MemoryFileSystem::ResolveDirectory(
    std::u16string_view path) const {
  const auto resolved = Resolve(path, true);
  if (!resolved || !resolved->entry || resolved->entry->kind != Entry::Kind::kDirectory)
    return nullptr;
  return resolved->entry;
}

// --- The port ---------------------------------------------------------------------

EntryType MemoryFileSystem::GetEntryType(std::u16string_view path) {
  const auto resolved = Resolve(path, false);
  if (!resolved || !resolved->entry) return EntryType::kUnreadable;
  return resolved->entry->kind == Entry::Kind::kDirectory ? EntryType::kDirectory
                                                          : EntryType::kNonDirectory;
}

std::unique_ptr<DirectoryHandle> MemoryFileSystem::OpenDirectory(std::u16string_view path) {
  ++opens;
  if (openFails) return nullptr;
  auto directory = ResolveDirectory(path);
  if (!directory) return nullptr;
  return std::make_unique<Handle>(*this, std::move(directory), std::u16string(path));
}

void MemoryFileSystem::Hook(const Operation& operation) {
  if (beforeOperation) beforeOperation(operation);
  ++operations;
}

MoveResult MemoryFileSystem::Move(Handle& handle, std::u16string_view from, std::u16string_view to,
                                  std::u16string* nameNow) {
  Hook({Operation::Kind::kMove, handle.m_path, std::u16string(from), std::u16string(to)});
  const std::size_t call = moves.size();
  const auto rule = std::find_if(moveRules.begin(), moveRules.end(), [&](const MoveRule& r) {
    return r.times != 0 && (!r.from || *r.from == from) && (!r.to || *r.to == to) &&
           (!r.call || *r.call == call);
  });
  Entry& directory = *handle.m_directory;
  MoveResult result;
  if (rule != moveRules.end()) {
    if (rule->times > 0) --rule->times;
    result = Answer(directory, *rule, from, nameNow);
  } else {
    result = Rename(directory, from, to);
  }
  if (result == MoveResult::kMoved) {
    std::erase(handle.m_unconfirmed, from);
    if (from != to && Fold(from) == Fold(to) &&
        std::find(handle.m_unconfirmed.begin(), handle.m_unconfirmed.end(), to) ==
            handle.m_unconfirmed.end())
      handle.m_unconfirmed.emplace_back(to);
  }
  moves.push_back({std::u16string(from), std::u16string(to), result});
  return result;
}

MoveResult MemoryFileSystem::Rename(Entry& directory, std::u16string_view from,
                                    std::u16string_view to) {
  if (!ValidName(from) || !ValidName(to) || !NameFits(nameLimit, to)) return MoveResult::kFailed;
  const std::u16string* source = FindKey(directory, from);
  if (source == nullptr) return MoveResult::kFailed;
  const std::u16string oldName = *source;
  // Never onto another entry; onto the source itself only as a change of
  // the spelling where case is ignored.
  if (const std::u16string* target = FindKey(directory, to); target && *target != oldName)
    return MoveResult::kFailed;
  if (oldName == to) return MoveResult::kMoved;
  std::shared_ptr<Entry> entry = directory.entries.at(oldName);
  Erase(directory, oldName);
  Insert(directory, std::u16string(to), std::move(entry));
  directory.pending.push_back({oldName, std::u16string(to), nullptr});
  return MoveResult::kMoved;
}

MoveResult MemoryFileSystem::Answer(Entry& directory, MoveRule& rule, std::u16string_view from,
                                    std::u16string* nameNow) {
  const bool exists = FindKey(directory, from) != nullptr;
  switch (rule.result) {
    case MoveResult::kFailed:
    case MoveResult::kInUse:
      return rule.result;
    case MoveResult::kMoved:  // a change of spelling the file system ignored
      return exists ? MoveResult::kMoved : MoveResult::kFailed;
    case MoveResult::kStranded:
      if (Rename(directory, from, rule.nameNow) != MoveResult::kMoved) return MoveResult::kFailed;
      break;
    case MoveResult::kLeftBehind: {
      if (!exists || !ValidName(rule.nameNow) || FindKey(directory, rule.nameNow))
        return MoveResult::kFailed;
      auto placeholder = std::make_shared<Entry>();
      Insert(directory, rule.nameNow, placeholder);
      directory.pending.push_back({{}, rule.nameNow, std::move(placeholder)});
      break;
    }
  }
  if (nameNow != nullptr) *nameNow = rule.nameNow;
  return rule.result;
}

bool MemoryFileSystem::MakeDurable(Handle& handle) {
  Hook({Operation::Kind::kMakeDurable, handle.m_path, {}, {}});
  if (durableRefused) return false;
  Settle(*handle.m_directory);
  return true;
}

// --- Durability ----------------------------------------------------------------------

void MemoryFileSystem::PowerCut(std::function<std::size_t(std::size_t)> keep) {
  // Every directory reachable in either state, each once.
  std::vector<std::shared_ptr<Entry>> directories;
  std::set<const Entry*> seen;
  for (const auto& [root, directory] : m_roots) directories.push_back(directory);
  for (std::size_t i = 0; i < directories.size(); ++i) {
    const auto directory = directories[i];
    for (const auto* entries : {&directory->entries, &directory->durable})
      for (const auto& [name, entry] : *entries)
        if (entry->kind == Entry::Kind::kDirectory && seen.insert(entry.get()).second)
          directories.push_back(entry);
  }
  for (const auto& directory : directories) {
    const std::size_t pending = directory->pending.size();
    if (pending == 0) continue;
    const std::size_t kept = std::min(keep(pending), pending);
    std::vector<Entry::Change> changes = std::move(directory->pending);
    directory->pending.clear();
    directory->entries.clear();
    directory->folded.clear();
    for (const auto& [name, entry] : directory->durable) Insert(*directory, name, entry);
    for (std::size_t i = 0; i < kept; ++i) {
      const Entry::Change& change = changes[i];
      if (change.from.empty()) {
        Insert(*directory, change.to, change.created);
      } else {
        Rename(*directory, change.from, change.to);
      }
    }
    Settle(*directory);
  }
}

std::size_t MemoryFileSystem::PendingChanges(std::u16string_view path) const {
  const auto directory = ResolveDirectory(path);
  return directory ? directory->pending.size() : 0;
}

// --- Setting up and looking ------------------------------------------------------------

bool MemoryFileSystem::MakeDirectory(std::u16string_view path) {
  const auto components = Components(path);
  if (!components) return false;
  auto& root = m_roots[components->first];
  if (!root) root = NewDirectory(nullptr);
  std::shared_ptr<Entry> directory = root;
  for (const auto& name : components->second) {
    const auto resolved = Walk(directory, {name}, true, 0);
    if (!resolved) return false;
    if (!resolved->entry) {
      if (!ValidName(name)) return false;
      auto made = NewDirectory(directory);
      Insert(*directory, name, made);
      Settle(*directory);
      directory = std::move(made);
    } else if (resolved->entry->kind == Entry::Kind::kDirectory) {
      directory = resolved->entry;
    } else {
      return false;
    }
  }
  return true;
}

bool MemoryFileSystem::WriteFile(std::u16string_view path, std::string_view content) {
  const auto resolved = Resolve(path, false);
  if (!resolved || !resolved->parent) return false;
  if (resolved->entry) {
    if (resolved->entry->kind != Entry::Kind::kFile) return false;
    resolved->entry->content = content;
    return true;
  }
  if (!ValidName(resolved->name)) return false;
  auto file = std::make_shared<Entry>();
  file->content = content;
  Insert(*resolved->parent, resolved->name, std::move(file));
  Settle(*resolved->parent);
  return true;
}

bool MemoryFileSystem::MakeSymbolicLink(std::u16string_view path, std::u16string_view target) {
  const auto resolved = Resolve(path, false);
  if (!resolved || !resolved->parent || resolved->entry || !ValidName(resolved->name)) return false;
  auto link = std::make_shared<Entry>();
  link->kind = Entry::Kind::kLink;
  link->target = target;
  Insert(*resolved->parent, resolved->name, std::move(link));
  Settle(*resolved->parent);
  return true;
}

bool MemoryFileSystem::Remove(std::u16string_view path) {
  const auto resolved = Resolve(path, false);
  if (!resolved || !resolved->parent || !resolved->entry) return false;
  Erase(*resolved->parent, resolved->name);
  Settle(*resolved->parent);
  return true;
}

bool MemoryFileSystem::ReplaceDirectory(std::u16string_view path) {
  const auto resolved = Resolve(path, false);
  if (!resolved || !resolved->parent || !resolved->entry ||
      resolved->entry->kind != Entry::Kind::kDirectory)
    return false;
  resolved->parent->entries.at(resolved->name) = NewDirectory(resolved->parent);
  Settle(*resolved->parent);
  return true;
}

std::optional<std::string> MemoryFileSystem::ReadFile(std::u16string_view path) const {
  const auto resolved = Resolve(path, true);
  if (!resolved || !resolved->entry || resolved->entry->kind != Entry::Kind::kFile)
    return std::nullopt;
  return resolved->entry->content;
}

std::vector<std::u16string> MemoryFileSystem::ListNames(std::u16string_view path) const {
  std::vector<std::u16string> names;
  if (const auto directory = ResolveDirectory(path))
    for (const auto& [name, entry] : directory->entries) names.push_back(name);
  return names;
}

// --- Script and record --------------------------------------------------------------------

MemoryFileSystem::MoveRule MemoryFileSystem::MoveRule::From(std::u16string_view name,
                                                            MoveResult result) {
  MoveRule rule;
  rule.from = std::u16string(name);
  rule.result = result;
  return rule;
}

MemoryFileSystem::MoveRule MemoryFileSystem::MoveRule::To(std::u16string_view name,
                                                          MoveResult result) {
  MoveRule rule;
  rule.to = std::u16string(name);
  rule.result = result;
  return rule;
}

MemoryFileSystem::MoveRule MemoryFileSystem::MoveRule::Call(std::size_t call, MoveResult result) {
  MoveRule rule;
  rule.call = call;
  rule.result = result;
  return rule;
}

void MemoryFileSystem::FailMovesFrom(std::u16string_view name) {
  moveRules.push_back(MoveRule::From(name));
}

void MemoryFileSystem::FailMovesTo(std::u16string_view name) {
  moveRules.push_back(MoveRule::To(name));
}

void MemoryFileSystem::InUse(std::u16string_view name, int times) {
  moveRules.push_back(MoveRule::From(name, MoveResult::kInUse).Times(times));
}

int MemoryFileSystem::SuccessfulMoves() const {
  return static_cast<int>(std::count_if(moves.begin(), moves.end(), [](const MoveCall& call) {
    return call.result == MoveResult::kMoved;
  }));
}

bool MemoryFileSystem::MovedToNameContaining(std::u16string_view part) const {
  return std::any_of(moves.begin(), moves.end(), [&](const MoveCall& call) {
    return call.result == MoveResult::kMoved && call.to.find(part) != std::u16string::npos;
  });
}

// --- MemoryDir -------------------------------------------------------------------------------

MemoryDir::MemoryDir(MemoryFileSystem& fs) : m_fs(fs) {
  for (int n = 1;; ++n) {
    m_path = JoinPath(MemoryFileSystem::Root(), DecodeName("quillon-test-" + std::to_string(n)));
    if (fs.GetEntryType(m_path) == EntryType::kUnreadable) break;
  }
  if (!fs.MakeDirectory(m_path)) throw std::logic_error("cannot make " + Utf8(m_path));
}

std::u16string MemoryDir::PathOf(std::string_view name) const {
  return JoinPath(m_path, DecodeName(name));
}

void MemoryDir::Write(std::string_view name, std::optional<std::string> content) const {
  if (!m_fs.WriteFile(PathOf(name), content.value_or(std::string(name))))
    throw std::logic_error("cannot write " + Utf8(PathOf(name)));
}

MemoryDir MemoryDir::MakeDir(std::string_view name) const {
  if (!m_fs.MakeDirectory(PathOf(name)))
    throw std::logic_error("cannot make " + Utf8(PathOf(name)));
  return MemoryDir(m_fs, PathOf(name));
}

bool MemoryDir::Exists(std::string_view name) const {
  return m_fs.GetEntryType(PathOf(name)) != EntryType::kUnreadable;
}

std::string MemoryDir::Read(std::string_view name) const {
  return m_fs.ReadFile(PathOf(name)).value_or("<missing " + std::string(name) + ">");
}

void MemoryDir::Remove(std::string_view name) const {
  if (!m_fs.Remove(PathOf(name))) throw std::logic_error("cannot remove " + Utf8(PathOf(name)));
}

std::vector<std::string> MemoryDir::Entries() const {
  std::vector<std::string> names;
  for (const auto& name : m_fs.ListNames(m_path)) names.push_back(Utf8(name));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace quillon::testing
