// A dialog or sheet page on GTK: its controls as native widgets at the template's rectangles,
// its keyboard handling (Tab in template order, Enter for the default button, Escape for Cancel)
// and its user32 window, whose timers and messages the handler receives.
#include "gtk_dialog.h"

#include <algorithm>

#include "sheet.h"
#include "tabbed_cell.h"
#include "text.h"

namespace ui::gtk {
namespace {

constexpr int kListViewColumns = 8;
constexpr WORD kButtonClicked = 0;  // the notification code of a pressed button

bool isButton(ControlClass kind) {
    return kind == ControlClass::PushButton || kind == ControlClass::DefaultButton ||
           kind == ControlClass::RadioButton || kind == ControlClass::CheckBox;
}

bool isList(ControlClass kind) {
    return kind == ControlClass::DropDownList || kind == ControlClass::SortedList ||
           kind == ControlClass::ListView;
}

std::string storeText(GtkTreeModel* model, int index, int column) {
    GtkTreeIter iter;
    if (index < 0 || !gtk_tree_model_iter_nth_child(model, &iter, nullptr, index)) return "";
    gchar* value = nullptr;
    gtk_tree_model_get(model, &iter, column, &value, -1);
    std::string text = value ? toAnsi(value) : "";
    g_free(value);
    return text;
}

}  // namespace

GtkDialog::GtkDialog(const DialogTemplate& dialog, DialogHandler& handler, Sheet* sheet, HWND parent)
    : template_(dialog), handler_(handler), sheet_(sheet), parent_(parent), caption_(dialog.caption) {}

GtkDialog::~GtkDialog() {
    destroyMessageWindow(hwnd_);
    if (window_) gtk_widget_destroy(window_);
    else if (content_) gtk_widget_destroy(content_);
    for (Control& c : controls_) {
        if (c.picture) g_object_unref(c.picture);
        for (GdkPixbuf* icon : c.icons) g_object_unref(icon);
        if (c.noGroupChoice) g_object_unref(c.noGroupChoice);  // each radio holds one reference
    }
}

bool GtkDialog::create() {
    hwnd_ = createMessageWindow(*this, caption_, parent_);
    if (!hwnd_) return false;
    units_ = baseUnitsOf(template_);
    content_ = templateLayoutNew();
    styleDialogContent(content_, template_);
    const RECT client = dialogToPixels({0, 0, template_.cx, template_.cy}, units_);
    gtk_widget_set_size_request(content_, client.right, client.bottom);

    controls_.reserve(template_.controls.size());
    GtkWidget* radioGroup = nullptr;
    for (const ControlTemplate& tmpl : template_.controls) {
        Control& c = controls_.emplace_back();
        c.tmpl = &tmpl;
        c.text = tmpl.text;
        if (tmpl.kind != ControlClass::RadioButton) radioGroup = nullptr;
        c.outer = makeWidget(c, radioGroup);
        RECT r = dialogToPixels(tmpl.rect, units_);
        // A drop-down list's height is that of its open list; closed it is one line high, as
        // Windows draws it: the font's cell and the frame.
        if (tmpl.kind == ControlClass::DropDownList) r.bottom = std::min<LONG>(r.bottom, r.top + units_.y + 8);
        gtk_widget_set_size_request(c.outer, r.right - r.left, r.bottom - r.top);
        gtk_fixed_put(GTK_FIXED(content_), c.outer, r.left, r.top);
        gtk_widget_show_all(c.outer);
        if (tmpl.flags & kHidden) gtk_widget_hide(c.outer);
        if (tmpl.flags & kDisabled) gtk_widget_set_sensitive(c.outer, FALSE);
    }
    // A label's mnemonic moves the focus to the control after it (and presses nothing), as in a
    // Windows dialog.
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].tmpl->kind != ControlClass::StaticText) continue;
        for (size_t j = i + 1; j < controls_.size(); ++j) {
            const ControlClass kind = controls_[j].tmpl->kind;
            if (kind == ControlClass::StaticText || kind == ControlClass::GroupBox ||
                kind == ControlClass::ProgressBar || kind == ControlClass::Picture)
                continue;
            g_object_set_data(G_OBJECT(controls_[i].widget), "lumora-next", controls_[j].widget);
            g_signal_connect(controls_[i].widget, "mnemonic-activate", G_CALLBACK(onLabelMnemonic), nullptr);
            break;
        }
    }
    if (host_) gtk_fixed_put(GTK_FIXED(host_), content_, 0, 0);
    else gtk_widget_show(content_);

    if (!sheet_) {
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(window_), toUtf8(caption_).c_str());
        gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
        gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
        gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
        gtk_container_add(GTK_CONTAINER(window_), content_);
        g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
        g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    }
    handler_.onInit(*this);
    if (window_ && !gtk_window_get_focus(GTK_WINDOW(window_))) {
        auto stops = tabStops();
        if (!stops.empty()) gtk_widget_grab_focus(stops.front()->widget);
    }
    return true;
}

