// The GTK toolkit: started once per process, it makes the skinned windows. Their web views share
// one settings object that lets pages open windows by script and read files beside them, and all
// show the program's icon.
#include "toolkit.h"

#include <cstddef>

#include "gtk_window.h"

namespace ui::gtk {
extern const unsigned char kProgramIcon[];
extern const std::size_t kProgramIconSize;
}  // namespace ui::gtk

namespace {

// Every window of the program shows the program's icon (in the task bar, the window list).
void setProgramIcon() {
    GInputStream* bytes = g_memory_input_stream_new_from_data(ui::gtk::kProgramIcon,
                                                              static_cast<gssize>(ui::gtk::kProgramIconSize),
                                                              nullptr);
    if (GdkPixbuf* icon = gdk_pixbuf_new_from_stream(bytes, nullptr, nullptr)) {
        gtk_window_set_default_icon(icon);
        g_object_unref(icon);
    }
    g_object_unref(bytes);
}

class GtkToolkit : public ui::Toolkit {
public:
    ~GtkToolkit() override {
        if (settings_) g_object_unref(settings_);
    }

    bool start() override {
        if (settings_) return true;
        if (!gtk_init_check(nullptr, nullptr)) return false;
        setProgramIcon();
        settings_ = webkit_settings_new();
        webkit_settings_set_javascript_can_open_windows_automatically(settings_, TRUE);
        webkit_settings_set_allow_file_access_from_file_urls(settings_, TRUE);
        // The panes overlap inside one window and are covered by the location bar and other
        // windows. In the engine's accelerated mode a pane shows the last frame its web process
        // handed over and does not paint it again when only the toolkit redraws (a click into the
        // location bar left the row grey until the pointer made the page draw a new frame); in
        // the unaccelerated mode every redraw paints the pane from its own backing store.
        webkit_settings_set_hardware_acceleration_policy(settings_,
                                                         WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
        return true;
    }

    std::unique_ptr<ui::SkinnedWindow> createWindow(ui::WindowEvents& events) override {
        if (!settings_) return nullptr;
        return std::make_unique<ui::gtk::GtkSkinnedWindow>(events, settings_);
    }

private:
    WebKitSettings* settings_ = nullptr;
};

}  // namespace

std::unique_ptr<ui::Toolkit> ui::makeToolkit() { return std::make_unique<GtkToolkit>(); }
