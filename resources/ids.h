// The ids of the main dialog's controls and of the list menu's commands, as
// the dialog template and the menu resource number them.
#pragma once

namespace quillon {

// Control ids of the main dialog.
enum class ControlId : int {
  kFileList = 1000,
  kExecute = 1003,
  kDirectoryField = 1004,
  kUndo = 1005,
  kReset = 1011,
  kRefresh = 1012,
  kGenerate = 1014,
  kNameField = 1016,
};

// Commands of the file list's context menu.
enum class MenuCommand : int {
  kCopyOldBase = 32782,
  kCopyOldFull = 32783,
  kCopyNewBase = 32784,
  kCopyNewFull = 32785,
  kPaste = 32786,
  kOpen = 32788,
  kRefresh = 32790,
  kDelete = 57632,
  // The order submenu, after the items above.
  kOrderByName = 32800,
  kOrderByDateTaken = 32801,
  kOrderByTimeModified = 32802,
  kMoveUp = 32803,
  kMoveDown = 32804,
};

}  // namespace quillon
