// ctltarget (GTK): the Linux counterpart of the program the window-control extender's tests
// drive, with the same controls where GTK has them. What the controls tell the program (clicks,
// toggles, selections, values) is written to standard output, one line each; "OK" writes the
// form's values and ends. Accessible IDs carry the Windows program's control IDs.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace {

GtkWidget* entry;
GtkWidget* newsletter;
GtkWidget* isdn;
GtkWidget* line;

void say(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

GtkWidget* identified(GtkWidget* widget, int id) {
    atk_object_set_accessible_id(gtk_widget_get_accessible(widget), std::to_string(id).c_str());
    return widget;
}

void onClicked(GtkButton* button, gpointer) { say(std::string("clicked ") + gtk_button_get_label(button)); }

void onToggled(GtkToggleButton* button, gpointer) {
    say(std::string("toggled ") + gtk_button_get_label(GTK_BUTTON(button)) + " " +
        (gtk_toggle_button_get_active(button) ? "1" : "0"));
}

void onOk(GtkButton*, gpointer) {
    say(std::string("submitted name=") + gtk_entry_get_text(GTK_ENTRY(entry)) +
        " newsletter=" + (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(newsletter)) ? "1" : "0") +
        " isdn=" + (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(isdn)) ? "1" : "0") +
        " line=" + std::to_string(gtk_combo_box_get_active(GTK_COMBO_BOX(line))));
    gtk_main_quit();
}

GtkWidget* listBox(std::initializer_list<const char*> items, GtkSelectionMode mode, const char* name) {
    GtkWidget* list = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(list), mode);
    for (const char* item : items) gtk_container_add(GTK_CONTAINER(list), gtk_label_new(item));
    g_signal_connect(list, "selected-rows-changed", G_CALLBACK(+[](GtkListBox*, gpointer name) {
                         say(std::string("selection ") + static_cast<const char*>(name));
                     }), const_cast<char*>(name));
    g_signal_connect(list, "row-activated", G_CALLBACK(+[](GtkListBox*, GtkListBoxRow* row, gpointer name) {
                         say(std::string("activated ") + static_cast<const char*>(name) + " " +
                             std::to_string(gtk_list_box_row_get_index(row)));
                     }), const_cast<char*>(name));
    return list;
}

GtkWidget* table() {
    GtkListStore* store = gtk_list_store_new(2, G_TYPE_STRING, G_TYPE_STRING);
    const char* rows[][2] = {{"Anna", "0301"}, {"Bernd", "0402"}};
    for (auto& row : rows) gtk_list_store_insert_with_values(store, nullptr, -1, 0, row[0], 1, row[1], -1);
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    const char* titles[] = {"Name", "Nummer"};
    for (int i = 0; i < 2; ++i)
        gtk_tree_view_append_column(GTK_TREE_VIEW(view), gtk_tree_view_column_new_with_attributes(
                                                             titles[i], gtk_cell_renderer_text_new(), "text", i, nullptr));
    g_signal_connect(view, "row-activated", G_CALLBACK(+[](GtkTreeView*, GtkTreePath* path, GtkTreeViewColumn*, gpointer) {
                         char* text = gtk_tree_path_to_string(path);
                         say(std::string("activated people ") + text);
                         g_free(text);
                     }), nullptr);
    return view;
}

