// Docking arithmetic of the extra pane and the browser pane's "MOVE:" command.
#include "extra_dock.h"

#include "pane_command.h"

namespace {

bool isEmpty(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

// The extra pane takes `size` from the far edge `edge` (right or bottom) of the browser, whose
// near edge `extraNear` it gets. The window's own edge (−1) counts back from the edge itself;
// offsets from the edge and plain coordinates give up the room in front of the edge alike, so
// the extra pane always ends where the browser ended.
void takeFarEdge(LONG& edge, LONG& extraNear, long size) {
    if (edge == -1) {
        extraNear = static_cast<LONG>(-size + 1);
        edge = static_cast<LONG>(-size);
    } else {
        extraNear = static_cast<LONG>(edge - size + 1);
        edge = static_cast<LONG>(edge - size);
    }
}

}  // namespace

const char* dockExtraPane(long dock, long size, const RECT& skinBrowser, PaneRects& rects) {
    if (dock < 0) return nullptr;  // not a mode: the panes are only placed again
    RECT& b = rects.browser;
    RECT& e = rects.extra;
    if (!isEmpty(e)) b = skinBrowser;
    if (dock == kExtraHidden) {
        b = skinBrowser;
        e = RECT{0, 0, 0, 0};
        return "0";
    }
    switch (dock) {
    case kExtraLeft:
        e = RECT{b.left, b.top, static_cast<LONG>(b.left + size), b.bottom};
        b.left = static_cast<LONG>(b.left + size + 1);
        break;
    case kExtraTop:
        e = RECT{b.left, b.top, b.right, static_cast<LONG>(b.top + size)};
        b.top = static_cast<LONG>(b.top + size);
        break;
    case kExtraRight:
        e = b;
        takeFarEdge(b.right, e.left, size);
        break;
    case kExtraBottom:
        e = b;
        takeFarEdge(b.bottom, e.top, size);
        break;
    case kExtraInPlace:
        e = b;
        b = RECT{0, 0, 0, 0};
        break;
    default:  // above 5: the panes are only placed again
        break;
    }
    return "1";
}

void setBrowserSides(const std::string& text, RECT& browser) {
    if (auto v = numberParameter(text, "X1=")) browser.left = static_cast<LONG>(*v);
    if (auto v = numberParameter(text, "Y1=")) browser.top = static_cast<LONG>(*v);
    if (auto v = numberParameter(text, "X2=")) browser.right = static_cast<LONG>(*v);
    if (auto v = numberParameter(text, "Y2=")) browser.bottom = static_cast<LONG>(*v);
}

void moveBrowserPane(const std::string& text, long dock, PaneRects& rects) {
    setBrowserSides(text, rects.browser);
    if (dock == kExtraTop || dock == kExtraBottom) {
        rects.extra.left = rects.browser.left;
        rects.extra.right = rects.browser.right;
    } else if (dock == kExtraLeft || dock == kExtraRight) {
        rects.extra.top = rects.browser.top;
        rects.extra.bottom = rects.browser.bottom;
    }
}
