// The run journal's records: what is written reads back exactly, and a
// journal cut or damaged anywhere reads as its valid prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/run_journal.h"
#include "memory_journal_store.h"

namespace quillon {
namespace {

using test::MemoryJournalStore;

struct Plan {
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
};

std::unique_ptr<JournalWriter> Begin(MemoryJournalStore& store, const Plan& plan,
                                     const std::optional<DirectoryIdentity>& identity) {
  const std::vector<std::u16string_view> sources(plan.sources.begin(), plan.sources.end());
  const std::vector<std::u16string_view> targets(plan.targets.begin(), plan.targets.end());
  return JournalWriter::Begin(store, RunKind::kUndo, u"/tmp/写真", identity, sources, targets);
}

Plan ManyRows(int count) {
  Plan plan;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    plan.sources.push_back(u"DSC_" + std::u16string(n.begin(), n.end()) + u".JPG");
    plan.targets.push_back(u"旅行_" + std::u16string(n.begin(), n.end()) + u".JPG");
  }
  return plan;
}

TEST(JournalTest, WhatIsWrittenReadsBackExactly) {
  // Names that are not UTF-8 on disk (lone surrogates), characters beyond
  // the first plane, and enough rows to span several records.
  const DirectoryIdentity identity{7, 0, std::string("\x01\x00\xff", 3), 1234567890123u};
  struct Case {
    const char* what;
    Plan plan;
    std::optional<DirectoryIdentity> identity;
  } cases[] = {
      {"odd names", {{u"a\xDC80.txt", u"\U0001F600.jpg", u""}, {u"b.txt", u"c\xD800", u"x"}}, {}},
      {"many rows", ManyRows(30000), identity},
      {"no rows", {}, identity},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryJournalStore store;
    auto writer = Begin(store, c.plan, c.identity);
    ASSERT_NE(writer, nullptr);
    const std::vector<RunLog::Parking> parked{{0, u"a_tmp0.txt"}};
    if (!c.plan.sources.empty()) {
      ASSERT_TRUE(writer->WillPark(NameLimit{255, 255}, parked));
      writer->WillUnpark();
      writer->MoveEnded(3, MoveResult::kStranded, u".quillon-1-2");
    }
    const JournalContents read = ReadJournal(store.Contents().at(0));
    EXPECT_TRUE(read.hasHeader);
    EXPECT_EQ(read.kind, RunKind::kUndo);
    EXPECT_EQ(read.runId, writer->RunId());
    EXPECT_EQ(read.directory, u"/tmp/写真");
    EXPECT_EQ(read.identity, c.identity);
    EXPECT_TRUE(read.rowsComplete);
    EXPECT_EQ(read.sources, c.plan.sources);
    EXPECT_EQ(read.targets, c.plan.targets);
    if (c.plan.sources.empty()) continue;
    ASSERT_EQ(read.parking.size(), 1u);
    EXPECT_EQ(read.parking[0].name, u"a_tmp0.txt");
    EXPECT_EQ(read.parkingLimit.maxUnits, 255u);
    EXPECT_TRUE(read.unparking);
    ASSERT_EQ(read.outcomes.size(), 1u);
    EXPECT_EQ(read.outcomes[0].move, 3u);
    EXPECT_EQ(read.outcomes[0].result, MoveResult::kStranded);
    EXPECT_EQ(read.outcomes[0].nameNow, u".quillon-1-2");
    EXPECT_TRUE(writer->Finish());
    EXPECT_EQ(store.Count(), 0u);
  }
}

TEST(JournalTest, ACutOrDamagedJournalReadsAsItsValidPrefix) {
  MemoryJournalStore store;
  const Plan plan{{u"a.txt", u"b.txt", u"c.txt"}, {u"b.txt", u"c.txt", u"a.txt"}};
  auto writer = Begin(store, plan, DirectoryIdentity{1, 2, {}, 3});
  const std::vector<RunLog::Parking> parked{{0, u"a_tmp0.txt"}};
  ASSERT_TRUE(writer->WillPark(NameLimit{}, parked));
  writer->WillUnpark();
  writer->MoveEnded(5, MoveResult::kFailed, u"");
  const std::string whole = store.Contents().at(0);
  const JournalContents full = ReadJournal(whole);

  // Cut at every byte: never more than was written, never rows without all
  // of them, and what is read is what was written.
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const JournalContents read = ReadJournal(std::string_view(whole).substr(0, cut));
    EXPECT_FALSE(read.rowsComplete && read.outcomes.size() == full.outcomes.size()) << cut;
    if (!read.rowsComplete) {
      EXPECT_TRUE(read.parking.empty() && read.outcomes.empty() && !read.unparking) << cut;
      continue;
    }
    EXPECT_EQ(read.sources, plan.sources);
  }
  // A byte changed anywhere: reading stops at that record and keeps the
  // records before it.
  for (std::size_t at = 0; at < whole.size(); ++at) {
    std::string damaged = whole;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    const JournalContents read = ReadJournal(damaged);
    EXPECT_LE(read.outcomes.size(), full.outcomes.size());
    if (read.rowsComplete) {
      EXPECT_EQ(read.targets, plan.targets) << at;
    }
  }
  EXPECT_FALSE(ReadJournal("not a journal at all").hasHeader);
  // The sum is CRC-32 as zlib computes it, so other tools can check a record.
  EXPECT_EQ(FrameRecord("123456789").substr(4, 4), std::string("\x26\x39\xF4\xCB"));
}

TEST(JournalTest, AJournalThatCannotBeWrittenStopsTheRunAndLeavesNothing) {
  for (const bool refuseCreate : {true, false}) {
    MemoryJournalStore store;
    store.refuseCreate = refuseCreate;
    store.refuseAppend = !refuseCreate;
    EXPECT_EQ(Begin(store, ManyRows(3), {}), nullptr);
    EXPECT_EQ(store.Count(), 0u);
  }
}

}  // namespace
}  // namespace quillon
