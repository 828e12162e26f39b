// The memory file system's own contract, where the logic's tests do not
// already rely on it: moves that never replace, one name in two spellings
// where case is ignored, injected answers, and what a power cut keeps.
#include "tests/support/memory_file_system.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/paths.h"
#include "tests/fake_dialog.h"

namespace quillon::testing {
namespace {

using Names = std::vector<std::string>;
using Rule = MemoryFileSystem::MoveRule;

TEST(MemoryFileSystem, MovesNeverReplaceAndOneFileMayChangeItsCase) {
  struct Case {
    bool ignoresCase;
    const char16_t* from;
    const char16_t* to;
    MoveResult result;
    Names after;
  } cases[] = {
      {false, u"a.txt", u"b.txt", MoveResult::kMoved, {"B.txt", "b.txt", "ln", "sub"}},
      {false, u"a.txt", u"B.txt", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
      {false, u"a.txt", u"sub", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
      {false, u"a.txt", u"ln", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
      {false, u"a.txt", u"A.txt", MoveResult::kMoved, {"A.txt", "B.txt", "ln", "sub"}},
      {false, u"A.TXT", u"c.txt", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
      {false, u"ln", u"link", MoveResult::kMoved, {"B.txt", "a.txt", "link", "sub"}},
      {false, u"a.txt", u"x/y", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
      {false, u"a.txt", u"..", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
      {true, u"a.txt", u"b.txt", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
      {true, u"a.txt", u"A.TXT", MoveResult::kMoved, {"A.TXT", "B.txt", "ln", "sub"}},
      {true, u"A.TXT", u"c.txt", MoveResult::kMoved, {"B.txt", "c.txt", "ln", "sub"}},
      {true, u"b.txt", u"SUB", MoveResult::kFailed, {"B.txt", "a.txt", "ln", "sub"}},
  };
  for (const Case& c : cases) {
    const std::string what =
        *EncodePath(c.from) + ">" + *EncodePath(c.to) + (c.ignoresCase ? " ignoring case" : "");
    MemoryFileSystem fs({.ignoresCase = c.ignoresCase});
    MemoryDir dir(fs);
    dir.Write("a.txt");
    dir.Write("B.txt");
    dir.MakeDir("sub");
    ASSERT_TRUE(fs.MakeSymbolicLink(dir.PathOf("ln"), u"a.txt"));
    auto handle = fs.OpenDirectory(dir.Path());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Move(c.from, c.to), c.result) << what;
    EXPECT_EQ(dir.Entries(), c.after) << what;
    EXPECT_EQ(handle->LookUpName(u"b.TXT"), c.ignoresCase ? NameState::kTaken : NameState::kFree)
        << what;
  }
}

TEST(MemoryFileSystem, PathsFollowLinksExceptAtTheirLastEntry) {
  MemoryFileSystem fs;
  MemoryDir dir(fs);
  dir.MakeDir("real").Write("f.txt", "content");
  ASSERT_TRUE(fs.MakeSymbolicLink(dir.PathOf("link"), u"real"));
  EXPECT_EQ(fs.GetEntryType(dir.PathOf("link")), EntryType::kNonDirectory);
  EXPECT_EQ(fs.GetEntryType(JoinPath(dir.PathOf("link"), u"f.txt")), EntryType::kNonDirectory);
  EXPECT_EQ(fs.GetEntryType(dir.PathOf("real")), EntryType::kDirectory);
  EXPECT_EQ(fs.GetEntryType(u"relative"), EntryType::kUnreadable);
  auto handle = fs.OpenDirectory(dir.PathOf("link"));
  ASSERT_NE(handle, nullptr);
  std::vector<std::u16string> names;
  EXPECT_TRUE(handle->List(&names));
  EXPECT_EQ(names, (std::vector<std::u16string>{u".", u"..", u"f.txt"}));
  fs.listingStopsAfter = 2;
  names.clear();
  EXPECT_FALSE(handle->List(&names));
  EXPECT_EQ(names.size(), 2u);

  // A directory put in the place of another is another directory.
  const auto before = handle->Identity();
  ASSERT_TRUE(fs.ReplaceDirectory(dir.PathOf("real")));
  EXPECT_NE(fs.OpenDirectory(dir.PathOf("real"))->Identity(), before);
  EXPECT_EQ(handle->Identity(), before);
  EXPECT_TRUE(fs.ListNames(dir.PathOf("real")).empty());
}

TEST(MemoryFileSystem, InjectedAnswersLeaveTheStateTheyReport) {
  struct Case {
    Rule rule;
    std::vector<MoveResult> results;  // of three attempts of a.txt>A.txt
    Names after;
    std::vector<std::u16string> notTaken;  // ConfirmSpellings afterwards
  } cases[] = {
      {Rule::From(u"a.txt", MoveResult::kInUse).Times(2),
       {MoveResult::kInUse, MoveResult::kInUse, MoveResult::kMoved},
       {"A.txt"},
       {}},
      // Once moved, the same move again changes nothing and succeeds.
      {Rule::Call(1), {MoveResult::kMoved, MoveResult::kFailed, MoveResult::kMoved}, {"A.txt"}, {}},
      {Rule::To(u"A.txt", MoveResult::kStranded).NameNow(u"mid").Times(1),
       {MoveResult::kStranded, MoveResult::kFailed, MoveResult::kFailed},
       {"mid"},
       {}},
      {Rule::From(u"a.txt", MoveResult::kLeftBehind).NameNow(u"left").Times(1),
       {MoveResult::kLeftBehind, MoveResult::kMoved, MoveResult::kMoved},
       {"A.txt", "left"},
       {}},
      // Reported done, but the file system kept its own spelling.
      {Rule::To(u"A.txt", MoveResult::kMoved),
       {MoveResult::kMoved, MoveResult::kMoved, MoveResult::kMoved},
       {"a.txt"},
       {u"A.txt"}},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs({.ignoresCase = true});
    MemoryDir dir(fs);
    dir.Write("a.txt");
    fs.moveRules = {c.rule};
    auto handle = fs.OpenDirectory(dir.Path());
    std::vector<MoveResult> results;
    for (int attempt = 0; attempt < 3; ++attempt) {
      std::u16string nameNow;
      results.push_back(handle->Move(u"a.txt", u"A.txt", &nameNow));
      if (results.back() == MoveResult::kStranded || results.back() == MoveResult::kLeftBehind) {
        EXPECT_EQ(nameNow, c.rule.nameNow);
      }
    }
    EXPECT_EQ(results, c.results) << c.after[0];
    EXPECT_EQ(dir.Entries(), c.after);
    std::vector<std::u16string> notTaken;
    handle->ConfirmSpellings(&notTaken);
    EXPECT_EQ(notTaken, c.notTaken);
    EXPECT_EQ(fs.moves.size(), 3u);
  }
}

TEST(MemoryFileSystem, AnOperationTheHookStopsHasNotHappened) {
  MemoryFileSystem fs;
  MemoryDir dir(fs);
  dir.Write("a");
  auto handle = fs.OpenDirectory(dir.Path());
  std::vector<std::string> seen;
  fs.beforeOperation = [&](const MemoryFileSystem::Operation& operation) {
    seen.push_back(operation.Describe());
    if (seen.size() == 3) throw std::runtime_error("stop");
  };
  EXPECT_EQ(handle->Move(u"a", u"b"), MoveResult::kMoved);
  EXPECT_TRUE(handle->MakeDurable());
  EXPECT_THROW(handle->Move(u"b", u"c"), std::runtime_error);
  EXPECT_EQ(dir.Entries(), Names{"b"});
  EXPECT_EQ(fs.operations, 2u);
  EXPECT_EQ(fs.moves.size(), 1u);
  const std::string path = EncodePath(dir.Path()).value();
  EXPECT_EQ(seen, (std::vector<std::string>{"move in " + path + ": a -> b", "make durable " + path,
                                            "move in " + path + ": b -> c"}));
}

TEST(MemoryFileSystem, PowerCutKeepsTheDurableStateAndAPrefixOfTheChangesSince) {
  // A swap through a temporary name, made durable after its first move.
  struct Case {
    std::size_t kept;
    Names after;
    std::string contentOfA;
  } cases[] = {
      {0, {"b", "t"}, "<missing a>"},
      {1, {"a", "t"}, "b"},
      {2, {"a", "b"}, "b"},
      {9, {"a", "b"}, "b"},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    MemoryDir dir(fs);
    dir.Write("a");
    dir.Write("b");
    auto handle = fs.OpenDirectory(dir.Path());
    ASSERT_EQ(handle->Move(u"a", u"t"), MoveResult::kMoved);
    ASSERT_TRUE(handle->MakeDurable());
    ASSERT_EQ(handle->Move(u"b", u"a"), MoveResult::kMoved);
    ASSERT_EQ(handle->Move(u"t", u"b"), MoveResult::kMoved);
    EXPECT_EQ(fs.PendingChanges(dir.Path()), 2u);
    std::size_t pendingSeen = 0;
    fs.PowerCut([&](std::size_t pending) {
      pendingSeen = pending;
      return c.kept;
    });
    EXPECT_EQ(pendingSeen, 2u);
    EXPECT_EQ(dir.Entries(), c.after) << c.kept;
    EXPECT_EQ(dir.Read("a"), c.contentOfA) << c.kept;
    EXPECT_EQ(fs.PendingChanges(dir.Path()), 0u);
  }
}

TEST(MemoryFileSystem, WhatAnotherProgramWritesIsDurableWithEveryChangeBeforeIt) {
  MemoryFileSystem fs;
  MemoryDir dir(fs);
  dir.Write("a");
  auto handle = fs.OpenDirectory(dir.Path());
  ASSERT_EQ(handle->Move(u"a", u"c"), MoveResult::kMoved);
  dir.Write("other");
  ASSERT_EQ(handle->Move(u"c", u"d"), MoveResult::kMoved);
  fs.PowerCut([](std::size_t) { return 0; });
  EXPECT_EQ(dir.Entries(), (Names{"c", "other"}));
}

TEST(MemoryFileSystem, NoDurablePointWhereTheFileSystemRefusesIt) {
  MemoryFileSystem fs;
  MemoryDir dir(fs);
  dir.Write("a");
  auto handle = fs.OpenDirectory(dir.Path());
  fs.durableRefused = true;
  ASSERT_EQ(handle->Move(u"a", u"b"), MoveResult::kMoved);
  EXPECT_FALSE(handle->MakeDurable());
  fs.PowerCut([](std::size_t) { return 0; });
  EXPECT_EQ(dir.Entries(), Names{"a"});
}

}  // namespace
}  // namespace quillon::testing
