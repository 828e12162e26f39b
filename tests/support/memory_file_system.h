// A file system held in memory, for the logic's tests on every platform:
// directories of regular files, directories and symbolic links, reached by
// paths in the platform's form (core/paths.h, intake/split_path.h), with
// moves that never replace, a mode that ignores case, name limits, injected
// failures and "in use" answers, and a model of what survives a power cut.
//
// Links are entries of their own: GetEntryType never follows a final one,
// OpenDirectory and the components of a path follow them, as lstat and
// open(O_DIRECTORY) do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"

namespace quillon::testing {

class MemoryFileSystem : public FileSystem {
 public:
  struct Options {
    // Names that differ only in letter case are one name: they compare by
    // UpperCaseUnits (core/collation.h), the simple per-unit upper-casing
    // that NTFS, exFAT and vfat use, not by the locale's collation. Every
    // entry keeps its own spelling.
    bool ignoresCase = false;
  };

  // What the file system is asked to change; handed to `beforeOperation`.
  struct Operation {
    enum class Kind { kMove, kMakeDurable };
    Kind kind;
    std::u16string directory;      // the path the directory was opened by
    std::u16string from;           // kMove only
    std::u16string to;             // kMove only
    std::string Describe() const;  // UTF-8, for test output
  };

  // Every Move call as it was answered, in order.
  struct MoveCall {
    std::u16string from;
    std::u16string to;
    MoveResult result;
  };

  // How chosen moves are answered instead of being made. A rule applies to a
  // Move call when each of its given conditions holds; the first rule that
  // applies and has `times` left answers.
  struct MoveRule {
    std::optional<std::u16string> from;  // the old name, spelt exactly
    std::optional<std::u16string> to;    // the new name, spelt exactly
    std::optional<std::size_t> call;     // the n-th Move call, from 0
    // kFailed and kInUse change nothing. kStranded moves the entry to
    // `nameNow` instead; kLeftBehind keeps it and makes an empty file under
    // `nameNow`. kMoved reports a move of the spelling only that the file
    // system ignored (the entry keeps its spelling; ConfirmSpellings tells).
    MoveResult result = MoveResult::kFailed;
    std::u16string nameNow;
    int times = -1;  // answers this many times, then the rule is spent; -1: always

    static MoveRule From(std::u16string_view name, MoveResult result = MoveResult::kFailed);
    static MoveRule To(std::u16string_view name, MoveResult result = MoveResult::kFailed);
    static MoveRule Call(std::size_t call, MoveResult result = MoveResult::kFailed);
    MoveRule& Times(int n) {
      times = n;
      return *this;
    }
    MoveRule& NameNow(std::u16string_view name) {
      nameNow = name;
      return *this;
    }
  };

  MemoryFileSystem() : MemoryFileSystem(Options{}) {}
  explicit MemoryFileSystem(Options options);
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  // The root every test's directories live under: "/" on POSIX systems,
  // "C:\" on Windows.
  static std::u16string Root();

  // --- The port --------------------------------------------------------------
  EntryType GetEntryType(std::u16string_view path) override;
  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) override;

  // --- Setting up and looking, as another program would --------------------
  // These neither count as operations nor reach `beforeOperation`. A change
  // they make is durable at once, with every change before it in that
  // directory (another program that synced it). Each returns false when a
  // component is missing or an entry of another kind is in the way.
  // Makes the directory and any missing parent.
  bool MakeDirectory(std::u16string_view path);
  // Makes the regular file (its parent must exist), or rewrites the file
  // that answers to the name, keeping that entry's spelling.
  bool WriteFile(std::u16string_view path, std::string_view content);
  bool MakeSymbolicLink(std::u16string_view path, std::u16string_view target);
  // Removes the entry; a directory goes with everything in it.
  bool Remove(std::u16string_view path);
  // Puts a new, empty directory (a new identity) in the place of the one at
  // `path`; the old one lives on only for handles still open on it.
  bool ReplaceDirectory(std::u16string_view path);
  // The content of the regular file, nullopt for anything else.
  std::optional<std::string> ReadFile(std::u16string_view path) const;
  // The exact spelling of every entry, sorted by code unit, without "." and
  // ".."; empty when the path is no directory.
  std::vector<std::u16string> ListNames(std::u16string_view path) const;

