#include "window/row_menu.h"

#include <algorithm>
#include <span>

#include "dialog/quillon_dlg.h"
#include "resources/menus.h"

namespace quillon {

namespace {

std::vector<RowMenuEntry> Entries(std::span<const menus::MenuItem> items,
                                  const MenuCommandTest& enabled, const MenuCommandTest& checked) {
  std::vector<RowMenuEntry> entries;
  entries.reserve(items.size());
  for (const menus::MenuItem& item : items) {
    RowMenuEntry entry;
    entry.text = item.text;
    if (item.command) {
      entry.command = *item.command;
      entry.id = static_cast<int>(*item.command);
      entry.enabled = enabled(*item.command);
      entry.checked = checked(*item.command);
    } else if (!item.submenu.empty()) {
      entry.submenu = Entries(item.submenu, enabled, checked);
      // A submenu none of whose items can run would only open onto grey.
      entry.enabled = std::ranges::any_of(entry.submenu, &RowMenuEntry::enabled);
    } else {
      entry.separator = true;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<MenuCommand> CommandOf(std::span<const menus::MenuItem> items, int id) {
  for (const menus::MenuItem& item : items) {
    if (item.command && static_cast<int>(*item.command) == id) return item.command;
    if (const std::optional<MenuCommand> inner = CommandOf(item.submenu, id)) return inner;
  }
  return std::nullopt;
}

}  // namespace

std::vector<RowMenuEntry> RowMenu(const MenuCommandTest& enabled, const MenuCommandTest& checked) {
  return Entries(menus::kRowMenu, enabled, checked);
}

std::vector<RowMenuEntry> RowMenu(const CQuillonDlg& dlg, bool clipboardHasText,
                                  bool rowsSelected) {
  return RowMenu(
      [&](MenuCommand command) {
        return dlg.IsMenuCommandEnabled(command, clipboardHasText, rowsSelected);
      },
      [&](MenuCommand command) { return dlg.IsMenuCommandChecked(command); });
}

std::optional<MenuCommand> RowMenuCommandOf(int id) {
  return CommandOf(menus::kRowMenu, id);
}

}  // namespace quillon
