// Menu 133: the file list's context menu, in order. A separator has no
// command.
#pragma once

#include <array>
#include <optional>

#include "resources/ids.h"
#include "resources/strings.h"

namespace quillon::menus {

struct MenuItem {
  std::optional<MenuCommand> command;  // nullopt: a separator
  const char16_t* text;                // nullptr for a separator
};

inline constexpr std::array<MenuItem, 10> kRowMenu = {{
    {MenuCommand::kOpen, str::kMenuOpen},
    {std::nullopt, nullptr},
    {MenuCommand::kCopyOldBase, str::kMenuCopyOldBase},
    {MenuCommand::kCopyOldFull, str::kMenuCopyOldFull},
    {MenuCommand::kCopyNewBase, str::kMenuCopyNewBase},
    {MenuCommand::kCopyNewFull, str::kMenuCopyNewFull},
    {MenuCommand::kPaste, str::kMenuPaste},
    {std::nullopt, nullptr},
    {MenuCommand::kDelete, str::kMenuDelete},
    {MenuCommand::kRefresh, str::kMenuRefresh},
}};

}  // namespace quillon::menus
