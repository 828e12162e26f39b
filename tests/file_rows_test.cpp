#include "core/file_rows.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

using Names = std::vector<std::u16string>;

FileRows ThreeRows() {
  std::vector<std::shared_ptr<CFileNameX>> files;
  for (const char16_t* name : {u"a.jpg", u"b", u"c.TXT"})
    files.push_back(std::make_shared<CFileNameX>(name));
  return FileRows(u"/d", std::move(files));
}

// The lists stay aligned: new and current names are none or one per row,
// and whatever changes the rows changes them all.
TEST(FileRows, ListsStayAligned) {
  FileRows rows = ThreeRows();
  EXPECT_FALSE(rows.Named());
  EXPECT_EQ(rows.Targets().Size(), 0u);
  EXPECT_FALSE(rows.SetNewNames({u"x", u"y"}));
  EXPECT_FALSE(rows.SetCurrentNames({u"a.jpg"}));
  EXPECT_TRUE(rows.NewNames().empty());

  ASSERT_TRUE(rows.SetNewNames({u"x1", u"x2", u"x3"}));
  ASSERT_TRUE(rows.SetCurrentNames({u"x1.jpg", u"x2", u"c.TXT"}));
  EXPECT_TRUE(rows.Named());
  EXPECT_EQ(rows.Targets().Views(),
            (std::vector<std::u16string_view>{u"x1.jpg", u"x2", u"x3.TXT"}));

  rows.Remove({false, true});
  EXPECT_EQ(rows.OldNames(), (Names{u"a.jpg", u"c.TXT"}));
  EXPECT_EQ(rows.NewNames(), (Names{u"x1", u"x3"}));
  EXPECT_EQ(rows.CurrentNames(), (Names{u"x1.jpg", u"c.TXT"}));

  // Other files: the names belonged to the rows that went.
  rows.SetFiles({std::make_shared<CFileNameX>(u"z.png")});
  EXPECT_EQ(rows.Directory(), u"/d");
  EXPECT_TRUE(rows.NewNames().empty());
  EXPECT_TRUE(rows.CurrentNames().empty());
  rows.Clear();
  EXPECT_TRUE(rows.Empty());
  EXPECT_TRUE(rows.Directory().empty());
}

}  // namespace
}  // namespace quillon
