// The dialog font and the dialog units that follow from it.
#pragma once

#include <QFont>
#include <QRect>

#include "core/layout.h"

namespace quillon {

// A Japanese user-interface font of the given size in points.
QFont DialogFont(int points);

// The dialog units of a font: the average width of the Latin letters and the
// font's height, in pixels.
DialogUnits DialogUnitsOf(const QFont& font);

// The dialog units of `font`, widened where needed so that every line of
// the static texts among `items` fits its rectangle's width. The template's
// texts were laid out for a font with proportional kana; a font whose kana
// are full width would otherwise cut them off. Widened by at most a half.
template <typename Items>
DialogUnits FittingDialogUnits(const QFont& font, const Items& items);

// One static text: its lines' pixel widths must fit `units` of width.
bool TextFits(const QFont& font, const char16_t* text, int x, int width, const DialogUnits& units);

template <typename Items>
DialogUnits FittingDialogUnits(const QFont& font, const Items& items) {
  DialogUnits units = DialogUnitsOf(font);
  const int limit = units.baseX + units.baseX / 2;
  for (; units.baseX < limit; ++units.baseX) {
    bool fits = true;
    for (const auto& item : items) {
      if (item.text != nullptr && !TextFits(font, item.text, item.x, item.width, units)) {
        fits = false;
        break;
      }
    }
    if (fits) break;
  }
  return units;
}

inline QRect ToQRect(const LayoutRect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
inline LayoutRect FromQRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace quillon
