// Where a pane of a skinned window sits: skins give pane rectangles relative to the client area,
// with negative values counting from the right or bottom edge.
#pragma once

#include <windows.h>

// The client rectangle of a pane on a client area of width × height: a right or bottom of −1 is
// that edge, any other negative right or bottom lies that many pixels before it, and a negative
// left or top counts from the right or bottom edge.
RECT placePaneRect(const RECT& pane, LONG width, LONG height);
