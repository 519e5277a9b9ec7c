// The picture window on GTK: an undecorated top-level window whose drawing area paints the
// background colour and the picture scaled into its place without smoothing, and a user32 window
// of the given class and title standing for it, so that other programs find it by name.
#include <gtk/gtk.h>

#include "dialog.h"
#include "dialog_support.h"
#include "picture_window.h"
#include "text.h"

namespace ui {
namespace {

class GtkPictureWindow final : public PictureWindow {
public:
    explicit GtkPictureWindow(PictureHandler* handler) : handler_(handler) {}
    ~GtkPictureWindow() override {
        if (picture_) g_object_unref(picture_);
        if (window_) gtk_widget_destroy(window_);
        if (hwnd_) DestroyWindow(hwnd_);
    }
    GtkPictureWindow(const GtkPictureWindow&) = delete;
    GtkPictureWindow& operator=(const GtkPictureWindow&) = delete;

    bool create(const std::string& className, const std::string& title, const RECT& bounds) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = className.c_str();
        RegisterClassA(&wc);  // fails harmlessly when a former window registered it
        hwnd_ = CreateWindowExA(0, className.c_str(), title.c_str(), WS_POPUP, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                                nullptr, nullptr);
        if (!hwnd_) return false;
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(window_), gtk::toUtf8(title).c_str());
        gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
        // A backdrop, not a task of its own.
        gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), TRUE);
        gtk_window_set_skip_pager_hint(GTK_WINDOW(window_), TRUE);
        GtkWidget* area = gtk_drawing_area_new();
        gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
        g_signal_connect(area, "draw", G_CALLBACK(onDraw), this);
        g_signal_connect(area, "button-press-event", G_CALLBACK(onPress), this);
        gtk_container_add(GTK_CONTAINER(window_), area);
        setBounds(bounds);
        gtk_widget_show_all(window_);
        return true;
    }

    HWND hwnd() const override { return hwnd_; }

    void setPicture(const Bitmap& picture, const RECT& place, COLORREF background) override {
        if (picture_) g_object_unref(picture_);
        picture_ = gtk::pixbufOf(picture);
        place_ = place;
        background_ = background;
        gtk_widget_queue_draw(window_);
    }

    void setBounds(const RECT& b) override {
        bounds_ = b;
        gtk_window_move(GTK_WINDOW(window_), b.left, b.top);
        gtk_window_resize(GTK_WINDOW(window_), b.right - b.left, b.bottom - b.top);
        gtk_widget_queue_draw(window_);
    }

    RECT bounds() override { return bounds_; }

    void show(bool visible) override {
        if (visible) gtk_widget_show(window_);
        else gtk_widget_hide(window_);
    }

private:
    static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer data) {
        auto* self = static_cast<GtkPictureWindow*>(data);
        const COLORREF c = self->background_;
        cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, (c >> 8 & 0xFF) / 255.0, (c >> 16 & 0xFF) / 255.0);
        cairo_paint(cr);
        if (!self->picture_) return TRUE;
        const RECT& r = self->place_;
        const int w = gdk_pixbuf_get_width(self->picture_), h = gdk_pixbuf_get_height(self->picture_);
        cairo_save(cr);
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        cairo_clip(cr);
        cairo_translate(cr, r.left, r.top);
        cairo_scale(cr, static_cast<double>(r.right - r.left) / w, static_cast<double>(r.bottom - r.top) / h);
        gdk_cairo_set_source_pixbuf(cr, self->picture_, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        return TRUE;
    }

    static gboolean onPress(GtkWidget*, GdkEventButton* event, gpointer data) {
        auto* self = static_cast<GtkPictureWindow*>(data);
        if (event->type != GDK_BUTTON_PRESS || event->button != 1 || !self->handler_) return TRUE;
        unsigned keys = 0;
        if (event->state & GDK_SHIFT_MASK) keys |= MK_SHIFT;
        if (event->state & GDK_CONTROL_MASK) keys |= MK_CONTROL;
        self->handler_->onClick(*self, static_cast<int>(event->x), static_cast<int>(event->y), keys);
        return TRUE;
    }

    PictureHandler* handler_;
    HWND hwnd_ = nullptr;
    GtkWidget* window_ = nullptr;
    GdkPixbuf* picture_ = nullptr;
    RECT place_{};
    RECT bounds_{};
    COLORREF background_ = 0;
};

}  // namespace

std::unique_ptr<PictureWindow> createPictureWindow(const std::string& className, const std::string& title,
                                                   const RECT& bounds, PictureHandler* handler) {
    if (!startDialogs()) return nullptr;
    auto window = std::make_unique<GtkPictureWindow>(handler);
    if (!window->create(className, title, bounds)) return nullptr;
    return window;
}

}  // namespace ui
