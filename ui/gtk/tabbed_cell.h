// The text cell of a GTK list that stands for a list box with tab stops: tabs in an item's text
// move on to the stops as the system's list boxes place them, so columns made with tabs line up.
#pragma once

#include <gtk/gtk.h>

#include <vector>

namespace ui::gtk {

// A text cell renderer (its "text" property as usual) that expands tabs at `stops` (pixels from
// the cell's left edge); every 8 average characters (`averageCharWidth`) past them.
GtkCellRenderer* tabbedCellNew(int averageCharWidth);
void tabbedCellSetStops(GtkCellRenderer* cell, std::vector<int> stops);

}  // namespace ui::gtk
