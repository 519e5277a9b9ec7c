// The wizard sheet on GTK: page sequence (skipping refusing pages in the direction of travel,
// staying, jumping), the button row the pages control, keyboard handling across page and buttons,
// and the forwarding of registered messages to the active page.
#include "gtk_sheet.h"

#include <algorithm>

#include "text.h"

namespace ui::gtk {
namespace {

// The command ids of the sheet's buttons, as a command posted to the sheet's window names them.
constexpr int kBackId = 0x3023, kNextId = 0x3024, kFinishId = 0x3025, kHelpId = 9;
constexpr WORD kButtonClicked = 0;

// The button row in dialog units: buttons 50 x 14, a margin of 7 around the row.
constexpr int kButtonWidth = 50, kButtonHeight = 14, kMargin = 7, kGap = 6;

const char* const kDefaultTexts[5] = {"< &Zur\xfc" "ck", "&Weiter >", "Fertig stellen", "Abbrechen",
                                      "Hilfe"};

size_t slot(WizardButton b) { return static_cast<size_t>(b); }

}  // namespace

GtkSheet::GtkSheet(const SheetTemplate& sheet, SheetHandler* handler)
    : template_(sheet), handler_(handler), caption_(sheet.caption) {
    for (const SheetPage& p : template_.pages) pages_.push_back(Page{p.page, p.handler, nullptr});
    for (size_t i = 0; i < 5; ++i)
        texts_[i] = template_.buttonTexts[i].empty() ? kDefaultTexts[i] : template_.buttonTexts[i];
}

GtkSheet::~GtkSheet() {
    // Pages first: their content lives in the sheet's window.
    for (Page& p : pages_) p.dialog.reset();
    enableWindow(true);
    destroyMessageWindow(hwnd_);
    if (window_) gtk_widget_destroy(window_);
}

bool GtkSheet::create() {
    if (pages_.empty()) return false;
    for (const Page& p : pages_)
        if (!p.tmpl || !p.handler) return false;
    hwnd_ = createMessageWindow(*this, caption_, nullptr);
    if (!hwnd_) return false;

    // The page area takes the largest page; the row's measures are in the first page's units.
    const BaseUnits units = baseUnitsOf(*pages_.front().tmpl);
    int width = 0, height = 0;
    for (const Page& p : pages_) {
        const RECT r = dialogToPixels({0, 0, p.tmpl->cx, p.tmpl->cy}, baseUnitsOf(*p.tmpl));
        width = std::max<int>(width, r.right);
        height = std::max<int>(height, r.bottom);
    }
    const RECT button = dialogToPixels({0, 0, kButtonWidth, kButtonHeight}, units);
    const RECT margin = dialogToPixels({0, 0, kMargin, kMargin}, units);
    const RECT gap = dialogToPixels({0, 0, kGap, 0}, units);
    const int bw = button.right, bh = button.bottom;
    width = std::max<int>(width, 5 * bw + 2 * gap.right + 2 * margin.right);
    slots_[slot(WizardButton::Help)] = width - margin.right - bw;
    slots_[slot(WizardButton::Cancel)] = slots_[slot(WizardButton::Help)] - gap.right - bw;
    slots_[slot(WizardButton::Next)] = slots_[slot(WizardButton::Cancel)] - gap.right - bw;
    slots_[slot(WizardButton::Finish)] = slots_[slot(WizardButton::Next)];
    slots_[slot(WizardButton::Back)] = slots_[slot(WizardButton::Next)] - bw;

    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), toUtf8(caption_).c_str());
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
    if (!template_.titleBar) gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
    if (template_.topmost) gtk_window_set_keep_above(GTK_WINDOW(window_), TRUE);
    if (GdkPixbuf* icon = pixbufOf(template_.icon)) {
        gtk_window_set_icon(GTK_WINDOW(window_), icon);
        g_object_unref(icon);
    }
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    pageArea_ = templateLayoutNew();
    gtk_widget_set_size_request(pageArea_, width, height);
    buttonRow_ = templateLayoutNew();
    styleDialogContent(buttonRow_, *pages_.front().tmpl);
    gtk_widget_set_size_request(buttonRow_, width, bh + 2 * margin.bottom);
    for (size_t i = 0; i < 5; ++i) {
        buttons_[i] = gtk_button_new_with_mnemonic(mnemonicLabel(texts_[i]).c_str());
        gtk_widget_set_size_request(buttons_[i], bw, bh);
        gtk_fixed_put(GTK_FIXED(buttonRow_), buttons_[i], slots_[i], margin.bottom);
        g_signal_connect(buttons_[i], "clicked", G_CALLBACK(onButton), this);
        gtk_widget_show(buttons_[i]);
    }
    gtk_widget_hide(buttons_[slot(WizardButton::Finish)]);
    setDefaultButton(WizardButton::Next);
    gtk_box_pack_start(GTK_BOX(box), pageArea_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), buttonRow_, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window_), box);
    gtk_widget_show(pageArea_);
    gtk_widget_show_all(box);
    gtk_widget_hide(buttons_[slot(WizardButton::Finish)]);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "notify::visible", G_CALLBACK(onWindowState), this);
    g_signal_connect(window_, "notify::sensitive", G_CALLBACK(onWindowState), this);
    const int start = std::clamp(template_.startPage, 0, pageCount() - 1);
    if (!go(start, +1)) return false;
    place();
    return true;
}

