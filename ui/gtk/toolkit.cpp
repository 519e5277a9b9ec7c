// The GTK toolkit: started once per process, it makes the skinned windows. Their web views share
// one settings object that lets pages open windows by script and read files beside them.
#include "toolkit.h"

#include "gtk_window.h"

namespace {

class GtkToolkit : public ui::Toolkit {
public:
    ~GtkToolkit() override {
        if (settings_) g_object_unref(settings_);
    }

    bool start() override {
        if (settings_) return true;
        if (!gtk_init_check(nullptr, nullptr)) return false;
        settings_ = webkit_settings_new();
        webkit_settings_set_javascript_can_open_windows_automatically(settings_, TRUE);
        webkit_settings_set_allow_file_access_from_file_urls(settings_, TRUE);
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
