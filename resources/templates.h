// Dialog templates: the controls of each dialog as data, in template order
// (which is also the tab order). Coordinates are dialog units of the
// template's font.
#pragma once

#include <array>

#include "resources/strings.h"

namespace quillon::templates {

enum class ItemKind { kStatic, kIcon, kListView, kEdit, kButton };

// Control id of the static texts and icons that nothing refers to.
inline constexpr int kNoId = -1;

struct DialogItem {
  int id;
  ItemKind kind;
  const char16_t* text;  // nullptr: none
  int x;
  int y;
  int width;
  int height;
  bool readOnly = false;       // edit: the user cannot change the text
  bool defaultButton = false;  // button: pressed by Enter anywhere in the dialog
};

struct DialogTemplate {
  int width;  // client area
  int height;
  int fontPoints;
};

// Template 102: the main dialog. No OK and no Cancel button; no button is
// the default one, so Enter never closes the window.
inline constexpr DialogTemplate kMainDialog{318, 260, 9};
inline constexpr std::array<DialogItem, 13> kMainDialogItems = {{
    {kNoId, ItemKind::kStatic, str::kDropInstruction, 5, 25, 195, 8},
    {1000, ItemKind::kListView, nullptr, 5, 35, 310, 140},
    {1017, ItemKind::kStatic, str::kNameInstruction, 5, 180, 310, 20},
    {1016, ItemKind::kEdit, nullptr, 5, 200, 275, 15},
    {1014, ItemKind::kButton, str::kGenerateButton, 280, 200, 35, 14},
    {1003, ItemKind::kButton, str::kExecuteButton, 5, 220, 65, 20},
    {1010, ItemKind::kStatic, str::kExecuteHint, 75, 220, 240, 15},
    {kNoId, ItemKind::kStatic, str::kDirectoryLabel, 5, 7, 40, 8},
    {1004, ItemKind::kEdit, nullptr, 50, 5, 265, 14, /*readOnly=*/true},
    {1012, ItemKind::kButton, str::kRefreshButton, 230, 20, 45, 14},
    {1011, ItemKind::kButton, str::kResetButton, 275, 20, 40, 14},
    {1005, ItemKind::kButton, str::kUndoButton, 5, 240, 65, 15},
    {1013, ItemKind::kStatic, str::kUndoHint, 75, 240, 240, 15},
}};

// Template 100: the About box.
inline constexpr int kVersionTextId = 1018;
inline constexpr int kHomePageId = 1019;
inline constexpr int kOkId = 1;
inline constexpr DialogTemplate kAboutDialog{233, 60, 9};
inline constexpr std::array<DialogItem, 6> kAboutDialogItems = {{
    {kNoId, ItemKind::kIcon, nullptr, 15, 15, 18, 21},
    {kNoId, ItemKind::kStatic, str::kAppTitle, 50, 15, 114, 8},
    {kVersionTextId, ItemKind::kStatic, nullptr, 50, 25, 114, 8},
    {kNoId, ItemKind::kStatic, str::kCopyright, 50, 35, 114, 8},
    {kOkId, ItemKind::kButton, str::kOkButton, 175, 10, 50, 14, false, /*defaultButton=*/true},
    {kHomePageId, ItemKind::kButton, str::kHomePageButton, 175, 30, 50, 14},
}};

// Template 137: the retry dialog. Its one button carries the cancel id, so
// the close box and Esc count like the button.
inline constexpr int kRetryMessageId = 1020;
inline constexpr int kRetryButtonId = 2;
inline constexpr DialogTemplate kRetryDialog{305, 97, 8};
inline constexpr std::array<DialogItem, 2> kRetryDialogItems = {{
    {kRetryMessageId, ItemKind::kStatic, nullptr, 15, 10, 275, 60},
    {kRetryButtonId, ItemKind::kButton, str::kRetryButton, 15, 75, 50, 14, false, true},
}};

}  // namespace quillon::templates
