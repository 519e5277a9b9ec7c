// The GTK dialogs' message windows, modal loop, font metrics and labels.
#include "dialog_support.h"

#include <algorithm>
#include <map>

#include "icons.h"
#include "text.h"

namespace ui::gtk {
namespace {

constexpr char kWindowClass[] = "LumoraDialogWindow";

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (target) return target->message(hwnd, msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool registerClass() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = windowProc;
        wc.lpszClassName = kWindowClass;
        return RegisterClassA(&wc) != 0;
    }();
    return registered;
}

std::string cssFontFamily(const std::string& name) {
    std::string quoted = "\"";
    for (char c : toUtf8(name))
        if (c != '"' && c != '\\') quoted += c;
    return quoted + "\"";
}

struct TemplateLayout {
    GtkFixed parent;
};
struct TemplateLayoutClass {
    GtkFixedClass parent;
};
G_DEFINE_TYPE(TemplateLayout, template_layout, GTK_TYPE_FIXED)

void templateLayoutWidth(GtkWidget* widget, gint* minimum, gint* natural) {
    GTK_WIDGET_CLASS(template_layout_parent_class)->get_preferred_width(widget, minimum, natural);
    *natural = *minimum;
}

void templateLayoutHeight(GtkWidget* widget, gint* minimum, gint* natural) {
    GTK_WIDGET_CLASS(template_layout_parent_class)->get_preferred_height(widget, minimum, natural);
    *natural = *minimum;
}

void template_layout_class_init(TemplateLayoutClass* layoutClass) {
    GtkWidgetClass* widgetClass = GTK_WIDGET_CLASS(layoutClass);
    widgetClass->get_preferred_width = templateLayoutWidth;
    widgetClass->get_preferred_height = templateLayoutHeight;
}

void template_layout_init(TemplateLayout*) {}

}  // namespace

GtkWidget* templateLayoutNew() { return GTK_WIDGET(g_object_new(template_layout_get_type(), nullptr)); }

HWND createMessageWindow(MessageTarget& target, const std::string& caption, HWND parent) {
    if (!registerClass()) return nullptr;
    HWND hwnd = CreateWindowExA(0, kWindowClass, caption.c_str(), parent ? WS_CHILD : WS_POPUP, 0,
                                0, 0, 0, parent, nullptr, nullptr, nullptr);
    if (hwnd) SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&target));
    return hwnd;
}

MessageTarget* messageTargetOf(HWND hwnd) {
    char name[64];
    if (!hwnd || GetClassNameA(hwnd, name, sizeof name) <= 0 || lstrcmpiA(name, kWindowClass) != 0)
        return nullptr;
    return reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void destroyMessageWindow(HWND hwnd) {
    if (!hwnd) return;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

bool runModalLoop(const std::function<bool()>& ended) {
    MSG msg;
    while (!ended()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (got < 0) return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

BaseUnits baseUnitsOf(const DialogTemplate& dialog) {
    // The screen's context: its resolution and font options are those the widgets draw with.
    PangoContext* context = gdk_pango_context_get();
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, toUtf8(dialog.fontName).c_str());
    pango_font_description_set_size(font, (dialog.fontPoints > 0 ? dialog.fontPoints : 8) * PANGO_SCALE);
    pango_context_set_font_description(context, font);

    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    BaseUnits units;
    units.x = averageCharWidth(width);
    // The character cell: ascent and descent, without the gap between lines.
    units.y = PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(metrics)) +
              PANGO_PIXELS_CEIL(pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    g_object_unref(layout);
    pango_font_description_free(font);
    g_object_unref(context);
    if (units.x <= 0) units.x = 6;
    if (units.y <= 0) units.y = 13;
    return units;
}

void styleDialogContent(GtkWidget* content, const DialogTemplate& dialog) {
    // Controls may be as small as their templates make them: the theme's minimum sizes and
    // paddings are meant for roomier layouts.
    static GtkCssProvider* compact = [] {
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            css,
            ".lumora-dialog button, .lumora-dialog entry, .lumora-dialog combobox button,"
            ".lumora-dialog progressbar trough, .lumora-dialog progressbar progress {"
            " min-height: 0; min-width: 0; padding-top: 0; padding-bottom: 0; }"
            ".lumora-dialog button, .lumora-dialog entry { padding-left: 4px; padding-right: 4px; }"
            ".lumora-dialog progressbar trough { border-radius: 0; }"
            ".lumora-dialog checkbutton, .lumora-dialog radiobutton { padding: 0; min-height: 0; }"
            ".lumora-dialog check, .lumora-dialog radio { min-width: 12px; min-height: 12px;"
            " margin-top: 0; margin-bottom: 0; }",
            -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        return css;
    }();
    (void)compact;
    gtk_style_context_add_class(gtk_widget_get_style_context(content), "lumora-dialog");
    const std::string css = "* { font-family: " + cssFontFamily(dialog.fontName) +
                            "; font-size: " + std::to_string(dialog.fontPoints > 0 ? dialog.fontPoints : 8) +
                            "pt; }";
    GtkCssProvider* font = gtk_css_provider_new();
    gtk_css_provider_load_from_data(font, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(content), GTK_STYLE_PROVIDER(font),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(font);
}

GdkPixbuf* pixbufOf(const Bitmap& bitmap) {
    if (bitmap.empty()) return nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, bitmap.width, bitmap.height);
    if (!pixbuf) return nullptr;
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < bitmap.height; ++y)
        std::copy_n(bitmap.rgb.data() + static_cast<size_t>(y) * bitmap.width * 3, bitmap.width * 3,
                    pixels + static_cast<size_t>(y) * stride);
    return pixbuf;
}

GdkPixbuf* pixbufOfIcon(HICON icon) {
    winapi::IconImage image;
    if (!icon || !winapi::iconImage(icon, image) || image.width <= 0 || image.height <= 0) return nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, image.width, image.height);
    if (!pixbuf) return nullptr;
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t argb = image.argb[static_cast<size_t>(y * image.width + x)];
            guchar* p = pixels + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
            p[0] = static_cast<guchar>(argb >> 16);
            p[1] = static_cast<guchar>(argb >> 8);
            p[2] = static_cast<guchar>(argb);
            p[3] = static_cast<guchar>(argb >> 24);
        }
    return pixbuf;
}

std::string mnemonicLabel(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            } else {
                out += '_';
            }
        } else if (text[i] == '_') {
            out += "__";
        } else {
            out += text[i];
        }
    }
    return toUtf8(out);
}

std::string plainLabel(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        else if (text[i] == '&') continue;
        out += text[i];
    }
    return toUtf8(out);
}

}  // namespace ui::gtk