GtkWidget* GtkDialog::makeWidget(Control& c, GtkWidget*& radioGroup) {
    const ControlTemplate& tmpl = *c.tmpl;
    switch (tmpl.kind) {
    case ControlClass::PushButton:
    case ControlClass::DefaultButton:
        c.widget = gtk_button_new_with_mnemonic(mnemonicLabel(tmpl.text).c_str());
        if (tmpl.kind == ControlClass::DefaultButton)
            gtk_style_context_add_class(gtk_widget_get_style_context(c.widget), "suggested-action");
        g_signal_connect(c.widget, "clicked", G_CALLBACK(onClicked), this);
        return c.widget;
    case ControlClass::RadioButton:
        if (!radioGroup || (tmpl.flags & kGroup)) {
            radioGroup = gtk_radio_button_new(nullptr);
            g_object_ref_sink(radioGroup);
        } else {
            g_object_ref(radioGroup);
        }
        c.noGroupChoice = radioGroup;
        c.widget = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(radioGroup),
                                                                   mnemonicLabel(tmpl.text).c_str());
        g_signal_connect(c.widget, "clicked", G_CALLBACK(onClicked), this);
        return c.widget;
    case ControlClass::CheckBox:
        c.widget = gtk_check_button_new_with_mnemonic(mnemonicLabel(tmpl.text).c_str());
        g_signal_connect(c.widget, "clicked", G_CALLBACK(onClicked), this);
        return c.widget;
    case ControlClass::GroupBox:
        c.widget = gtk_frame_new(plainLabel(tmpl.text).c_str());
        return c.widget;
    case ControlClass::StaticText: {
        c.widget = gtk_label_new_with_mnemonic(mnemonicLabel(tmpl.text).c_str());
        GtkLabel* label = GTK_LABEL(c.widget);
        gtk_label_set_line_wrap(label, TRUE);
        gtk_label_set_line_wrap_mode(label, PANGO_WRAP_WORD_CHAR);
        gtk_label_set_xalign(label, (tmpl.flags & kCentered) ? 0.5f : 0.0f);
        gtk_label_set_yalign(label, 0.0f);
        if (tmpl.flags & kCentered) gtk_label_set_justify(label, GTK_JUSTIFY_CENTER);
        if (!(tmpl.flags & kSunken)) return c.widget;
        GtkWidget* frame = gtk_frame_new(nullptr);
        gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
        gtk_container_add(GTK_CONTAINER(frame), c.widget);
        return frame;
    }
    case ControlClass::Edit:
        if (tmpl.flags & kMultiline) {
            c.widget = gtk_text_view_new();
            gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(c.widget), GTK_WRAP_WORD_CHAR);
            gtk_text_view_set_editable(GTK_TEXT_VIEW(c.widget), !(tmpl.flags & kReadOnly));
            gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.widget)),
                                     toUtf8(tmpl.text).c_str(), -1);
            g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.widget)), "changed",
                             G_CALLBACK(onEditChanged), this);
            GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
            gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroll), GTK_SHADOW_IN);
            gtk_container_add(GTK_CONTAINER(scroll), c.widget);
            return scroll;
        }
        c.widget = gtk_entry_new();
        if (tmpl.textLimit > 0) gtk_entry_set_max_length(GTK_ENTRY(c.widget), tmpl.textLimit);
        gtk_entry_set_visibility(GTK_ENTRY(c.widget), !(tmpl.flags & kPassword));
        gtk_editable_set_editable(GTK_EDITABLE(c.widget), !(tmpl.flags & kReadOnly));
        gtk_entry_set_width_chars(GTK_ENTRY(c.widget), 1);
        gtk_entry_set_text(GTK_ENTRY(c.widget), toUtf8(tmpl.text).c_str());
        g_signal_connect(c.widget, "changed", G_CALLBACK(onEditChanged), this);
        return c.widget;
    case ControlClass::DropDownList: {
        c.widget = gtk_combo_box_text_new();
        // A long item ends in an ellipsis: the list keeps the width of its rectangle, where a
        // combo box of its own would grow to its longest item.
        GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(c.widget));
        for (GList* cell = cells; cell; cell = cell->next)
            g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
        g_list_free(cells);
        g_signal_connect(c.widget, "changed", G_CALLBACK(onComboChanged), this);
        return c.widget;
    }
    case ControlClass::SortedList:
    case ControlClass::ListView: {
        const bool report = tmpl.kind == ControlClass::ListView;
        if (report) {
            GType types[kListViewColumns + 1];
            types[0] = GDK_TYPE_PIXBUF;
            for (int i = 1; i <= kListViewColumns; ++i) types[i] = G_TYPE_STRING;
            c.store = gtk_list_store_newv(kListViewColumns + 1, types);
        } else {
            c.store = gtk_list_store_new(1, G_TYPE_STRING);
        }
        c.widget = gtk_tree_view_new_with_model(GTK_TREE_MODEL(c.store));
        g_object_unref(c.store);  // the view holds it
        gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(c.widget), report);
        if (!report) {
            c.tabbedCell = tabbedCellNew(units_.x);
            gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(c.widget), -1, "", c.tabbedCell,
                                                        "text", 0, nullptr);
        }
        GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(c.widget));
        gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
        g_signal_connect(selection, "changed", G_CALLBACK(onSelectionChanged), this);
        g_signal_connect(c.widget, "row-activated", G_CALLBACK(onRowActivated), this);
        GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroll), GTK_SHADOW_IN);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC,
                                       GTK_POLICY_AUTOMATIC);
        gtk_container_add(GTK_CONTAINER(scroll), c.widget);
        return scroll;
    }
    case ControlClass::ProgressBar:
        c.widget = gtk_progress_bar_new();
        return c.widget;
    case ControlClass::Picture: {
        c.widget = gtk_drawing_area_new();
        g_signal_connect(c.widget, "draw", G_CALLBACK(onDrawPicture), this);
        if (!(tmpl.flags & kSunken)) return c.widget;
        GtkWidget* frame = gtk_frame_new(nullptr);
        gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
        gtk_container_add(GTK_CONTAINER(frame), c.widget);
        return frame;
    }
    }
    c.widget = gtk_label_new("");
    return c.widget;
}

