// The text cell of a GTK list that stands for a list box with tab stops: tabs in an item's text
// move on to the stops as the system's list boxes place them, so columns made with tabs line up.
#pragma once

#include <gtk/gtk.h>

#include <vector>

namespace ui::gtk {

// Where the text after each tab starts, in pixels from the cell's left edge: the first stop right
// of the text before the tab; past the last stop (or without stops) the next multiple of
// `defaultWidth`, of the only stop's distance when there is just one. `widths` are the pixel
// widths of the tab-separated pieces; the answer has one position per tab, starting at `start`.
std::vector<int> tabPositions(const std::vector<int>& widths, const std::vector<int>& stops,
                              int defaultWidth, int start);

// A text cell renderer (its "text" property as usual) that expands tabs at `stops` (pixels from
// the cell's left edge); every 8 average characters (`averageCharWidth`) past them.
GtkCellRenderer* tabbedCellNew(int averageCharWidth);
void tabbedCellSetStops(GtkCellRenderer* cell, std::vector<int> stops);

}  // namespace ui::gtk