void GtkSheet::place() {
    if (!template_.position) return;
    GtkRequisition natural{};
    gtk_widget_get_preferred_size(window_, nullptr, &natural);
    const RECT now = windowRect();
    const SIZE outer{std::max<LONG>(natural.width, now.right - now.left),
                     std::max<LONG>(natural.height, now.bottom - now.top)};
    const POINT at = template_.position(outer);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_NONE);
    gtk_window_move(GTK_WINDOW(window_), at.x, at.y);
}

RECT GtkSheet::windowRect() {
    GdkWindow* gdkWindow = window_ ? gtk_widget_get_window(window_) : nullptr;
    if (!gdkWindow || !gtk_widget_get_visible(window_)) return {};
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gdkWindow, &frame);
    return {frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
}

void GtkSheet::showWindow(bool visible) { gtk_widget_set_visible(window_, visible); }

bool GtkSheet::isWindowShown() { return window_ && gtk_widget_get_visible(window_); }

void GtkSheet::enableWindow(bool enabled) {
    if (enabled == !blocker_) return;
    if (enabled) {
        gtk_grab_remove(blocker_);
        gtk_widget_destroy(blocker_);
        blocker_ = nullptr;
        return;
    }
    // A grab, as a modal window takes the input of the others, held by a window that is never
    // shown: clicks, keys and the close box reach nobody. An insensitive window would do the same
    // but draw every control greyed, and a disabled window keeps its looks.
    blocker_ = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_grab_add(blocker_);
}

GtkDialog* GtkSheet::made(int index) {
    Page& p = pages_[static_cast<size_t>(index)];
    if (p.dialog) return p.dialog.get();
    auto dialog = std::make_unique<GtkDialog>(*p.tmpl, *p.handler, this, hwnd_);
    dialog->setHost(pageArea_);
    if (!dialog->create()) return nullptr;
    p.dialog = std::move(dialog);
    return p.dialog.get();
}

Dialog& GtkSheet::page(int index) {
    GtkDialog* d = made(std::clamp(index, 0, pageCount() - 1));
    if (d) return *d;
    // A page that cannot be made: the start page always could be, or the sheet would not exist.
    return *made(std::max(active_, 0));
}

int GtkSheet::pageIndex(int resourceId) {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].tmpl->resourceId == resourceId) return static_cast<int>(i);
    return -1;
}

bool GtkSheet::go(int index, int direction) {
    for (int i = index; i >= 0 && i < pageCount(); i += direction) {
        GtkDialog* d = made(i);
        if (!d || !pages_[static_cast<size_t>(i)].handler->onSetActive(*this, *d)) continue;
        if (active_ >= 0 && active_ != i) gtk_widget_hide(pages_[static_cast<size_t>(active_)].dialog->content());
        gtk_widget_show(d->content());
        active_ = i;
        return true;
    }
    return false;
}

bool GtkSheet::setActivePage(int index) {
    if (index < 0 || index >= pageCount()) return false;
    return go(index, index < active_ ? -1 : +1);
}

void GtkSheet::next() {
    if (active_ < 0) return;
    Page& p = pages_[static_cast<size_t>(active_)];
    const int answer = p.handler->onWizardNext(*this, *p.dialog);
    if (answer == kStay || ended_) return;
    const int target = answer == kGoOn ? active_ + 1 : pageIndex(answer);
    if (target < 0 || !p.handler->onKillActive(*this, *p.dialog)) return;
    go(target, +1);
}

void GtkSheet::back() {
    if (active_ < 0) return;
    Page& p = pages_[static_cast<size_t>(active_)];
    const int answer = p.handler->onWizardBack(*this, *p.dialog);
    if (answer == kStay || ended_) return;
    const int target = answer == kGoOn ? active_ - 1 : pageIndex(answer);
    if (target < 0 || !p.handler->onKillActive(*this, *p.dialog)) return;
    go(target, -1);
}

