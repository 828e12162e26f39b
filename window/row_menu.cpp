#include "window/row_menu.h"

#include "dialog/quillon_dlg.h"
#include "resources/menus.h"

namespace quillon {

std::vector<RowMenuEntry> RowMenu(const std::function<bool(MenuCommand)>& enabled) {
  std::vector<RowMenuEntry> entries;
  entries.reserve(menus::kRowMenu.size());
  for (const menus::MenuItem& item : menus::kRowMenu) {
    if (!item.command) {
      entries.push_back({true, {}, 0, nullptr, false});
      continue;
    }
    entries.push_back(
        {false, *item.command, static_cast<int>(*item.command), item.text, enabled(*item.command)});
  }
  return entries;
}

std::vector<RowMenuEntry> RowMenu(const CQuillonDlg& dlg, bool clipboardHasText,
                                  bool rowsSelected) {
  return RowMenu([&](MenuCommand command) {
    return dlg.IsMenuCommandEnabled(command, clipboardHasText, rowsSelected);
  });
}

std::optional<MenuCommand> RowMenuCommandOf(int id) {
  for (const menus::MenuItem& item : menus::kRowMenu)
    if (item.command && static_cast<int>(*item.command) == id) return item.command;
  return std::nullopt;
}

}  // namespace quillon
