// Docking the extra pane and moving the browser pane, in every docking mode.
#include <gtest/gtest.h>

#include "extra_dock.h"

namespace {

bool same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

#define EXPECT_RECT(actual, l, t, r, b) EXPECT_PRED2(same, actual, (RECT{l, t, r, b}))

const RECT kSkinBrowser{10, 60, -1, -20};

PaneRects fresh() { return {kSkinBrowser, RECT{0, 0, 0, 0}}; }

}  // namespace

TEST(ExtraDock, LeftAndTopTakeRoomFromTheNearEdges) {
    PaneRects r = fresh();
    EXPECT_STREQ(dockExtraPane(kExtraLeft, 200, kSkinBrowser, r), "1");
    EXPECT_RECT(r.extra, 10, 60, 210, -20);
    EXPECT_RECT(r.browser, 211, 60, -1, -20);

    // A second docking starts again from the skin's browser rectangle.
    EXPECT_STREQ(dockExtraPane(kExtraTop, 100, kSkinBrowser, r), "1");
    EXPECT_RECT(r.extra, 10, 60, -1, 160);
    EXPECT_RECT(r.browser, 10, 160, -1, -20);
}

TEST(ExtraDock, RightAndBottomCountBackFromTheFarEdge) {
    PaneRects r = fresh();
    dockExtraPane(kExtraRight, 150, kSkinBrowser, r);  // right edge is the window's edge (−1)
    EXPECT_RECT(r.extra, -149, 60, -1, -20);
    EXPECT_RECT(r.browser, 10, 60, -150, -20);

    r = fresh();
    dockExtraPane(kExtraBottom, 80, kSkinBrowser, r);  // bottom 20 back from the edge
    EXPECT_RECT(r.extra, 10, -99, -1, -20);
    EXPECT_RECT(r.browser, 10, 60, -1, -100);

    // Plain coordinates give up the room in front of the edge like offsets do.
    const RECT fixed{0, 0, 500, 400};
    r = {fixed, RECT{0, 0, 0, 0}};
    dockExtraPane(kExtraRight, 100, fixed, r);
    EXPECT_RECT(r.extra, 401, 0, 500, 400);
    EXPECT_RECT(r.browser, 0, 0, 400, 400);
    r = {fixed, RECT{0, 0, 0, 0}};
    dockExtraPane(kExtraBottom, 100, fixed, r);
    EXPECT_RECT(r.extra, 0, 301, 500, 400);
    EXPECT_RECT(r.browser, 0, 0, 500, 300);
}

TEST(ExtraDock, InPlaceHiddenAndOtherModes) {
    PaneRects r = fresh();
    EXPECT_STREQ(dockExtraPane(kExtraInPlace, 0, kSkinBrowser, r), "1");
    EXPECT_RECT(r.extra, 10, 60, -1, -20);
    EXPECT_RECT(r.browser, 0, 0, 0, 0);

    EXPECT_STREQ(dockExtraPane(kExtraHidden, 0, kSkinBrowser, r), "0");
    EXPECT_RECT(r.extra, 0, 0, 0, 0);
    EXPECT_RECT(r.browser, 10, 60, -1, -20);

    // Above 5 the panes are only placed again (a docked pane's browser goes back to the skin's).
    r = fresh();
    r.browser = RECT{1, 2, 3, 4};
    EXPECT_STREQ(dockExtraPane(9, 50, kSkinBrowser, r), "1");
    EXPECT_RECT(r.browser, 1, 2, 3, 4);
    EXPECT_EQ(dockExtraPane(-2, 50, kSkinBrowser, r), nullptr);
    EXPECT_RECT(r.browser, 1, 2, 3, 4);
}

TEST(ExtraDock, MoveCarriesTheDockedPaneAlong) {
    PaneRects r = fresh();
    dockExtraPane(kExtraTop, 100, kSkinBrowser, r);
    moveBrowserPane("X1=30X2=-5", kExtraTop, r);
    EXPECT_RECT(r.browser, 30, 160, -5, -20);
    EXPECT_RECT(r.extra, 30, 60, -5, 160);

    r = fresh();
    dockExtraPane(kExtraLeft, 100, kSkinBrowser, r);
    moveBrowserPane("Y1=70Y2=-30X2=400", kExtraLeft, r);
    EXPECT_RECT(r.browser, 111, 70, 400, -30);
    EXPECT_RECT(r.extra, 10, 70, 110, -30);

    r = fresh();
    moveBrowserPane("nothing", kExtraHidden, r);
    EXPECT_RECT(r.browser, 10, 60, -1, -20);
    EXPECT_RECT(r.extra, 0, 0, 0, 0);
}