void GtkSheet::finish() {
    if (active_ < 0) return;
    Page& p = pages_[static_cast<size_t>(active_)];
    if (p.handler->onWizardFinish(*this, *p.dialog)) end(IDOK);
}

void GtkSheet::cancel() {
    if (ended_) return;
    if (active_ < 0) {
        end(IDCANCEL);
        return;
    }
    Page& p = pages_[static_cast<size_t>(active_)];
    if (!p.handler->onQueryCancel(*this, *p.dialog)) return;
    p.handler->onReset(*this, *p.dialog);
    end(IDCANCEL);
}

void GtkSheet::setCaption(const std::string& caption) {
    caption_ = caption;
    if (window_) gtk_window_set_title(GTK_WINDOW(window_), toUtf8(caption).c_str());
    if (hwnd_) SetWindowTextA(hwnd_, caption.c_str());
}

void GtkSheet::showButton(WizardButton b, bool visible) { gtk_widget_set_visible(buttons_[slot(b)], visible); }
bool GtkSheet::isButtonShown(WizardButton b) { return gtk_widget_get_visible(buttons_[slot(b)]); }
void GtkSheet::enableButton(WizardButton b, bool enabled) { gtk_widget_set_sensitive(buttons_[slot(b)], enabled); }
bool GtkSheet::isButtonEnabled(WizardButton b) { return gtk_widget_get_sensitive(buttons_[slot(b)]); }

void GtkSheet::setButtonText(WizardButton b, const std::string& text) {
    texts_[slot(b)] = text;
    gtk_button_set_label(GTK_BUTTON(buttons_[slot(b)]), mnemonicLabel(text).c_str());
}

std::string GtkSheet::buttonText(WizardButton b) { return texts_[slot(b)]; }

void GtkSheet::setDefaultButton(WizardButton b) {
    gtk_style_context_remove_class(gtk_widget_get_style_context(buttons_[slot(default_)]), "suggested-action");
    default_ = b;
    gtk_style_context_add_class(gtk_widget_get_style_context(buttons_[slot(b)]), "suggested-action");
}

void GtkSheet::focusButton(WizardButton b) { gtk_widget_grab_focus(buttons_[slot(b)]); }

void GtkSheet::placeButton(WizardButton b, WizardButton place) {
    int y = 0;
    gtk_container_child_get(GTK_CONTAINER(buttonRow_), buttons_[slot(b)], "y", &y, nullptr);
    gtk_fixed_move(GTK_FIXED(buttonRow_), buttons_[slot(b)], slots_[slot(place)], y);
}

void GtkSheet::pressButton(WizardButton b) {
    GtkWidget* button = buttons_[slot(b)];
    if (gtk_widget_get_visible(button) && gtk_widget_is_sensitive(button)) gtk_button_clicked(GTK_BUTTON(button));
}

void GtkSheet::end(int result) {
    if (ended_) return;
    ended_ = true;
    result_ = result;
    if (handler_) handler_->onEnd(*this, result);
    if (window_) gtk_widget_hide(window_);
    if (hwnd_) PostMessageA(hwnd_, WM_NULL, 0, 0);  // wakes a modal loop
}

void GtkSheet::onButton(GtkButton* button, gpointer self) {
    auto* s = static_cast<GtkSheet*>(self);
    if (s->ended_) return;
    if (GTK_WIDGET(button) == s->buttons_[slot(WizardButton::Back)]) s->back();
    else if (GTK_WIDGET(button) == s->buttons_[slot(WizardButton::Next)]) s->next();
    else if (GTK_WIDGET(button) == s->buttons_[slot(WizardButton::Finish)]) s->finish();
    else if (GTK_WIDGET(button) == s->buttons_[slot(WizardButton::Cancel)]) s->cancel();
    else if (s->active_ >= 0) {
        Page& p = s->pages_[static_cast<size_t>(s->active_)];
        p.handler->onHelp(*s, *p.dialog);
    }
}

