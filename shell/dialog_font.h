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

inline QRect ToQRect(const LayoutRect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
inline LayoutRect FromQRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace quillon
