// Where a pane of a skinned window sits.
#include "pane_layout.h"

namespace {

LONG farEdge(LONG value, LONG extent) {
    if (value == -1) return extent;
    return value < 0 ? extent + value : value;
}

}  // namespace

RECT placePaneRect(const RECT& pane, LONG width, LONG height) {
    RECT placed;
    placed.right = farEdge(pane.right, width);
    placed.bottom = farEdge(pane.bottom, height);
    placed.left = pane.left < 0 ? pane.left + width : pane.left;
    placed.top = pane.top < 0 ? pane.top + height : pane.top;
    return placed;
}
