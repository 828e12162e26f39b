// The list's menu as both windows build it: menu 133's items in order, each
// enabled as the logic says at that moment, and its commands found by number.
#include "window/row_menu.h"

#include <gtest/gtest.h>

#include <set>

#include "resources/strings.h"

namespace quillon {
namespace {

TEST(RowMenu, ItemsInOrderEachEnabledByTheLogic) {
  const MenuCommand order[] = {MenuCommand::kOpen,        MenuCommand::kCopyOldBase,
                               MenuCommand::kCopyOldFull, MenuCommand::kCopyNewBase,
                               MenuCommand::kCopyNewFull, MenuCommand::kPaste,
                               MenuCommand::kDelete,      MenuCommand::kRefresh};
  const std::set<MenuCommand> enabled = {MenuCommand::kOpen, MenuCommand::kPaste,
                                         MenuCommand::kRefresh};
  const std::vector<RowMenuEntry> menu =
      RowMenu([&](MenuCommand command) { return enabled.contains(command); });

  ASSERT_EQ(menu.size(), 10u);
  std::size_t next = 0;
  for (std::size_t i = 0; i < menu.size(); ++i) {
    SCOPED_TRACE(i);
    const RowMenuEntry& entry = menu[i];
    // The separators set the opening apart from the copies and the paste,
    // and those from the row commands.
    EXPECT_EQ(entry.separator, i == 1 || i == 7);
    if (entry.separator) {
      EXPECT_EQ(entry.text, nullptr);
      EXPECT_EQ(entry.id, 0);
      continue;
    }
    ASSERT_LT(next, std::size(order));
    EXPECT_EQ(entry.command, order[next++]);
    EXPECT_EQ(entry.id, static_cast<int>(entry.command));
    EXPECT_NE(entry.text, nullptr);
    EXPECT_EQ(entry.enabled, enabled.contains(entry.command));
    EXPECT_EQ(RowMenuCommandOf(entry.id), entry.command);
  }
  EXPECT_EQ(std::u16string_view(menu[0].text), str::kMenuOpen);
  EXPECT_EQ(std::u16string_view(menu[9].text), str::kMenuRefresh);
  // Numbers that are no command of the menu: the buttons' ids, none at all.
  EXPECT_EQ(RowMenuCommandOf(0), std::nullopt);
  EXPECT_EQ(RowMenuCommandOf(static_cast<int>(ControlId::kExecute)), std::nullopt);
}

}  // namespace
}  // namespace quillon
