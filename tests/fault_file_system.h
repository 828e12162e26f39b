// A file-system port that wraps another one: counts and records every move,
// and injects failures, "in use" answers and events at chosen moves.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/file_system.h"

namespace quillon::testing {

class FaultFileSystem : public FileSystem {
 public:
  struct MoveCall {
    std::u16string from;
    std::u16string to;
    MoveResult result;
  };

  explicit FaultFileSystem(FileSystem& inner) : m_inner(inner) {}

  EntryType GetEntryType(std::u16string_view path) override { return m_inner.GetEntryType(path); }

  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view path) override {
    ++opens;
    if (failOpen) return nullptr;
    auto inner = m_inner.OpenDirectory(path);
    if (!inner) return nullptr;
    return std::make_unique<Directory>(*this, std::move(inner));
  }

  // Moves whose result was kMoved.
  int SuccessfulMoves() const {
    int count = 0;
    for (const auto& call : moves) count += call.result == MoveResult::kMoved;
    return count;
  }
  // Whether any move went to a name containing `part`.
  bool MovedToNameContaining(std::u16string_view part) const {
    for (const auto& call : moves)
      if (call.result == MoveResult::kMoved && call.to.find(part) != std::u16string::npos)
        return true;
    return false;
  }

  // Script
  bool failOpen = false;
  std::set<std::u16string> failFrom;    // every move away from these names fails
  std::set<std::u16string> failTo;      // every move onto these names fails
  std::map<std::u16string, int> inUse;  // moves from a name answer "in use" this many times
  std::set<std::size_t> failCalls;      // the move calls with these numbers (from 0) fail
  std::optional<NameLimit> nameLimit;   // replaces the directory's own limit
  bool lookupsFail = false;             // every name lookup answers kUnknown
  // Called before each move reaches the inner port.
  std::function<void(std::u16string_view from, std::u16string_view to)> beforeMove;

  // Record
  int opens = 0;
  int lookups = 0;  // LookUpName calls
  std::vector<MoveCall> moves;

 private:
  class Directory : public DirectoryHandle {
   public:
    Directory(FaultFileSystem& owner, std::unique_ptr<DirectoryHandle> inner)
        : m_owner(owner), m_inner(std::move(inner)) {}
    bool List(std::vector<std::u16string>* names) override { return m_inner->List(names); }
    NameState LookUpName(std::u16string_view name) override {
      ++m_owner.lookups;
      if (m_owner.lookupsFail) return NameState::kUnknown;
      return m_inner->LookUpName(name);
    }
    void ConfirmSpellings(std::vector<std::u16string>* notTaken) override {
      m_inner->ConfirmSpellings(notTaken);
    }
    NameLimit GetNameLimit() override {
      return m_owner.nameLimit ? *m_owner.nameLimit : m_inner->GetNameLimit();
    }
    std::optional<DirectoryIdentity> Identity() override { return m_inner->Identity(); }
    MoveResult Move(std::u16string_view from, std::u16string_view to,
                    std::u16string* nameNow) override {
      const MoveResult result = Decide(from, to, nameNow);
      m_owner.moves.push_back({std::u16string(from), std::u16string(to), result});
      return result;
    }

   private:
    MoveResult Decide(std::u16string_view from, std::u16string_view to, std::u16string* nameNow) {
      const std::u16string source(from);
      if (m_owner.failCalls.count(m_owner.moves.size()) != 0) return MoveResult::kFailed;
      if (const auto busy = m_owner.inUse.find(source);
          busy != m_owner.inUse.end() && busy->second > 0) {
        --busy->second;
        return MoveResult::kInUse;
      }
      if (m_owner.failFrom.count(source) != 0 || m_owner.failTo.count(std::u16string(to)) != 0)
        return MoveResult::kFailed;
      if (m_owner.beforeMove) m_owner.beforeMove(from, to);
      return m_inner->Move(from, to, nameNow);
    }

    FaultFileSystem& m_owner;
    std::unique_ptr<DirectoryHandle> m_inner;
  };

  FileSystem& m_inner;
};

}  // namespace quillon::testing
