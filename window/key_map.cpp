#include "window/key_map.h"

#include "dialog/quillon_dlg.h"

namespace quillon {

namespace {

// Where Enter was pressed, as the logic tells the places apart.
FocusArea FocusAreaOf(KeyPlace place) {
  switch (place) {
    case KeyPlace::kNameField:
      return FocusArea::kNameField;
    case KeyPlace::kFileList:
      return FocusArea::kFileList;
    default:
      return FocusArea::kOther;
  }
}

// Keys that mean the same wherever the focus is.
KeyCommand WindowKey(const KeyPress& press) {
  switch (press.key) {
    case Key::kEscape:
      return KeyCommand::kIgnore;
    case Key::kF5:
      return KeyCommand::kRefresh;
    case Key::kF1:
      return KeyCommand::kAbout;
    case Key::kEnter:
      // A push button with the focus is pressed by Enter as usual.
      return press.place == KeyPlace::kButton ? KeyCommand::kToolkit : KeyCommand::kOK;
    default:
      return KeyCommand::kToolkit;
  }
}

bool OnlyAlt(const KeyPress& press) {
  return press.alt && !press.shift && !press.control;
}

// Keys of the file list.
KeyCommand ListKey(const KeyPress& press) {
  switch (press.key) {
    case Key::kDelete:
      return KeyCommand::kDeleteRows;
    case Key::kMenu:
      return KeyCommand::kRowMenu;
    case Key::kF10:
      // Shift+F10 is the other keyboard way to a context menu.
      return press.shift && !press.control && !press.alt ? KeyCommand::kRowMenu
                                                         : KeyCommand::kToolkit;
    case Key::kA:
      return press.control && !press.alt ? KeyCommand::kSelectAll : KeyCommand::kToolkit;
    // The arrows alone, or with Shift or Ctrl, move the list's cursor and
    // selection; with Alt alone they move the selected rows.
    case Key::kUp:
      return OnlyAlt(press) ? KeyCommand::kMoveUp : KeyCommand::kToolkit;
    case Key::kDown:
      return OnlyAlt(press) ? KeyCommand::kMoveDown : KeyCommand::kToolkit;
    default:
      return KeyCommand::kToolkit;
  }
}

}  // namespace

KeyCommand CommandForKey(const KeyPress& press) {
  const KeyCommand command = WindowKey(press);
  if (command != KeyCommand::kToolkit || press.place != KeyPlace::kFileList) return command;
  return ListKey(press);
}

bool RunKeyCommand(const KeyPress& press, CQuillonDlg& dlg, KeyCommandTarget& window) {
  switch (CommandForKey(press)) {
    case KeyCommand::kToolkit:
      return false;
    case KeyCommand::kIgnore:
      break;
    case KeyCommand::kOK:
      dlg.OnOK(FocusAreaOf(press.place));
      break;
    case KeyCommand::kDeleteRows:
      dlg.DeleteSelectedRows();
      break;
    case KeyCommand::kRefresh:
      dlg.RefreshList();
      break;
    case KeyCommand::kAbout:
      window.ShowAbout();
      break;
    case KeyCommand::kRowMenu:
      window.ShowRowMenuAtCurrentRow();
      break;
    case KeyCommand::kSelectAll:
      window.SelectAllRows();
      break;
    // As chosen from the menu, so that the menu's rules hold for the keys.
    case KeyCommand::kMoveUp:
      dlg.OnMenuCommand(MenuCommand::kMoveUp);
      break;
    case KeyCommand::kMoveDown:
      dlg.OnMenuCommand(MenuCommand::kMoveDown);
      break;
  }
  return true;
}

}  // namespace quillon