GtkDialog::Control* GtkDialog::find(int id) {
    if (id == -1) return nullptr;
    for (Control& c : controls_)
        if (c.tmpl->id == id) return &c;
    return nullptr;
}

GtkDialog::Control* GtkDialog::findWidget(GtkWidget* widget) {
    for (Control& c : controls_)
        if (widget && (c.widget == widget || c.outer == widget ||
                       gtk_widget_is_ancestor(widget, c.outer)))
            return &c;
    return nullptr;
}

int GtkDialog::controlOf(GtkWidget* widget) {
    Control* c = findWidget(widget);
    return c ? c->tmpl->id : -1;
}

void GtkDialog::quietly(const std::function<void()>& change) {
    ++quiet_;
    change();
    --quiet_;
}

void GtkDialog::command(int id, CommandEvent event) {
    if (ended_) return;
    const bool handled = handler_.onCommand(*this, id, event);
    if (!handled && !sheet_ && event == CommandEvent::Clicked && (id == IDOK || id == IDCANCEL))
        end(id);
}

void GtkDialog::setCaption(const std::string& caption) {
    caption_ = caption;
    if (window_) gtk_window_set_title(GTK_WINDOW(window_), toUtf8(caption).c_str());
    if (hwnd_) SetWindowTextA(hwnd_, caption.c_str());
}

