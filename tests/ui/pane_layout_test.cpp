// Where the panes of a skinned window sit for the rectangles skins give.
#include "pane_layout.h"

#include <gtest/gtest.h>

namespace {

void expectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(PaneLayout, NegativeEdgesCountFromTheFarSide) {
    // -50 as top is 50 above the bottom; -1 as right or bottom is that edge.
    expectRect(placePaneRect(RECT{10, -50, -1, -1}, 600, 400), 10, 350, 600, 400);
    // Other negative right or bottom values lie that many pixels before the edge.
    expectRect(placePaneRect(RECT{-200, 30, -10, -34}, 600, 400), 400, 30, 590, 366);
    // Plain values stay as they are, even beyond the client area.
    expectRect(placePaneRect(RECT{5, 6, 700, 500}, 600, 400), 5, 6, 700, 500);
}

TEST(PaneLayout, EmptyAndFullRectangles) {
    expectRect(placePaneRect(RECT{0, 0, 0, 0}, 600, 400), 0, 0, 0, 0);
    expectRect(placePaneRect(RECT{0, 0, -1, -1}, 600, 400), 0, 0, 600, 400);
    // The default title bar: the whole width, 20 high.
    expectRect(placePaneRect(RECT{0, 0, -1, 20}, 333, 222), 0, 0, 333, 20);
}

}  // namespace
