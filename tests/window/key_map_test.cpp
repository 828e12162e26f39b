// Which key runs which command, wherever the focus is: one table for both
// windows.
#include "window/key_map.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

KeyPress Press(Key key, KeyPlace place, bool shift = false, bool control = false,
               bool alt = false) {
  return KeyPress{key, place, shift, control, alt};
}

TEST(KeyMap, EachKeyRunsItsCommandOnlyWhereItBelongs) {
  using enum Key;
  using enum KeyPlace;
  using C = KeyCommand;
  struct Case {
    KeyPress press;
    KeyCommand command;
  };
  const Case cases[] = {
      // Enter: the logic tells the places apart; a focused button presses itself.
      {Press(kEnter, kNameField), C::kOK},
      {Press(kEnter, kFileList), C::kOK},
      {Press(kEnter, kOther), C::kOK},
      {Press(kEnter, kButton), C::kToolkit},
      {Press(kEnter, kFileList, true, true, true), C::kOK},
      // Esc never closes the window, from anywhere.
      {Press(kEscape, kNameField), C::kIgnore},
      {Press(kEscape, kButton), C::kIgnore},
      // F5 and F1 mean the same everywhere.
      {Press(kF5, kNameField), C::kRefresh},
      {Press(kF5, kButton, false, true), C::kRefresh},
      {Press(kF1, kOther), C::kAbout},
      {Press(kF1, kFileList), C::kAbout},
      // The list's own keys, and only there.
      {Press(kDelete, kFileList), C::kDeleteRows},
      {Press(kDelete, kFileList, true), C::kDeleteRows},
      {Press(kDelete, kNameField), C::kToolkit},
      {Press(kMenu, kFileList), C::kRowMenu},
      {Press(kMenu, kNameField), C::kToolkit},
      {Press(kF10, kFileList, true), C::kRowMenu},
      {Press(kF10, kFileList), C::kToolkit},  // F10 alone is the menu bar's
      {Press(kF10, kFileList, true, true), C::kToolkit},
      {Press(kF10, kFileList, true, false, true), C::kToolkit},
      {Press(kF10, kNameField, true), C::kToolkit},
      {Press(kA, kFileList, false, true), C::kSelectAll},
      {Press(kA, kFileList, true, true), C::kSelectAll},
      {Press(kA, kFileList), C::kToolkit},  // typing
      {Press(kA, kFileList, false, true, true), C::kToolkit},
      {Press(kA, kNameField, false, true), C::kToolkit},  // the field's own select-all
      // Alt with an arrow moves the selected rows, in the list only; the
      // arrows otherwise move the list's cursor and selection.
      {Press(kUp, kFileList, false, false, true), C::kMoveUp},
      {Press(kDown, kFileList, false, false, true), C::kMoveDown},
      {Press(kUp, kFileList), C::kToolkit},
      {Press(kDown, kFileList, true), C::kToolkit},
      {Press(kUp, kFileList, false, true), C::kToolkit},
      {Press(kUp, kFileList, true, false, true), C::kToolkit},
      {Press(kDown, kFileList, false, true, true), C::kToolkit},
      {Press(kUp, kNameField, false, false, true), C::kToolkit},
      {Press(kDown, kButton, false, false, true), C::kToolkit},
      {Press(kUnmapped, kFileList), C::kToolkit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "key " << static_cast<int>(c.press.key) << " place "
                 << static_cast<int>(c.press.place) << " shift " << c.press.shift << " control "
                 << c.press.control << " alt " << c.press.alt);
    EXPECT_EQ(CommandForKey(c.press), c.command);
  }
}

}  // namespace
}  // namespace quillon
