// Where the extra pane docks beside the browser pane, and how "MOVE:" moves the browser pane.
// Rectangles are pane rectangles of the skin: left, top, right, bottom, where −1 on the right or
// bottom means the window's edge and other negative values count back from it.
#pragma once

#include <windows.h>

#include <string>

// The docking modes of the extra pane (parameter T).
enum ExtraDock : long {
    kExtraHidden = 0,
    kExtraLeft = 1,
    kExtraTop = 2,
    kExtraRight = 3,
    kExtraBottom = 4,
    kExtraInPlace = 5,  // above 5: only a new layout
};

struct PaneRects {
    RECT browser;
    RECT extra;
};

// Docks the extra pane with mode `dock` and size `size` (V): the browser rectangle gives up the
// room the extra pane takes. `skinBrowser` is the skin's own browser rectangle. Returns the text
// of the portal's "CTN_EXTRA_VISIBLE": "0" for hidden, "1" otherwise; null for a negative mode,
// which changes nothing.
const char* dockExtraPane(long dock, long size, const RECT& skinBrowser, PaneRects& rects);

// "MOVE:": each of X1= Y1= X2= Y2= present in `text` sets that side of the browser rectangle; an
// extra pane docked above or below follows X1 and X2, one docked left or right Y1 and Y2.
void moveBrowserPane(const std::string& text, long dock, PaneRects& rects);

// The browser rectangle's sides from X1= Y1= X2= Y2= in `text`; absent keys leave a side alone.
void setBrowserSides(const std::string& text, RECT& browser);
