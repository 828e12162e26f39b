// The plan check on the memory file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "tests/fake_dialog.h"
#include "tests/support/memory_file_system.h"

namespace quillon {
namespace {

using testing::FakeDialog;
using testing::ListNames;
using testing::MemoryDir;
using testing::MemoryFileSystem;
using testing::U;

struct Outcome {
  bool passed;
  std::vector<int> duplicates;  // sorted
  std::vector<int> missing;     // sorted
};

class PlanCheckTest : public ::testing::Test {
 protected:
  PlanCheckTest() { ListNames(dlg, dir.Path(), {}); }

  void Files(std::initializer_list<const char*> names) {
    for (const char* name : names) dir.Write(name);
  }

  Outcome Check(std::initializer_list<const char*> sources,
                std::initializer_list<const char*> targets) {
    std::vector<std::u16string> s;
    std::vector<std::u16string> t;
    for (const char* name : sources) s.push_back(U(name));
    for (const char* name : targets) t.push_back(U(name));
    return Check(s, t);
  }
  Outcome Check(const std::vector<std::u16string>& sources,
                const std::vector<std::u16string>& targets) {
    Outcome outcome;
    outcome.duplicates = {-7};  // outputs must be emptied first
    outcome.missing = {-7};
    outcome.passed = dlg.CheckRenamePlan(sources, targets, &outcome.duplicates, &outcome.missing);
    std::sort(outcome.duplicates.begin(), outcome.duplicates.end());
    std::sort(outcome.missing.begin(), outcome.missing.end());
    return outcome;
  }