GtkWidget* tree() {
    GtkTreeStore* store = gtk_tree_store_new(1, G_TYPE_STRING);
    GtkTreeIter germany, berlin, child, austria;
    gtk_tree_store_insert_with_values(store, &germany, nullptr, -1, 0, "Deutschland", -1);
    gtk_tree_store_insert_with_values(store, &berlin, &germany, -1, 0, "Berlin", -1);
    gtk_tree_store_insert_with_values(store, &child, &berlin, -1, 0, "Mitte", -1);
    gtk_tree_store_insert_with_values(store, &child, &germany, -1, 0, "Bonn", -1);
    gtk_tree_store_insert_with_values(store, &austria, nullptr, -1, 0, "Oesterreich", -1);
    gtk_tree_store_insert_with_values(store, &child, &austria, -1, 0, "Wien", -1);
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    gtk_tree_view_append_column(GTK_TREE_VIEW(view), gtk_tree_view_column_new_with_attributes(
                                                         "Ort", gtk_cell_renderer_text_new(), "text", 0, nullptr));
    g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(view)), "changed",
                     G_CALLBACK(+[](GtkTreeSelection* selection, gpointer) {
                         GtkTreeModel* model;
                         GtkTreeIter iter;
                         if (!gtk_tree_selection_get_selected(selection, &model, &iter)) return;
                         char* text;
                         gtk_tree_model_get(model, &iter, 0, &text, -1);
                         say(std::string("place ") + text);
                         g_free(text);
                     }), nullptr);
    return view;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Lumora Steuerelemente");
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    GtkWidget* grid = gtk_grid_new();
    gtk_container_add(GTK_CONTAINER(window), grid);
    int row = 0;
    auto put = [&](GtkWidget* widget, int id) { gtk_grid_attach(GTK_GRID(grid), identified(widget, id), 0, row++, 1, 1); };

    GtkWidget* next = gtk_button_new_with_mnemonic("_Weiter");
    g_signal_connect(next, "clicked", G_CALLBACK(onClicked), nullptr);
    put(next, 100);
    newsletter = gtk_check_button_new_with_label("Newsletter");
    g_signal_connect(newsletter, "toggled", G_CALLBACK(onToggled), nullptr);
    put(newsletter, 101);
    GtkWidget* modem = gtk_radio_button_new_with_label(nullptr, "Modem");
    isdn = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(modem), "ISDN");
    g_signal_connect(isdn, "toggled", G_CALLBACK(onToggled), nullptr);
    put(modem, 102);
    put(isdn, 103);
    entry = gtk_entry_new();
    put(entry, 104);
    put(listBox({"Berlin", "Hamburg", "Koeln"}, GTK_SELECTION_SINGLE, "city"), 106);
    put(listBox({"Rot", "Gruen", "Blau"}, GTK_SELECTION_MULTIPLE, "colours"), 107);
    line = gtk_combo_box_text_new();
    for (const char* item : {"Analog", "ISDN", "DSL"}) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(line), item);
    g_signal_connect(line, "changed", G_CALLBACK(+[](GtkComboBox* box, gpointer) {
                         say("line " + std::to_string(gtk_combo_box_get_active(box)));
                     }), nullptr);
    put(line, 109);
    GtkWidget* tabs = gtk_notebook_new();
    for (const char* tab : {"Allgemein", "Erweitert", "Hilfe"})
        gtk_notebook_append_page(GTK_NOTEBOOK(tabs), gtk_label_new(tab), gtk_label_new(tab));
    g_signal_connect(tabs, "switch-page", G_CALLBACK(+[](GtkNotebook*, GtkWidget*, guint page, gpointer) {
                         say("tab " + std::to_string(page));
                     }), nullptr);
    put(tabs, 110);
    put(table(), 112);
    put(tree(), 113);
    GtkWidget* status = gtk_statusbar_new();
    gtk_statusbar_push(GTK_STATUSBAR(status), 0, "Bereit");
    put(status, 114);
    GtkWidget* count = gtk_spin_button_new_with_range(0, 10, 1);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(count), 3);
    g_signal_connect(count, "value-changed", G_CALLBACK(+[](GtkSpinButton* spin, gpointer) {
                         say("count " + std::to_string(gtk_spin_button_get_value_as_int(spin)));
                     }), nullptr);
    put(count, 117);
    GtkWidget* tools = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(tools), GTK_TOOLBAR_TEXT);
    GtkToolItem* open = gtk_tool_button_new(nullptr, "Oeffnen");
    GtkToolItem* save = gtk_tool_button_new(nullptr, "Speichern");
    gtk_widget_set_sensitive(GTK_WIDGET(save), FALSE);
    g_signal_connect(open, "clicked", G_CALLBACK(+[](GtkToolButton*, gpointer) { say("tool Oeffnen"); }), nullptr);
    gtk_toolbar_insert(GTK_TOOLBAR(tools), open, -1);
    gtk_toolbar_insert(GTK_TOOLBAR(tools), save, -1);
    put(tools, 120);
    GtkWidget* volume = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
    gtk_range_set_value(GTK_RANGE(volume), 25);
    g_signal_connect(volume, "value-changed", G_CALLBACK(+[](GtkRange* range, gpointer) {
                         say("volume " + std::to_string(static_cast<int>(gtk_range_get_value(range))));
                     }), nullptr);
    put(volume, 121);
    GtkWidget* ok = gtk_button_new_with_label("OK");
    g_signal_connect(ok, "clicked", G_CALLBACK(onOk), nullptr);
    put(ok, 122);
    // A control that comes late, as in a dialog that is still being filled.
    g_timeout_add(2000, +[](gpointer data) -> gboolean {
        GtkWidget* late = gtk_button_new_with_label("Spaet");
        gtk_grid_attach(GTK_GRID(data), identified(late, 123), 1, 0, 1, 1);
        gtk_widget_show(late);
        return G_SOURCE_REMOVE;
    }, grid);
    gtk_widget_show_all(window);
    say("ready");
    gtk_main();
    return 0;
}
