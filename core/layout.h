// Geometry of the main dialog: dialog units and the anchoring rules that let
// the controls follow the window's right and bottom edges. Pure arithmetic,
// so that the rules can be checked without a window.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace quillon {

// A rectangle as edges: right and bottom lie one past the last pixel, so
// width = right - left. Edges may cross while the window is minimised.
struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const LayoutRect&) const = default;
};

// Dialog units of one font: a horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its height.
struct DialogUnits {
  int baseX = 0;  // average character width, pixels
  int baseY = 0;  // character height, pixels

  int X(int units) const;
  int Y(int units) const;
  // Maps each edge on its own, so that adjacent controls stay adjacent.
  LayoutRect Map(int x, int y, int width, int height) const;
};

enum LayoutRule : int {
  LAYOUT_KEEP = 0,     // both edges stay
  LAYOUT_STRETCH = 1,  // the near edge stays, the far edge keeps its gap to the client edge
  LAYOUT_MOVE = 2,     // the extent stays, the far edge keeps its gap to the client edge
};

// One anchored control.
struct LAYOUTITEM {
  int id = 0;
  int horizontal = LAYOUT_KEEP;
  int vertical = LAYOUT_KEEP;
  int rightGap = 0;   // client width minus the control's right edge when recorded
  int bottomGap = 0;  // client height minus the control's bottom edge when recorded
};

struct AnchorRow {
  int id;
  int horizontal;
  int vertical;
};

// The eleven anchored controls of the main dialog, in the order they are
// recorded and moved.
extern const std::array<AnchorRow, 11> kAnchoringTable;

// One axis of one rule: `extent` is the client width or height, `gap` the
// recorded gap; `nearEdge` and `farEdge` are updated in place.
void ApplyRule(int rule, int extent, int gap, int& nearEdge, int& farEdge);

// The control's rectangle for a new client size.
LayoutRect PlaceControl(const LAYOUTITEM& item, LayoutRect current, int clientWidth,
                        int clientHeight);

// Looks a control up by id: its rectangle in client coordinates, or nullopt
// when the window has no such control.
using ControlLookup = std::function<std::optional<LayoutRect>(int id)>;
using ControlMover = std::function<void(int id, const LayoutRect& rect)>;

// The layout of the anchored controls, recorded once and applied on every
// size change.
class DialogLayout {
 public:
  // Records the gaps of every row of kAnchoringTable whose control exists.
  void Record(int clientWidth, int clientHeight, const ControlLookup& lookup);
  // Moves every recorded control for the new client size; does nothing
  // before Record. Returns whether anything was laid out (and so needs a
  // repaint).
  bool OnSize(int clientWidth, int clientHeight, const ControlLookup& lookup,
              const ControlMover& move) const;

  const std::vector<LAYOUTITEM>& Items() const { return m_layout; }

 private:
  std::vector<LAYOUTITEM> m_layout;
};

}  // namespace quillon