std::string GtkDialog::text(int id) {
    Control* c = find(id);
    if (!c) return "";
    switch (c->tmpl->kind) {
    case ControlClass::Edit:
        if (GTK_IS_ENTRY(c->widget)) return toAnsi(gtk_entry_get_text(GTK_ENTRY(c->widget)));
        else {
            GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->widget));
            GtkTextIter start, end;
            gtk_text_buffer_get_bounds(buffer, &start, &end);
            gchar* t = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
            std::string result = toAnsi(t);
            g_free(t);
            return result;
        }
    case ControlClass::DropDownList:
    case ControlClass::SortedList:
    case ControlClass::ListView:
        return itemText(id, selection(id), 0);
    default:
        return c->text;
    }
}

void GtkDialog::setText(int id, const std::string& text) {
    Control* c = find(id);
    if (!c) return;
    const std::string utf8 = toUtf8(text);
    switch (c->tmpl->kind) {
    case ControlClass::Edit:
        // An edit reports the change, as Windows does for a text set by the program.
        if (GTK_IS_ENTRY(c->widget)) gtk_entry_set_text(GTK_ENTRY(c->widget), utf8.c_str());
        else gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->widget)), utf8.c_str(), -1);
        return;
    case ControlClass::PushButton:
    case ControlClass::DefaultButton:
    case ControlClass::RadioButton:
    case ControlClass::CheckBox:
        c->text = text;
        gtk_button_set_label(GTK_BUTTON(c->widget), mnemonicLabel(text).c_str());
        return;
    case ControlClass::StaticText:
        c->text = text;
        gtk_label_set_text_with_mnemonic(GTK_LABEL(c->widget), mnemonicLabel(text).c_str());
        return;
    case ControlClass::GroupBox:
        c->text = text;
        gtk_frame_set_label(GTK_FRAME(c->widget), plainLabel(text).c_str());
        return;
    default:
        return;
    }
}

bool GtkDialog::checked(int id) {
    Control* c = find(id);
    if (!c || (c->tmpl->kind != ControlClass::CheckBox && c->tmpl->kind != ControlClass::RadioButton))
        return false;
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(c->widget));
}

void GtkDialog::setChecked(int id, bool on) {
    Control* c = find(id);
    if (!c || (c->tmpl->kind != ControlClass::CheckBox && c->tmpl->kind != ControlClass::RadioButton))
        return;
    quietly([&] {
        if (on || c->tmpl->kind == ControlClass::CheckBox)
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c->widget), on);
        else if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(c->widget)))
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c->noGroupChoice), TRUE);
    });
}

int GtkDialog::addItem(int id, const std::string& text, int icon) {
    Control* c = find(id);
    if (!c || !isList(c->tmpl->kind)) return -1;
    const std::string utf8 = toUtf8(text);
    int index = itemCount(id);
    quietly([&] {
        if (c->tmpl->kind == ControlClass::DropDownList) {
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(c->widget), utf8.c_str());
            return;
        }
        GtkTreeIter iter;
        if (c->tmpl->kind == ControlClass::SortedList) {
            // After every item it sorts equal to, in the user's collation.
            index = 0;
            const int count = itemCount(id);
            while (index < count && lstrcmpiA(itemText(id, index, 0).c_str(), text.c_str()) <= 0) ++index;
            gtk_list_store_insert_with_values(c->store, &iter, index, 0, utf8.c_str(), -1);
            return;
        }
        GdkPixbuf* pixbuf = icon >= 0 && icon < static_cast<int>(c->icons.size()) ? c->icons[icon] : nullptr;
        gtk_list_store_insert_with_values(c->store, &iter, -1, 0, pixbuf, 1, utf8.c_str(), -1);
    });
    return index;
}

void GtkDialog::clearItems(int id) {
    Control* c = find(id);
    if (!c || !isList(c->tmpl->kind)) return;
    quietly([&] {
        if (c->tmpl->kind == ControlClass::DropDownList) {
            gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(c->widget));
            return;
        }
        // Emptied, a list has nothing selected and chose nothing on the way, as on Windows. GTK
        // moves the selection on to the next row as each selected row goes, which a list view
        // would report as the user's choice of a row that is about to go too.
        GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(c->widget));
        g_signal_handlers_block_by_func(selection, reinterpret_cast<gpointer>(onSelectionChanged), this);
        gtk_list_store_clear(c->store);
        gtk_tree_selection_unselect_all(selection);
        g_signal_handlers_unblock_by_func(selection, reinterpret_cast<gpointer>(onSelectionChanged), this);
    });
}

