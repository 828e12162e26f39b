// The list's menu as both windows build it: menu 133's items in order, then
// the order submenu, each enabled and checked as the logic says at that
// moment, and its commands found by number.
#include "window/row_menu.h"

#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string_view>

#include "resources/strings.h"

namespace quillon {
namespace {

// An item as the test expects it: a command with its text, a separator
// (no text) or the submenu (its title, no command).
struct Want {
  std::optional<MenuCommand> command;
  const char16_t* text = nullptr;
};

void ExpectEntries(std::span<const RowMenuEntry> got, std::span<const Want> want,
                   const std::set<MenuCommand>& enabled, const std::set<MenuCommand>& checked) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    const RowMenuEntry& entry = got[i];
    EXPECT_EQ(entry.separator, want[i].text == nullptr);
    if (entry.separator) {
      EXPECT_EQ(entry.text, nullptr);
      EXPECT_EQ(entry.id, 0);
      continue;
    }
    EXPECT_EQ(std::u16string_view(entry.text), want[i].text);
    if (!want[i].command) {
      EXPECT_TRUE(entry.IsSubmenu());
      EXPECT_EQ(entry.id, 0);
      continue;
    }
    EXPECT_FALSE(entry.IsSubmenu());
    EXPECT_EQ(entry.command, *want[i].command);
    EXPECT_EQ(entry.id, static_cast<int>(entry.command));
    EXPECT_EQ(entry.enabled, enabled.contains(entry.command));
    EXPECT_EQ(entry.checked, checked.contains(entry.command));
    EXPECT_EQ(RowMenuCommandOf(entry.id), entry.command);
  }
}

TEST(RowMenu, ItemsAndOrderSubmenuInOrderEachEnabledAndCheckedByTheLogic) {
  using enum MenuCommand;
  // The separators set the opening apart from the copies and the paste,
  // those from the row commands, and those from the order.
  const Want items[] = {{kOpen, str::kMenuOpen},
                        {},
                        {kCopyOldBase, str::kMenuCopyOldBase},
                        {kCopyOldFull, str::kMenuCopyOldFull},
                        {kCopyNewBase, str::kMenuCopyNewBase},
                        {kCopyNewFull, str::kMenuCopyNewFull},
                        {kPaste, str::kMenuPaste},
                        {},
                        {kDelete, str::kMenuDelete},
                        {kRefresh, str::kMenuRefresh},
                        {},
                        {std::nullopt, str::kMenuOrder}};
  const Want orderItems[] = {{kOrderByName, str::kMenuOrderByName},
                             {kOrderByDateTaken, str::kMenuOrderByDateTaken},
                             {kOrderByTimeModified, str::kMenuOrderByTimeModified},
                             {},
                             {kMoveUp, str::kMenuMoveUp},
                             {kMoveDown, str::kMenuMoveDown}};
  struct Case {
    std::set<MenuCommand> enabled;
    std::set<MenuCommand> checked;
    bool submenuEnabled;
  };
  const Case cases[] = {
      {{kOpen, kPaste, kRefresh, kOrderByName, kMoveDown}, {kOrderByTimeModified}, true},
      // A submenu with nothing to run is greyed itself; its check still shows.
      {{kCopyOldBase, kCopyOldFull}, {kOrderByName}, false},
      {{kMoveUp}, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.enabled.size());
    const std::vector<RowMenuEntry> menu =
        RowMenu([&](MenuCommand command) { return c.enabled.contains(command); },
                [&](MenuCommand command) { return c.checked.contains(command); });
    ExpectEntries(menu, items, c.enabled, c.checked);
    ASSERT_EQ(menu.size(), std::size(items));
    EXPECT_EQ(menu.back().enabled, c.submenuEnabled);
    ExpectEntries(menu.back().submenu, orderItems, c.enabled, c.checked);
  }
  // Numbers that are no command of the menu: the buttons' ids, none at all.
  EXPECT_EQ(RowMenuCommandOf(0), std::nullopt);
  EXPECT_EQ(RowMenuCommandOf(static_cast<int>(ControlId::kExecute)), std::nullopt);
}

}  // namespace
}  // namespace quillon
