#include "core/layout.h"

#include <cstdint>

namespace quillon {

namespace {

// a * b / c rounded half away from zero, as the dialog-unit conversion of the
// original platform does it; plain integer division would shrink every
// control by up to a pixel and open gaps between neighbours.
int MulDiv(int a, int b, int c) {
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

int DialogUnits::X(int units) const {
  return MulDiv(units, baseX, 4);
}
int DialogUnits::Y(int units) const {
  return MulDiv(units, baseY, 8);
}

LayoutRect DialogUnits::Map(int x, int y, int width, int height) const {
  return {X(x), Y(y), X(x + width), Y(y + height)};
}

const std::array<AnchorRow, 11> kAnchoringTable = {{
    {1004, LAYOUT_STRETCH, LAYOUT_KEEP},
    {1012, LAYOUT_MOVE, LAYOUT_KEEP},
    {1011, LAYOUT_MOVE, LAYOUT_KEEP},
    {1000, LAYOUT_STRETCH, LAYOUT_STRETCH},
    {1017, LAYOUT_KEEP, LAYOUT_MOVE},
    {1016, LAYOUT_STRETCH, LAYOUT_MOVE},
    {1014, LAYOUT_MOVE, LAYOUT_MOVE},
    {1003, LAYOUT_KEEP, LAYOUT_MOVE},
    {1010, LAYOUT_STRETCH, LAYOUT_MOVE},
    {1005, LAYOUT_KEEP, LAYOUT_MOVE},
    {1013, LAYOUT_STRETCH, LAYOUT_MOVE},
}};

void ApplyRule(int rule, int extent, int gap, int& nearEdge, int& farEdge) {
  switch (rule) {
    case LAYOUT_STRETCH:
      farEdge = extent - gap;
      break;
    case LAYOUT_MOVE: {
      const int size = farEdge - nearEdge;
      farEdge = extent - gap;
      nearEdge = farEdge - size;
      break;
    }
    default:
      break;
  }
}

LayoutRect PlaceControl(const LAYOUTITEM& item, LayoutRect current, int clientWidth,
                        int clientHeight) {
  ApplyRule(item.horizontal, clientWidth, item.rightGap, current.left, current.right);
  ApplyRule(item.vertical, clientHeight, item.bottomGap, current.top, current.bottom);
  return current;
}

void DialogLayout::Record(int clientWidth, int clientHeight, const ControlLookup& lookup) {
  m_layout.clear();
  for (const AnchorRow& row : kAnchoringTable) {
    const std::optional<LayoutRect> rect = lookup(row.id);
    if (!rect) continue;
    m_layout.push_back({row.id, row.horizontal, row.vertical, clientWidth - rect->right,
                        clientHeight - rect->bottom});
  }
}

bool DialogLayout::OnSize(int clientWidth, int clientHeight, const ControlLookup& lookup,
                          const ControlMover& move) const {
  if (m_layout.empty()) return false;
  for (const LAYOUTITEM& item : m_layout) {
    const std::optional<LayoutRect> rect = lookup(item.id);
    if (!rect) continue;
    move(item.id, PlaceControl(item, *rect, clientWidth, clientHeight));
  }
  return true;
}

}  // namespace quillon