int GtkDialog::itemCount(int id) {
    Control* c = find(id);
    if (!c || !isList(c->tmpl->kind)) return 0;
    GtkTreeModel* model = c->store ? GTK_TREE_MODEL(c->store) : gtk_combo_box_get_model(GTK_COMBO_BOX(c->widget));
    return gtk_tree_model_iter_n_children(model, nullptr);
}

std::string GtkDialog::itemText(int id, int index, int column) {
    Control* c = find(id);
    if (!c || !isList(c->tmpl->kind) || column < 0) return "";
    if (c->tmpl->kind == ControlClass::ListView) {
        if (column >= kListViewColumns) return "";
        return storeText(GTK_TREE_MODEL(c->store), index, column + 1);
    }
    if (column != 0) return "";
    GtkTreeModel* model = c->store ? GTK_TREE_MODEL(c->store) : gtk_combo_box_get_model(GTK_COMBO_BOX(c->widget));
    return storeText(model, index, 0);
}

void GtkDialog::setItemText(int id, int index, int column, const std::string& text) {
    Control* c = find(id);
    if (!c || c->tmpl->kind != ControlClass::ListView || column < 0 || column >= kListViewColumns) return;
    GtkTreeIter iter;
    if (index < 0 || !gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(c->store), &iter, nullptr, index)) return;
    gtk_list_store_set(c->store, &iter, column + 1, toUtf8(text).c_str(), -1);
}

int GtkDialog::findItem(int id, const std::string& text) {
    const int count = itemCount(id);
    for (int i = 0; i < count; ++i)
        if (lstrcmpiA(itemText(id, i, 0).c_str(), text.c_str()) == 0) return i;
    return -1;
}

int GtkDialog::selection(int id) {
    Control* c = find(id);
    if (!c || !isList(c->tmpl->kind)) return -1;
    if (c->tmpl->kind == ControlClass::DropDownList) return gtk_combo_box_get_active(GTK_COMBO_BOX(c->widget));
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(c->widget)), &model, &iter))
        return -1;
    GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
    const int index = gtk_tree_path_get_indices(path)[0];
    gtk_tree_path_free(path);
    return index;
}

void GtkDialog::setSelection(int id, int index) {
    Control* c = find(id);
    if (!c || !isList(c->tmpl->kind)) return;
    if (index < -1 || index >= itemCount(id)) index = -1;
    quietly([&] {
        if (c->tmpl->kind == ControlClass::DropDownList) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(c->widget), index);
            return;
        }
        GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(c->widget));
        if (index < 0) {
            gtk_tree_selection_unselect_all(selection);
            return;
        }
        GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
        gtk_tree_selection_select_path(selection, path);
        gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(c->widget), path, nullptr, FALSE, 0, 0);
        gtk_tree_path_free(path);
    });
}

void GtkDialog::addColumn(int id, const std::string& title, int width) {
    Control* c = find(id);
    if (!c || c->tmpl->kind != ControlClass::ListView || c->columns >= kListViewColumns) return;
    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    gtk_tree_view_column_set_title(column, toUtf8(title).c_str());
    if (c->columns == 0) {
        GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
        gtk_tree_view_column_pack_start(column, icon, FALSE);
        gtk_tree_view_column_add_attribute(column, icon, "pixbuf", 0);
    }
    GtkCellRenderer* cell = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_start(column, cell, TRUE);
    gtk_tree_view_column_add_attribute(column, cell, "text", c->columns + 1);
    if (width < 0) {
        gtk_tree_view_column_set_expand(column, TRUE);
    } else {
        gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
        gtk_tree_view_column_set_fixed_width(column, width);
    }
    gtk_tree_view_append_column(GTK_TREE_VIEW(c->widget), column);
    ++c->columns;
}