  MemoryFileSystem fs;
  MemoryDir dir{fs};
  FakeDialog dialog;
  CQuillonDlg dlg{fs, dialog};
};

using Rows = std::vector<int>;

TEST_F(PlanCheckTest, CaseOnlyRenamePasses) {
  Files({"a.txt"});
  const Outcome outcome = Check({"a.txt"}, {"A.txt"});
  EXPECT_TRUE(outcome.passed);
  EXPECT_EQ(fs.opens, 1);
  EXPECT_TRUE(dialog.messages.empty());
}

TEST_F(PlanCheckTest, TargetsThatAreSourcesOfOtherRowsPass) {
  Files({"2.jpg", "3.jpg", "a", "b"});
  EXPECT_TRUE(Check({"2.jpg", "3.jpg"}, {"1.jpg", "2.jpg"}).passed);  // down onto a free name
  EXPECT_TRUE(Check({"a", "b"}, {"B", "A"}).passed);                  // swap, case changed
  EXPECT_TRUE(Check({"2.jpg", "3.jpg"}, {"2.jpg", "3.jpg"}).passed);  // unchanged
  Files({"1.jpg"});
  EXPECT_TRUE(Check({"1.jpg", "2.jpg", "3.jpg"}, {"2.jpg", "3.jpg", "4.jpg"}).passed);  // up
  // The same shift down is blocked once 1.jpg exists without being listed.
  EXPECT_EQ(Check({"2.jpg", "3.jpg"}, {"1.jpg", "2.jpg"}).duplicates, (Rows{0}));
}

TEST_F(PlanCheckTest, TargetsDifferingOnlyInCaseClashBoth) {
  Files({"x.txt", "y.txt", "z.txt"});
  const Outcome outcome = Check({"x.txt", "y.txt", "z.txt"}, {"A1.txt", "q.txt", "a1.TXT"});
  EXPECT_FALSE(outcome.passed);
  EXPECT_EQ(outcome.duplicates, (Rows{0, 2}));
  EXPECT_TRUE(outcome.missing.empty());
}

TEST_F(PlanCheckTest, NamesThatDifferMoreThanInCaseDoNotClash) {
  Files({"x", "y"});
  EXPECT_TRUE(Check({"x", "y"}, {"a1.txt", "a01.txt"}).passed);
  EXPECT_TRUE(Check({"x", "y"}, {"\u00E9", "e\u0301"}).passed);  // canonical twins are two names
}

TEST_F(PlanCheckTest, SubDirectoryAndDotEntriesClash) {
  Files({"a.txt", "b.txt", "c.txt"});
  dir.MakeDir("Sub");
  const Outcome outcome = Check({"a.txt", "b.txt", "c.txt"}, {"sub", ".", ".."});
  EXPECT_EQ(outcome.duplicates, (Rows{0, 1, 2}));
}

TEST_F(PlanCheckTest, UnlistedFileClashesAndIsNeverReportedItself) {
  Files({"a.txt", "b.txt", "unlisted.txt"});
  const Outcome outcome = Check({"a.txt", "b.txt"}, {"UNLISTED.txt", "c.txt"});
  EXPECT_EQ(outcome.duplicates, (Rows{0}));
  EXPECT_TRUE(outcome.missing.empty());
}

TEST_F(PlanCheckTest, UnlistedFileDifferingOnlyInCaseFromAListedOneClashes) {
  // Two entries that are one name to the user, both on a case-sensitive disk.
  Files({"a.txt", "A.txt"});
  ASSERT_EQ(dir.Entries().size(), 2u) << "needs a file system that tells case apart";
  EXPECT_EQ(Check({"a.txt"}, {"A.TXT"}).duplicates, (Rows{0}));
  EXPECT_EQ(Check({"A.txt"}, {"a.txt"}).duplicates, (Rows{0}));
  EXPECT_TRUE(Check({"a.txt"}, {"b.txt"}).passed);
  // Both listed: each source is found, neither blocks the other.
  EXPECT_TRUE(Check({"a.txt", "A.txt"}, {"b1.txt", "b2.txt"}).passed);
}

TEST_F(PlanCheckTest, ASourceIsTheEntryOfExactlyItsNameNotATwin) {
  // A file system that tells case apart: a.txt and A.txt are two files, and
  // a.txt deleted is missing although its twin remains.
  Files({"a.txt", "A.txt", "b.txt"});
  ASSERT_EQ(dir.Entries().size(), 3u) << "needs a file system that tells case apart";
  dir.Remove("a.txt");
  struct Case {
    std::vector<std::u16string> sources, targets;
    Rows missing, duplicates;
  } cases[] = {
      {{u"a.txt"}, {u"x.txt"}, {0}, {}},  {{u"A.txt", u"a.txt"}, {u"x.txt", u"y.txt"}, {1}, {}},
      {{u"A.txt"}, {u"a.txt"}, {}, {}},    // case-only change onto the free spelling
      {{u"A.txt"}, {u"B.TXT"}, {}, {0}},   // new names still clash ignoring case
      {{u"a.txt"}, {u"A.TXT"}, {0}, {0}},  // the twin is another file
  };
  for (const Case& c : cases) {
    fs.lookups = 0;
    const Outcome outcome = Check(c.sources, c.targets);
    EXPECT_EQ(outcome.missing, c.missing) << ::testing::PrintToString(c.sources);
    EXPECT_EQ(outcome.duplicates, c.duplicates) << ::testing::PrintToString(c.targets);
    // Only the name without an entry of its own is looked up.
    EXPECT_EQ(fs.lookups, static_cast<int>(c.missing.size()));
  }
}

TEST_F(PlanCheckTest, DeletedFileIsMissingWhereverItSorts) {
  Files({"a.txt", "m.txt", "z.txt"});
  dir.Remove("z.txt");  // sorted after every remaining entry
  EXPECT_EQ(Check({"a.txt", "m.txt", "z.txt"}, {"1", "2", "3"}).missing, (Rows{2}));
  dir.Remove("a.txt");  // sorted before every entry
  EXPECT_EQ(Check({"a.txt", "m.txt", "z.txt"}, {}).missing, (Rows{0, 2}));
  dir.Remove("m.txt");  // the directory is now empty
  const Outcome outcome = Check({"m.txt", "z.txt", "a.txt"}, {"1", "2", "3"});
  EXPECT_EQ(outcome.missing, (Rows{0, 1, 2}));
  EXPECT_TRUE(outcome.duplicates.empty());
  EXPECT_FALSE(outcome.passed);
}

TEST_F(PlanCheckTest, VanishedDirectoryReportsEveryRowMissing) {
  Files({"a", "b"});
  ListNames(dlg, dir.PathOf("gone"), {});
  EXPECT_EQ(Check({"a", "b"}, {"c", "d"}).missing, (Rows{0, 1}));
  ListNames(dlg, dir.PathOf("a"), {});  // a file, not a directory
  EXPECT_EQ(Check({"a", "b"}, {}).missing, (Rows{0, 1}));
}

TEST_F(PlanCheckTest, ThreeEqualTargetsAreReportedOnceEach) {
  Files({"a", "b", "c", "d", "x"});
  const Outcome outcome = Check({"a", "b", "c", "d"}, {"x", "X", "q", "x"});
  EXPECT_EQ(outcome.duplicates, (Rows{0, 1, 3}));  // also with the unlisted x among them
  EXPECT_EQ(Check({"a", "b", "c"}, {"n", "n", "N"}).duplicates, (Rows{0, 1, 2}));
}

TEST_F(PlanCheckTest, MissingSourcesAndClashesAreBothReported) {
  Files({"a", "b"});
  const Outcome outcome = Check({"a", "b", "gone"}, {"t", "t", "u"});
  EXPECT_EQ(outcome.missing, (Rows{2}));
  EXPECT_EQ(outcome.duplicates, (Rows{0, 1}));
}

TEST_F(PlanCheckTest, UndecodableNamesMatchTheirEntries) {
  Files({"\xff\xfe.jpg", "ok.jpg"});
  const std::u16string odd = U("\xff\xfe.jpg");
  EXPECT_TRUE(Check({odd}, {u"x.jpg"}).passed);
  EXPECT_EQ(Check({U("ok.jpg")}, {odd}).duplicates, (Rows{0}));
}

TEST_F(PlanCheckTest, LargeShiftedSeriesInACrowdedDirectory) {
  // Rows 0..999 move up by one in a directory that also holds 1000 other
  // files; one row's target hits an unlisted file.
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = "img" + std::to_string(i) + ".jpg";
    dir.Write(name);
    dir.Write("other" + std::to_string(i));
    sources.push_back(U(name));
    targets.push_back(U("img" + std::to_string(i + 1) + ".jpg"));
  }
  targets[734] = u"OTHER77";
  const Outcome outcome = Check(sources, targets);
  EXPECT_EQ(outcome.duplicates, (Rows{734}));
  EXPECT_TRUE(outcome.missing.empty());
  EXPECT_EQ(fs.opens, 1);
  EXPECT_EQ(fs.lookups, 0);  // every source has its entry: no call per row
}

TEST(PlanCheckIgnoringCase, FindsAFileUnderAnotherSpelling) {
  MemoryFileSystem fs({.ignoresCase = true});
  MemoryDir dir(fs);
  dir.Write("a.txt");
  dir.Write("b.txt");
  FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog);
  ListNames(dlg, dir.Path(), {});
  struct Case {
    std::vector<std::u16string> sources, targets;
    Rows missing, duplicates;
  } cases[] = {
      // The entry found under A.TXT is that file, not another one in the way.
      {{u"A.TXT"}, {u"a.txt"}, {}, {}},
      {{u"A.TXT"}, {u"B.txt"}, {}, {0}},
      {{u"A.TXT", u"gone.txt"}, {u"x.txt", u"y.txt"}, {1}, {}},
  };
  for (const Case& c : cases) {
    Rows duplicates;
    Rows missing;
    dlg.CheckRenamePlan(c.sources, c.targets, &duplicates, &missing);
    EXPECT_EQ(missing, c.missing) << ::testing::PrintToString(c.targets);
    EXPECT_EQ(duplicates, c.duplicates) << ::testing::PrintToString(c.targets);
  }
}

}  // namespace
}  // namespace quillon
