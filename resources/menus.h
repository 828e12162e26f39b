// Menu 133: the file list's context menu, in order. A separator has no
// command; a submenu has a title and items of its own.
#pragma once

#include <array>
#include <optional>
#include <span>

#include "resources/ids.h"
#include "resources/strings.h"

namespace quillon::menus {

struct MenuItem {
  std::optional<MenuCommand> command;   // nullopt: a separator or a submenu
  const char16_t* text;                 // nullptr for a separator
  std::span<const MenuItem> submenu{};  // a submenu's items; empty otherwise
};

// The rows' order, one of three checked at a time, then moving the selected
// rows by hand.
inline constexpr MenuItem kOrderMenu[] = {
    {MenuCommand::kOrderByName, str::kMenuOrderByName},
    {MenuCommand::kOrderByDateTaken, str::kMenuOrderByDateTaken},
    {MenuCommand::kOrderByTimeModified, str::kMenuOrderByTimeModified},
    {std::nullopt, nullptr},
    {MenuCommand::kMoveUp, str::kMenuMoveUp},
    {MenuCommand::kMoveDown, str::kMenuMoveDown},
};

inline constexpr std::array<MenuItem, 12> kRowMenu = {{
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
    {std::nullopt, nullptr},
    {std::nullopt, str::kMenuOrder, kOrderMenu},
}};

}  // namespace quillon::menus