void GtkDialog::setSmallIcons(int id, const std::vector<HICON>& icons) {
    Control* c = find(id);
    if (!c || c->tmpl->kind != ControlClass::ListView) return;
    for (GdkPixbuf* icon : c->icons) g_object_unref(icon);
    c->icons.clear();
    for (HICON handle : icons) {
        GdkPixbuf* full = pixbufOfIcon(handle);
        GdkPixbuf* small = full ? gdk_pixbuf_scale_simple(full, 16, 16, GDK_INTERP_BILINEAR) : nullptr;
        if (full) g_object_unref(full);
        if (!small) {
            small = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16);
            gdk_pixbuf_fill(small, 0);  // transparent
        }
        c->icons.push_back(small);
    }
}

void GtkDialog::setTabStops(int id, const std::vector<int>& stops) {
    Control* c = find(id);
    if (!c || !c->tabbedCell) return;
    std::vector<int> pixels;
    for (int stop : stops) pixels.push_back(dialogToPixels({stop, 0, 0, 0}, units_).left);
    tabbedCellSetStops(c->tabbedCell, std::move(pixels));
    gtk_widget_queue_resize(c->widget);
}

void GtkDialog::setProgressRange(int id, int low, int high) {
    Control* c = find(id);
    if (!c || c->tmpl->kind != ControlClass::ProgressBar || high <= low) return;
    c->low = low;
    c->high = high;
    setProgress(id, c->position);
}

void GtkDialog::setProgress(int id, int position) {
    Control* c = find(id);
    if (!c || c->tmpl->kind != ControlClass::ProgressBar) return;
    c->position = std::clamp(position, c->low, c->high);
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(c->widget),
                                  static_cast<double>(c->position - c->low) / (c->high - c->low));
}

int GtkDialog::progress(int id) {
    Control* c = find(id);
    return c && c->tmpl->kind == ControlClass::ProgressBar ? c->position : -1;
}

void GtkDialog::setBitmap(int id, const Bitmap& bitmap) {
    Control* c = find(id);
    if (!c || c->tmpl->kind != ControlClass::Picture) return;
    if (c->picture) g_object_unref(c->picture);
    c->picture = pixbufOf(bitmap);
    gtk_widget_queue_draw(c->widget);
}

void GtkDialog::enable(int id, bool enabled) {
    if (Control* c = find(id)) gtk_widget_set_sensitive(c->outer, enabled);
}

bool GtkDialog::isEnabled(int id) {
    Control* c = find(id);
    return c && gtk_widget_get_sensitive(c->outer);
}

void GtkDialog::show(int id, bool visible) {
    if (Control* c = find(id)) gtk_widget_set_visible(c->outer, visible);
}

bool GtkDialog::isShown(int id) {
    Control* c = find(id);
    return c && gtk_widget_get_visible(c->outer);
}

void GtkDialog::setFocus(int id) {
    if (Control* c = find(id)) gtk_widget_grab_focus(c->widget);
}

int GtkDialog::focusedControl() {
    GtkWidget* top = gtk_widget_get_toplevel(content_);
    if (!GTK_IS_WINDOW(top)) return -1;
    Control* c = findWidget(gtk_window_get_focus(GTK_WINDOW(top)));
    return c ? c->tmpl->id : -1;
}

RECT GtkDialog::controlRect(int id) {
    Control* c = find(id);
    if (!c) return RECT{0, 0, 0, 0};
    GtkAllocation a;
    gtk_widget_get_allocation(c->outer, &a);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(c->outer, content_, 0, 0, &x, &y);
    return RECT{x, y, x + a.width, y + a.height};
}

void GtkDialog::press(int id) {
    Control* c = find(id);
    if (!c || !isButton(c->tmpl->kind) || !gtk_widget_is_sensitive(c->widget)) return;
    gtk_button_clicked(GTK_BUTTON(c->widget));
}