  // --- Durability --------------------------------------------------------------
  // Every directory keeps the changes made since its last MakeDurable. Rolls
  // every directory back to its durable state plus the first keep(n) of its
  // n pending changes (as a journaling file system keeps a prefix in order),
  // all of which become durable.
  void PowerCut(std::function<std::size_t(std::size_t pending)> keep);
  // How many changes of the directory at `path` are not durable yet.
  std::size_t PendingChanges(std::u16string_view path) const;

  // --- Script --------------------------------------------------------------------
  NameLimit nameLimit;                           // every directory's limit
  bool openFails = false;                        // OpenDirectory answers nullptr
  bool lookupsFail = false;                      // LookUpName answers kUnknown
  std::optional<std::size_t> listingStopsAfter;  // List gives this many names, then fails
  bool durableRefused = false;                   // MakeDurable answers false, changes nothing
  std::vector<MoveRule> moveRules;
  // Called before every Move and MakeDurable. An operation it throws from
  // has not happened: nothing changed, nothing was counted or logged.
  std::function<void(const Operation&)> beforeOperation;

  void FailMovesFrom(std::u16string_view name);
  void FailMovesTo(std::u16string_view name);
  // The move from `name` answers "in use" `times` times, then moves.
  void InUse(std::u16string_view name, int times);

  // --- Record ----------------------------------------------------------------------
  int opens = 0;               // OpenDirectory calls
  int lookups = 0;             // LookUpName calls
  int listings = 0;            // List and ListEach calls
  std::size_t operations = 0;  // Move and MakeDurable calls that happened
  std::vector<MoveCall> moves;

  int SuccessfulMoves() const;
  // Whether any move went to a name containing `part`.
  bool MovedToNameContaining(std::u16string_view part) const;

 private:
  struct Entry;
  struct Resolved;
  class Handle;

  std::shared_ptr<Entry> NewDirectory(const std::shared_ptr<Entry>& parent);
  std::optional<Resolved> Resolve(std::u16string_view path, bool followLast) const;
  std::optional<Resolved> Walk(std::shared_ptr<Entry> start,
                               const std::vector<std::u16string>& names, bool followLast,
                               int depth) const;
  std::shared_ptr<Entry> ResolveDirectory(std::u16string_view path) const;
  // The spelling of the entry that answers to `name`, or nullptr.
  const std::u16string* FindKey(const Entry& directory, std::u16string_view name) const;
  std::u16string Fold(std::u16string_view name) const;
  bool ValidName(std::u16string_view name) const;
  void Insert(Entry& directory, const std::u16string& name, std::shared_ptr<Entry> entry);
  void Erase(Entry& directory, const std::u16string& name);
  // Makes the directory's state durable, with every change before it.
  void Settle(Entry& directory);
  void Hook(const Operation& operation);
  MoveResult Move(Handle& handle, std::u16string_view from, std::u16string_view to,
                  std::u16string* nameNow);
  MoveResult Rename(Entry& directory, std::u16string_view from, std::u16string_view to);
  MoveResult Answer(Entry& directory, MoveRule& rule, std::u16string_view from,
                    std::u16string* nameNow);
  bool MakeDurable(Handle& handle);

  Options m_options;
  std::map<std::u16string, std::shared_ptr<Entry>> m_roots;
  std::uint64_t m_serial = 0;
};

// A fresh directory of a memory file system, with the helpers of the real
// disk's TempDir (tests/test_support.h): names are UTF-8 test literals, as
// U() takes them, and contents bytes.
class MemoryDir {
 public:
  explicit MemoryDir(MemoryFileSystem& fs);
  // The directory `path` of `fs`, which exists.
  MemoryDir(MemoryFileSystem& fs, std::u16string path) : m_fs(fs), m_path(std::move(path)) {}

  // The directory as the logic sees it, and the full path of a name in it.
  const std::u16string& Path() const { return m_path; }
  std::u16string PathOf(std::string_view name) const;

  // Creates or rewrites a file whose content is `content` (by default its
  // own name).
  void Write(std::string_view name, std::optional<std::string> content = std::nullopt) const;
  // Makes a sub-directory and returns it.
  MemoryDir MakeDir(std::string_view name) const;
  bool Exists(std::string_view name) const;
  // The file's content, or "<missing NAME>" where no file has the name.
  std::string Read(std::string_view name) const;
  void Remove(std::string_view name) const;
  // Every entry's name in UTF-8 (escaped bytes as bytes), sorted, without
  // "." and "..".
  std::vector<std::string> Entries() const;

 private:
  MemoryFileSystem& m_fs;
  std::u16string m_path;
};

}  // namespace quillon::testing
