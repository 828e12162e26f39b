// Which key does what in the main window, the same in every window: the
// toolkit names the key and where the focus is, this map names the command,
// and the window carries it out (RunKeyCommand) or leaves the key to the
// toolkit.
#pragma once

namespace quillon {

class CQuillonDlg;

// The keys the window gives a meaning of its own; every other key is kUnmapped.
enum class Key { kUnmapped, kEnter, kEscape, kDelete, kF1, kF5, kF10, kMenu, kA, kUp, kDown };

// Where the keyboard focus is.
enum class KeyPlace { kFileList, kNameField, kButton, kOther };

struct KeyPress {
  Key key = Key::kUnmapped;
  KeyPlace place = KeyPlace::kOther;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

enum class KeyCommand {
  kToolkit,     // not ours: the toolkit handles the key as it always does
  kIgnore,      // taken and dropped (Esc never closes the window)
  kOK,          // Enter: generates in the name field, opens in the list
  kDeleteRows,  // removes the selected rows
  kRefresh,     // checks the names again
  kAbout,       // the About box
  kRowMenu,     // the list's menu below the current row
  kSelectAll,   // every row
  kMoveUp,      // the selected rows one place up, as the menu's "上へ移動"
  kMoveDown,    // and down, as "下へ移動"
};

KeyCommand CommandForKey(const KeyPress& press);

// What only a window can do for a key.
class KeyCommandTarget {
 public:
  virtual ~KeyCommandTarget() = default;
  virtual void ShowAbout() = 0;
  virtual void ShowRowMenuAtCurrentRow() = 0;
  virtual void SelectAllRows() = 0;
};

// Carries out the key's command with the logic or the window; false when
// the key is left to the toolkit.
bool RunKeyCommand(const KeyPress& press, CQuillonDlg& dlg, KeyCommandTarget& window);

}  // namespace quillon