bool GtkSheet::handleKey(const GdkEventKey& key) {
    if (active_ < 0) return false;
    GtkDialog& page = *pages_[static_cast<size_t>(active_)].dialog;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_));
    const guint k = key.keyval;
    if (k == GDK_KEY_Tab || k == GDK_KEY_ISO_Left_Tab || k == GDK_KEY_KP_Tab) {
        // The page's stops in its order, then the buttons from left to right.
        std::vector<GtkWidget*> stops = page.tabStopWidgets();
        std::vector<size_t> row = {0, 1, 2, 3, 4};
        std::stable_sort(row.begin(), row.end(), [&](size_t a, size_t b) {
            int xa = 0, xb = 0;
            gtk_container_child_get(GTK_CONTAINER(buttonRow_), buttons_[a], "x", &xa, nullptr);
            gtk_container_child_get(GTK_CONTAINER(buttonRow_), buttons_[b], "x", &xb, nullptr);
            return xa < xb;
        });
        for (size_t i : row)
            if (gtk_widget_get_visible(buttons_[i]) && gtk_widget_is_sensitive(buttons_[i]))
                stops.push_back(buttons_[i]);
        if (stops.empty()) return true;
        const bool backwards = k == GDK_KEY_ISO_Left_Tab || (key.state & GDK_SHIFT_MASK);
        auto at = std::find_if(stops.begin(), stops.end(), [&](GtkWidget* w) {
            return focus && (w == focus || gtk_widget_is_ancestor(focus, w));
        });
        size_t index;
        if (at == stops.end()) index = backwards ? stops.size() - 1 : 0;
        else if (backwards) index = at == stops.begin() ? stops.size() - 1 : (at - stops.begin()) - 1;
        else index = (at - stops.begin() + 1) % stops.size();
        gtk_widget_grab_focus(stops[index]);
        return true;
    }
    if (k == GDK_KEY_Return || k == GDK_KEY_KP_Enter || k == GDK_KEY_ISO_Enter) {
        if (focus && GTK_IS_TEXT_VIEW(focus)) return false;
        for (GtkWidget* b : buttons_)
            if (focus == b) {
                gtk_button_clicked(GTK_BUTTON(b));
                return true;
            }
        const int id = page.controlOf(focus);
        const ControlTemplate* tmpl = page.dialogTemplate().control(id);
        if (tmpl && (tmpl->kind == ControlClass::PushButton || tmpl->kind == ControlClass::DefaultButton)) {
            page.press(id);
            return true;
        }
        pressButton(default_);
        return true;
    }
    if (k == GDK_KEY_Escape) {
        cancel();
        return true;
    }
    return false;
}

gboolean GtkSheet::onKey(GtkWidget*, GdkEventKey* key, gpointer self) {
    return static_cast<GtkSheet*>(self)->handleKey(*key);
}

gboolean GtkSheet::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkSheet*>(self)->cancel();
    return TRUE;
}

// The sheet's user32 window carries the GTK window's state, so that IsWindowVisible and
// IsWindowEnabled answer for the wizard window, and ShowWindow and EnableWindow on it change it.
void GtkSheet::onWindowState(GObject*, GParamSpec*, gpointer self) {
    auto* s = static_cast<GtkSheet*>(self);
    if (!s->hwnd_) return;
    DWORD style = static_cast<DWORD>(GetWindowLongA(s->hwnd_, GWL_STYLE)) & ~(WS_VISIBLE | WS_DISABLED);
    if (gtk_widget_get_visible(s->window_)) style |= WS_VISIBLE;
    if (!gtk_widget_get_sensitive(s->window_)) style |= WS_DISABLED;
    SetWindowLongA(s->hwnd_, GWL_STYLE, static_cast<LONG>(style));
}

LRESULT GtkSheet::message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SHOWWINDOW:
        if (window_) gtk_widget_set_visible(window_, wParam != 0);
        return 0;
    case WM_ENABLE:
        if (window_) gtk_widget_set_sensitive(window_, wParam != 0);
        return 0;
    case WM_TIMER:
        if (handler_) handler_->onTimer(*this, wParam);
        return 0;
    case WM_CLOSE:
        cancel();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == kButtonClicked) {
            switch (LOWORD(wParam)) {
            case kBackId: pressButton(WizardButton::Back); break;
            case kNextId: pressButton(WizardButton::Next); break;
            case kFinishId: pressButton(WizardButton::Finish); break;
            case IDCANCEL: pressButton(WizardButton::Cancel); break;
            case kHelpId: pressButton(WizardButton::Help); break;
            default: break;
            }
        }
        return 0;
    default:
        break;
    }
    // As on Windows, where WM_USER up to WM_APP belong to the sheet's own implementation.
    if (msg >= WM_APP) {
        LRESULT result = 0;
        if (handler_ && handler_->onMessage(*this, msg, wParam, lParam, result)) return result;
        // Registered messages (from helpers, broadcast) are the active page's business.
        if (msg >= 0xC000 && msg <= 0xFFFF && active_ >= 0) {
            PostMessageA(pages_[static_cast<size_t>(active_)].dialog->hwnd(), msg, wParam, lParam);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace ui::gtk
