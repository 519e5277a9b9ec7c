// A text cell renderer with tab stops, for the GTK list that stands for a list box: the text is
// drawn in its tab-separated pieces, each at its stop, with the list's own font and state colours.
#include "tabbed_cell.h"

#include <algorithm>
#include <string>

namespace ui::gtk {
namespace {

struct TabStops {
    std::vector<int> stops;
    int defaultWidth = 0;
};

constexpr char kStopsKey[] = "lumora-tab-stops";

const TabStops* stopsOf(GtkCellRenderer* cell) {
    return static_cast<const TabStops*>(g_object_get_data(G_OBJECT(cell), kStopsKey));
}

// Where the text after each tab starts, in pixels from the cell's left edge: the first stop right
// of the text before the tab; past the last stop (or without stops) the next multiple of
// `defaultWidth`, of the only stop's distance when there is just one. `widths` are the pixel
// widths of the tab-separated pieces, the first starting at `start`; one position per tab.
std::vector<int> tabPositions(const std::vector<int>& widths, const std::vector<int>& stops,
                              int defaultWidth, int start) {
    std::vector<int> positions;
    // One stop alone sets the distance of them all.
    const bool single = stops.size() == 1 && stops.front() > 0;
    const int every = single ? stops.front() : defaultWidth;
    size_t next = single ? stops.size() : 0;
    int x = start;
    for (size_t i = 0; i + 1 < widths.size(); ++i) {
        const int end = x + widths[i];
        while (next < stops.size() && stops[next] <= end) ++next;
        if (next < stops.size()) x = stops[next];
        else if (every > 0) x = (end / every + 1) * every;
        else x = end;
        positions.push_back(x);
    }
    return positions;
}

// The cell's text in its tab-separated pieces, each laid out in the widget's font.
struct Pieces {
    std::vector<PangoLayout*> layouts;
    std::vector<int> x;  // where each piece starts, from the cell's left edge
    int width = 0;
    int textHeight = 0;
    ~Pieces() {
        for (PangoLayout* layout : layouts) g_object_unref(layout);
    }
};

void layOut(GtkCellRenderer* cell, GtkWidget* widget, const char* text, Pieces& pieces) {
    int xpad = 0;
    gtk_cell_renderer_get_padding(cell, &xpad, nullptr);
    const std::string all = text ? text : "";
    std::vector<int> widths;
    for (size_t from = 0;;) {
        const size_t tab = all.find('\t', from);
        const std::string piece = all.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
        PangoLayout* layout = gtk_widget_create_pango_layout(widget, piece.c_str());
        int w = 0, h = 0;
        pango_layout_get_pixel_size(layout, &w, &h);
        pieces.layouts.push_back(layout);
        widths.push_back(w);
        pieces.textHeight = std::max(pieces.textHeight, h);
        if (tab == std::string::npos) break;
        from = tab + 1;
    }
    const TabStops* stops = stopsOf(cell);
    pieces.x = {xpad};
    const std::vector<int> tabs =
        tabPositions(widths, stops ? stops->stops : std::vector<int>{}, stops ? stops->defaultWidth : 0, xpad);
    pieces.x.insert(pieces.x.end(), tabs.begin(), tabs.end());
    pieces.width = pieces.x.back() + widths.back() + xpad;
}

struct TabbedCell {
    GtkCellRendererText parent;
};
struct TabbedCellClass {
    GtkCellRendererTextClass parent;
};

G_DEFINE_TYPE(TabbedCell, tabbed_cell, GTK_TYPE_CELL_RENDERER_TEXT)

gchar* textOf(GtkCellRenderer* cell) {
    gchar* text = nullptr;
    g_object_get(cell, "text", &text, nullptr);
    return text;
}

void tabbedCellRender(GtkCellRenderer* cell, cairo_t* cr, GtkWidget* widget, const GdkRectangle*,
                      const GdkRectangle* area, GtkCellRendererState) {
    gchar* text = textOf(cell);
    Pieces pieces;
    layOut(cell, widget, text, pieces);
    g_free(text);
    // Centred in the row as the plain text cell is; the row's state colours are the context's.
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    const int y = area->y + (area->height - pieces.textHeight) / 2;
    cairo_save(cr);
    gdk_cairo_rectangle(cr, area);
    cairo_clip(cr);
    for (size_t i = 0; i < pieces.layouts.size(); ++i)
        gtk_render_layout(context, cr, area->x + pieces.x[i], y, pieces.layouts[i]);
    cairo_restore(cr);
}

void tabbedCellPreferredWidth(GtkCellRenderer* cell, GtkWidget* widget, gint* minimum, gint* natural) {
    gchar* text = textOf(cell);
    Pieces pieces;
    layOut(cell, widget, text, pieces);
    g_free(text);
    if (minimum) *minimum = pieces.width;
    if (natural) *natural = pieces.width;
}

void tabbed_cell_class_init(TabbedCellClass* klass) {
    GtkCellRendererClass* cell = GTK_CELL_RENDERER_CLASS(klass);
    cell->render = tabbedCellRender;
    cell->get_preferred_width = tabbedCellPreferredWidth;
}

void tabbed_cell_init(TabbedCell*) {}

}  // namespace

GtkCellRenderer* tabbedCellNew(int averageCharWidth) {
    GtkCellRenderer* cell = GTK_CELL_RENDERER(g_object_new(tabbed_cell_get_type(), nullptr));
    auto* stops = new TabStops{{}, 8 * averageCharWidth};
    g_object_set_data_full(G_OBJECT(cell), kStopsKey, stops, [](gpointer p) { delete static_cast<TabStops*>(p); });
    return cell;
}

void tabbedCellSetStops(GtkCellRenderer* cell, std::vector<int> stops) {
    auto* current = static_cast<TabStops*>(g_object_get_data(G_OBJECT(cell), kStopsKey));
    if (current) current->stops = std::move(stops);
}

}  // namespace ui::gtk
