// Journals kept in memory, with what a power cut would keep of them: the
// bytes up to the last sync, and perhaps some written after it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/journal_store.h"

namespace quillon::test {

class MemoryJournalStore : public JournalStore {
 public:
  struct Journal {
    std::string bytes;
    std::size_t synced = 0;  // bytes a power cut keeps for sure
    bool held = false;
  };

  std::unique_ptr<JournalFile> Create() override {
    if (refuseCreate) return nullptr;
    const int id = m_next++;
    m_journals[id].held = true;
    return std::make_unique<File>(*this, id);
  }

  std::vector<std::unique_ptr<JournalFile>> ClaimAbandoned() override {
    std::vector<std::unique_ptr<JournalFile>> claimed;
    for (auto& [id, journal] : m_journals) {
      if (journal.held) continue;
      journal.held = true;
      claimed.push_back(std::make_unique<File>(*this, id));
    }
    return claimed;
  }

  // The journals left, oldest first.
  std::vector<std::string> Contents() const {
    std::vector<std::string> all;
    for (const auto& [id, journal] : m_journals) all.push_back(journal.bytes);
    return all;
  }
  std::size_t Count() const { return m_journals.size(); }

  // Every journal keeps its synced bytes and the first keep(n) of the n
  // written since; no process holds one any more.
  template <typename Keep>
  void PowerCut(Keep keep) {
    for (auto& [id, journal] : m_journals) {
      const std::size_t pending = journal.bytes.size() - journal.synced;
      journal.bytes.resize(journal.synced + keep(pending));
      journal.synced = journal.bytes.size();
      journal.held = false;
    }
  }

  bool refuseCreate = false;
  bool refuseAppend = false;

 private:
  class File : public JournalFile {
   public:
    File(MemoryJournalStore& store, int id) : m_store(store), m_id(id) {}
    ~File() override {
      const auto it = m_store.m_journals.find(m_id);
      if (it != m_store.m_journals.end()) it->second.held = false;
    }
    bool Append(std::string_view bytes) override {
      if (m_store.refuseAppend) return false;
      Get().bytes.append(bytes);
      return true;
    }
    bool Sync() override {
      Get().synced = Get().bytes.size();
      return true;
    }
    std::optional<std::string> ReadAll() override { return Get().bytes; }
    bool Remove() override { return m_store.m_journals.erase(m_id) == 1; }

   private:
    Journal& Get() { return m_store.m_journals.at(m_id); }
    MemoryJournalStore& m_store;
    int m_id;
  };

  std::map<int, Journal> m_journals;
  int m_next = 0;
};

}  // namespace quillon::test
