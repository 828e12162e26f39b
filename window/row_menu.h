// The file list's menu as a window shows it, the same in every window: menu
// 133's items in order, each enabled or greyed by the logic's rules for the
// moment it opens, the item of the rows' order checked, and the order
// submenu with its own items.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "dialog/dialog_port.h"

namespace quillon {

class CQuillonDlg;

struct RowMenuEntry {
  bool separator = false;
  MenuCommand command{};           // only for a command
  int id = 0;                      // the command's number; 0 for a separator or a submenu
  const char16_t* text = nullptr;  // with its "&" mnemonic; nullptr for a separator
  bool enabled = false;            // a submenu: while any of its items is
  bool checked = false;
  std::vector<RowMenuEntry> submenu;  // a submenu's items, `text` its title

  bool IsSubmenu() const { return !submenu.empty(); }
};

using MenuCommandTest = std::function<bool(MenuCommand)>;

// Every item of the menu, `enabled` and `checked` deciding each command.
std::vector<RowMenuEntry> RowMenu(const MenuCommandTest& enabled, const MenuCommandTest& checked);
// The menu as the logic enables and checks it now.
std::vector<RowMenuEntry> RowMenu(const CQuillonDlg& dlg, bool clipboardHasText, bool rowsSelected);

// The command with this number in the menu or its submenu, if any.
std::optional<MenuCommand> RowMenuCommandOf(int id);

}  // namespace quillon
