// The file list's menu as a window shows it, the same in every window: menu
// 133's items in order, each enabled or greyed by the logic's rules for the
// moment it opens.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "dialog/dialog_port.h"

namespace quillon {

class CQuillonDlg;

struct RowMenuEntry {
  bool separator = false;
  MenuCommand command{};           // not for a separator
  int id = 0;                      // the command's number; 0 for a separator
  const char16_t* text = nullptr;  // with its "&" mnemonic; nullptr for a separator
  bool enabled = false;
};

// Every item of the menu, `enabled` deciding each command.
std::vector<RowMenuEntry> RowMenu(const std::function<bool(MenuCommand)>& enabled);
// The menu as the logic enables it now.
std::vector<RowMenuEntry> RowMenu(const CQuillonDlg& dlg, bool clipboardHasText, bool rowsSelected);

// The menu's command with this number, if any.
std::optional<MenuCommand> RowMenuCommandOf(int id);

}  // namespace quillon