void GtkDialog::end(int result) {
    if (sheet_) {  // a page ends with its sheet
        sheet_->end(result);
        return;
    }
    if (ended_) return;
    ended_ = true;
    result_ = result;
    handler_.onEnd(*this, result);
    if (window_) gtk_widget_hide(window_);
    if (modal_) {
        PostMessageA(hwnd_, WM_NULL, 0, 0);  // wakes the loop waiting for messages
    } else {
        destroyMessageWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

bool GtkDialog::isTabStop(const Control& c) {
    // The control's own state: the dialog itself may not be shown yet.
    if (!gtk_widget_get_visible(c.outer) || !gtk_widget_get_sensitive(c.outer)) return false;
    switch (c.tmpl->kind) {
    case ControlClass::GroupBox:
    case ControlClass::StaticText:
    case ControlClass::ProgressBar:
    case ControlClass::Picture:
        return false;
    default:
        return true;
    }
}

std::vector<GtkDialog::Control*> GtkDialog::tabStops() {
    // A radio group is one stop: its checked button, or its first when none is checked.
    std::vector<Control*> stops;
    for (size_t i = 0; i < controls_.size(); ++i) {
        Control& c = controls_[i];
        if (!isTabStop(c)) continue;
        if (c.tmpl->kind != ControlClass::RadioButton) {
            stops.push_back(&c);
            continue;
        }
        const bool groupStart = i == 0 || controls_[i - 1].noGroupChoice != c.noGroupChoice;
        if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(c.widget))) {
            if (!stops.empty() && stops.back()->noGroupChoice == c.noGroupChoice) stops.back() = &c;
            else stops.push_back(&c);
        } else if (groupStart || stops.empty() || stops.back()->noGroupChoice != c.noGroupChoice) {
            stops.push_back(&c);
        }
    }
    return stops;
}

std::vector<GtkWidget*> GtkDialog::tabStopWidgets() {
    std::vector<GtkWidget*> widgets;
    for (Control* c : tabStops()) widgets.push_back(c->widget);
    return widgets;
}

bool GtkDialog::handleKey(const GdkEventKey& key) {
    const guint k = key.keyval;
    if (k == GDK_KEY_Tab || k == GDK_KEY_ISO_Left_Tab || k == GDK_KEY_KP_Tab) {
        const bool back = k == GDK_KEY_ISO_Left_Tab || (key.state & GDK_SHIFT_MASK);
        auto stops = tabStopWidgets();
        if (stops.empty()) return true;
        GtkWidget* focus = window_ ? gtk_window_get_focus(GTK_WINDOW(window_)) : nullptr;
        Control* current = findWidget(focus);
        auto at = current ? std::find(stops.begin(), stops.end(), current->widget) : stops.end();
        size_t index;
        if (at == stops.end()) index = back ? stops.size() - 1 : 0;
        else if (back) index = at == stops.begin() ? stops.size() - 1 : (at - stops.begin()) - 1;
        else index = (at - stops.begin() + 1) % stops.size();
        gtk_widget_grab_focus(stops[index]);
        return true;
    }
    if (k == GDK_KEY_Return || k == GDK_KEY_KP_Enter || k == GDK_KEY_ISO_Enter) {
        GtkWidget* focus = window_ ? gtk_window_get_focus(GTK_WINDOW(window_)) : nullptr;
        if (focus && GTK_IS_TEXT_VIEW(focus)) return false;
        Control* current = findWidget(focus);
        if (current && (current->tmpl->kind == ControlClass::PushButton ||
                        current->tmpl->kind == ControlClass::DefaultButton)) {
            press(current->tmpl->id);
            return true;
        }
        for (Control& c : controls_)
            if (c.tmpl->kind == ControlClass::DefaultButton && gtk_widget_is_visible(c.outer)) {
                press(c.tmpl->id);
                return true;
            }
        if (Control* ok = find(IDOK)) press(ok->tmpl->id);
        else command(IDOK, CommandEvent::Clicked);
        return true;
    }
    if (k == GDK_KEY_Escape) {
        command(IDCANCEL, CommandEvent::Clicked);
        return true;
    }
    return false;
}

LRESULT GtkDialog::message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        handler_.onTimer(*this, wParam);
        return 0;
    case WM_COMMAND: {
        // A command posted from outside: a button's is a press of that button.
        const int id = LOWORD(wParam);
        Control* c = find(id);
        if (HIWORD(wParam) == kButtonClicked && c && isButton(c->tmpl->kind)) press(id);
        else if (HIWORD(wParam) == kButtonClicked && !c) command(id, CommandEvent::Clicked);
        return 0;
    }
    case WM_CLOSE:
        if (!sheet_) command(IDCANCEL, CommandEvent::Clicked);
        return 0;
    default:
        break;
    }
    // A page sees what a page of the Windows sheet sees: its sheet keeps WM_USER up to WM_APP.
    if (msg >= WM_APP || (!sheet_ && msg >= WM_USER)) {
        LRESULT result = 0;
        if (handler_.onMessage(*this, msg, wParam, lParam, result)) return result;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void GtkDialog::onClicked(GtkButton* button, gpointer self) {
    auto* d = static_cast<GtkDialog*>(self);
    Control* c = d->findWidget(GTK_WIDGET(button));
    if (!c || d->quiet_) return;
    // A radio button that a click elsewhere in its group turned off reports nothing.
    if (c->tmpl->kind == ControlClass::RadioButton && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)))
        return;
    d->command(c->tmpl->id, CommandEvent::Clicked);
}

void GtkDialog::onEditChanged(GtkWidget* widget, gpointer self) {
    auto* d = static_cast<GtkDialog*>(self);
    for (Control& c : d->controls_)
        if (c.widget == widget || (GTK_IS_TEXT_VIEW(c.widget) &&
                                   gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.widget)) == (gpointer)widget)) {
            d->command(c.tmpl->id, CommandEvent::Changed);
            return;
        }
}

void GtkDialog::onComboChanged(GtkComboBox* combo, gpointer self) {
    auto* d = static_cast<GtkDialog*>(self);
    Control* c = d->findWidget(GTK_WIDGET(combo));
    if (c && !d->quiet_) d->command(c->tmpl->id, CommandEvent::SelectionChanged);
}

void GtkDialog::onSelectionChanged(GtkTreeSelection* selection, gpointer self) {
    auto* d = static_cast<GtkDialog*>(self);
    Control* c = d->findWidget(GTK_WIDGET(gtk_tree_selection_get_tree_view(selection)));
    if (!c) return;
    // A list view reports every change of its selection, also the program's own.
    if (c->tmpl->kind == ControlClass::ListView)
        d->handler_.onNotify(*d, c->tmpl->id, NotifyEvent::ItemChanged, d->selection(c->tmpl->id));
    else if (!d->quiet_)
        d->command(c->tmpl->id, CommandEvent::SelectionChanged);
}

void GtkDialog::onRowActivated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*, gpointer self) {
    auto* d = static_cast<GtkDialog*>(self);
    Control* c = d->findWidget(GTK_WIDGET(view));
    if (!c) return;
    if (c->tmpl->kind == ControlClass::ListView)
        d->handler_.onNotify(*d, c->tmpl->id, NotifyEvent::ItemActivated, gtk_tree_path_get_indices(path)[0]);
    else
        d->command(c->tmpl->id, CommandEvent::DoubleClicked);
}

gboolean GtkDialog::onDrawPicture(GtkWidget* widget, cairo_t* cr, gpointer self) {
    auto* d = static_cast<GtkDialog*>(self);
    Control* c = d->findWidget(widget);
    if (!c || !c->picture) return FALSE;
    const int w = gtk_widget_get_allocated_width(widget), h = gtk_widget_get_allocated_height(widget);
    const int pw = gdk_pixbuf_get_width(c->picture), ph = gdk_pixbuf_get_height(c->picture);
    cairo_save(cr);
    cairo_scale(cr, static_cast<double>(w) / pw, static_cast<double>(h) / ph);
    gdk_cairo_set_source_pixbuf(cr, c->picture, 0, 0);
    // Whole pixels of the bitmap, not blends of neighbours: its colours stay its palette's.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    return TRUE;
}

gboolean GtkDialog::onLabelMnemonic(GtkWidget* label, gboolean, gpointer) {
    if (auto* next = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(label), "lumora-next")))
        gtk_widget_grab_focus(next);
    return TRUE;
}

gboolean GtkDialog::onKey(GtkWidget*, GdkEventKey* key, gpointer self) {
    return static_cast<GtkDialog*>(self)->handleKey(*key);
}

gboolean GtkDialog::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkDialog*>(self)->command(IDCANCEL, CommandEvent::Clicked);
    return TRUE;
}

}  // namespace ui::gtk
