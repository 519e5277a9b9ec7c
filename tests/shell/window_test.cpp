// The skinned window with real WebKit panes on an Xvfb display of the test's own: the default
// skin's window with its mask, windows opened by script (with the popup skin, or bare without a
// menu bar), script resizes, the skin switch by a page's meta element and the right button.
#include <windows.h>

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include <winsock.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app.h"
#include "dial_services.h"
#include "fakes.h"
#include "favorites.h"
#include "gtk_window.h"
#include "lmr_dlg.h"
#include "lmr_windows.h"
#include "packed_archives.h"
#include "registry.h"
#include "skins.h"
#include "test_names.h"
#include "testenv.h"
#include "window_support.h"
#include "xvfb.h"
#include "gtk/text.h"
#include "httpserver.h"
#include "toolkit.h"
#include "url.h"

namespace {

using window_test::gtkOf;
using window_test::loaded;
using window_test::RecordingWindows;

void writeFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A 24-bit bitmap of 4 × 2 pixels: the left two columns white, the right two black.
std::string halfWhiteBitmap() {
    std::string bmp;
    auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    const std::uint32_t rowBytes = 12, imageBytes = rowBytes * 2;
    bmp += "BM";
    put(54 + imageBytes, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(4, 4);  // width
    put(2, 4);  // height
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(imageBytes, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int row = 0; row < 2; ++row) bmp += std::string(6, '\xff') + std::string(6, '\0');
    return bmp;
}

std::string page(const std::string& body, const std::string& head = "") {
    return "<html><head>" + head + "</head><body style='margin:0'>" + body + "</body></html>";
}

// A skin of one colour per pane, so that a screenshot tells the panes apart.
void writeSkin(const std::string& folder, const std::string& extraIni, const char* portalColour) {
    writeFile(folder + "skin.ini",
              "[TitleBar]\nURL=title.htm\nHeight=30\n"
              "[Portal]\nURL=portal.htm\nX1=0\nY1=30\nX2=-1\nY2=-1\n"
              "[Browser]\nOfflineURL=start.htm\nOnlineURL=start.htm\nX1=20\nY1=80\nX2=-20\nY2=-20\n" +
                  extraIni);
    writeFile(folder + "title.htm", page("", "<style>body{background:#0000ff}</style>"));
    writeFile(folder + "portal.htm",
              page("", std::string("<style>body{background:") + portalColour + "}</style>"));
    writeFile(folder + "start.htm", page("Start", "<title>Start</title>"));
}

// Stands in for the dial-up binding's device list: two devices; telephony is the prefix's.
class TwoDevices : public DialServices {
public:
    TwoDevices() : DialServices(AppPaths::fromPath("c:\\lumora\\lumora.exe")) {}
    std::string listRasDevices() override { return "ISDN 1\tModem 2"; }
};


class WindowTest : public ::testing::Test {
protected:
    // One display for the test process: the toolkit connects to it once.
    // The toolkit's dialogs keep their settings in memory: the desktop's settings service would
    // tie the process to a session bus that the test's prefix takes down at its end.
    static void SetUpTestSuite() {
        g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
        display_.start("1280x900x24");
    }
    static void TearDownTestSuite() { display_.stop(); }

    void SetUp() override {
        if (display_.display().empty()) GTEST_SKIP() << "Xvfb is not installed or does not start";
        before_ = std::filesystem::current_path();
        name_ = uniqueProgramName();
        dir_ = lumora_test::scratchDir();
        regWriteString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE",
                       "Path", "C:\\Programme\\Internet Explorer;", HKEY_LOCAL_MACHINE);
        regWriteString("SOFTWARE\\Microsoft\\Internet Explorer", "Version", "5.50.4134.0600",
                       HKEY_LOCAL_MACHINE);
        regWriteString(("Software\\" + name_).c_str(), "Installed", "1");
        writeFile(dir_ + name_ + ".ini", "[Dialup]\nUseRas=0\n");
        writeSkin(dir_ + "defhtml/", "[PopupSkin]\nName=popupskin\n", "#00ff00");
        writeSkin(dir_ + "popupskin/", "", "#ff00ff");
        writeSkin(dir_ + "other/", "", "#ffff00");
    }

    void TearDown() override {
        // The windows close as the user closes them, while the application still exists.
        if (windows_) windows_->closeAll([&](const auto& done) { return waitFor(done); });
        app_.reset();
        if (!before_.empty()) std::filesystem::current_path(before_);
    }

    // Starts the browser center: its first window shows the default skin.
    CLmrDlg* start(const std::string& arguments = "") {
        toolkit_ = ui::makeToolkit();
        skins_ = std::make_unique<CSkinStore>(dir_, archives_);
        windows_ = std::make_unique<RecordingWindows>(*toolkit_, *skins_, dialServices_);
        AppServices services{parts_,  *skins_, *windows_, parts_, parts_, parts_, parts_,
                             parts_,  parts_,  archives_, parts_, parts_, parts_};
        app_ = std::make_unique<CLmrApp>(AppPaths::fromPath(dir_ + name_ + ".exe"), services);
        windows_->real.attach(*app_);
        std::string line = "\"" + dir_ + name_ + ".exe\" " + arguments;
        if (!app_->InitInstance(line.c_str())) return nullptr;
        CLmrDlg* first = windows_->dialog(0);
        if (first) waitFor([&] { return loaded(first, ui::PaneId::Browser, ".htm"); });
        return first;
    }

    bool waitFor(const std::function<bool()>& done, int seconds = 15) {
        return window_test::pumpUntil(done, seconds);
    }

    std::string trace() const {
        std::ifstream in(dir_ + "trace.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The colour of a screen pixel as 0xRRGGBB.
    static unsigned screenPixel(int x, int y) {
        GdkPixbuf* pixel = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, 1, 1);
        if (!pixel) return 0xffffffffu;
        const guchar* p = gdk_pixbuf_read_pixels(pixel);
        unsigned colour = (p[0] << 16) | (p[1] << 8) | p[2];
        g_object_unref(pixel);
        return colour;
    }
    // Dial-up in use with a device that exists, and the normal start mode.
    void useDialup() {
        writeFile(dir_ + name_ + ".ini", "[Dialup]\nUseRas=1\n");
        // The settings file is a profile file of the Windows folder.
        WritePrivateProfileStringA("variables", "RasDeviceName", "\"ISDN 1\"",
                                   (name_ + ".dat").c_str());
        parts_.existingDevice = "ISDN 1";
        regWriteString(("Software\\" + name_).c_str(), "StartupMode", "0");
    }
    void navigateBrowser(CLmrDlg* window, const std::string& file, const std::string& html) {
        writeFile(dir_ + file, html);
        window->navigateBrowser(dir_ + file);
    }

    static inline lumora_test::XvfbServer display_;
    std::string name_, dir_;
    std::filesystem::path before_;
    FakeParts parts_;
    TwoDevices dialServices_;
    PackedArchiveFiles archives_;
    std::unique_ptr<ui::Toolkit> toolkit_;
    std::unique_ptr<CSkinStore> skins_;
    std::unique_ptr<RecordingWindows> windows_;
    std::unique_ptr<CLmrApp> app_;
};

TEST_F(WindowTest, DefaultSkinIsShownInTheShapeOfItsMask) {
    // A mask whose left half is white: that half is not the window's.
    writeFile(dir_ + "defhtml/mask.bmp", halfWhiteBitmap());
    writeFile(dir_ + "defhtml/skin.ini",
              "[TitleBar]\nURL=title.htm\nHeight=30\n[Portal]\nURL=portal.htm\nX1=0\nY1=30\n"
              "X2=-1\nY2=-1\n[Browser]\nOnlineURL=start.htm\nX1=20\nY1=80\nX2=-20\nY2=-20\n"
              "[Mask]\nFilename=mask.bmp\n");
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); }));
    EXPECT_TRUE(window->ui()->isVisible());
    EXPECT_NE(window->layout().m_MaskFileName.find("mask.bmp"), std::string::npos);

    RECT frame = window->ui()->windowRect();
    ASSERT_GT(frame.right - frame.left, 200);
    int midY = (frame.top + frame.bottom) / 2;
    int leftQuarter = frame.left + (frame.right - frame.left) / 4;
    int rightPortal = frame.right - 10;  // in the portal, right of the browser pane
    waitFor([&] { return screenPixel(rightPortal, midY) == 0x00ff00; });
    EXPECT_EQ(screenPixel(rightPortal, midY), 0x00ff00u);
    // Outside the shape the black root window shows through.
    EXPECT_EQ(screenPixel(leftQuarter, frame.top + 5), 0x000000u);
    EXPECT_EQ(screenPixel(frame.left + 5, midY), 0x000000u);
    // The title bar's page sits in its pane, inside the shape; its pane may paint a moment
    // after the portal's.
    waitFor([&] { return screenPixel(rightPortal, frame.top + 10) == 0x0000ff; });
    EXPECT_EQ(screenPixel(rightPortal, frame.top + 10), 0x0000ffu);

    // The window carries the program's icon (64 pixels wide) for the desktop's window list.
    Display* x = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* icon = nullptr;
    XGetWindowProperty(x, GDK_WINDOW_XID(gtk_widget_get_window(gtkOf(window)->toplevel())),
                       XInternAtom(x, "_NET_WM_ICON", False), 0, 2, False, XA_CARDINAL, &type,
                       &format, &count, &after, &icon);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(reinterpret_cast<long*>(icon)[0], 64);
    XFree(icon);
}

TEST_F(WindowTest, ScriptWindowGetsThePopupSkinAndIgnoresResizesUntilVisible) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    writeFile(dir_ + "child.htm", page("Kind", "<title>Kind</title>"));
    navigateBrowser(window, "opener.htm",
                    page("<script>window.open('child.htm', '_blank',"
                         " 'menubar=yes,width=300,height=200');</script>"));
    ASSERT_TRUE(waitFor([&] { return loaded(windows_->dialog(1), ui::PaneId::Browser, "child.htm"); }));
    CLmrDlg* child = windows_->dialog(1);
    EXPECT_EQ(child->layout().m_SkinName, "popupskin");
    ASSERT_TRUE(waitFor([&] { return loaded(child, ui::PaneId::Portal, "popupskin"); }));
    EXPECT_TRUE(child->ui()->isVisible());
    // The size the script asked for came before the window was visible.
    EXPECT_NE(trace().find("not yet visible... ignoring new size"), std::string::npos);
    SIZE size = child->ui()->clientSize();
    EXPECT_FALSE(size.cx == 300 && size.cy == 200);

    // Once visible, a script resize sizes the window.
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(gtkOf(child)->paneWidget(ui::PaneId::Browser)), "window.resizeTo(520, 410)",
        -1, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(waitFor([&] {
        SIZE now = child->ui()->clientSize();
        return now.cx == 520 && now.cy == 410;
    }));
}

TEST_F(WindowTest, ScriptWindowWithoutMenuBarIsABareBrowser) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    writeFile(dir_ + "bare.htm", page("Bare"));
    navigateBrowser(window, "opener.htm",
                    page("<script>window.open('bare.htm', '_blank', 'menubar=no');</script>"));
    ASSERT_TRUE(waitFor([&] { return loaded(windows_->dialog(1), ui::PaneId::Browser, "bare.htm"); }));
    CLmrDlg* bare = windows_->dialog(1);
    ASSERT_TRUE(waitFor([&] { return bare->ui()->isVisible(); }));
    EXPECT_NE(trace().find("showing browser without portal"), std::string::npos);
    EXPECT_EQ(bare->ui()->currentUrl(ui::PaneId::Portal), "");
    EXPECT_FALSE(gtk_widget_get_visible(gtkOf(bare)->paneWidget(ui::PaneId::Portal)));

    // The page closes its window: the window goes, the first one stays.
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(gtkOf(bare)->paneWidget(ui::PaneId::Browser)), "window.close()", -1,
        nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(waitFor([&] { return windows_->dialog(1) == nullptr; }));
    EXPECT_NE(windows_->dialog(0), nullptr);
}

TEST_F(WindowTest, MetaElementSwitchesTheSkin) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    navigateBrowser(window, "switch.htm",
                    page("Anders", "<meta name=\"SkinName\" content=\"other\">"));
    ASSERT_TRUE(waitFor([&] { return window->layout().m_SkinName == "other"; }));
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "other"); }));

    // A skin that cannot be found leaves the layout as it is.
    navigateBrowser(window, "unknown.htm",
                    page("Fremd", "<meta name=\"SkinName\" content=\"nirgends\">"));
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "unknown.htm"); }));
    EXPECT_EQ(window->layout().m_SkinName, "other");

    // A page cannot lead the window to a skin outside the program's folder, whose portal links
    // would run the program's commands: names with a path, "..", or a drive are refused.
    const std::string outside = lumora_test::scratchDir();
    writeSkin(outside, "", "#ff0000");
    const std::string outsideName =
        std::filesystem::path(outside).parent_path().filename().string();
    for (const std::string& name : {"..\\" + outsideName, "../" + outsideName,
                                     outside.substr(0, outside.size() - 1), "C:" + outsideName}) {
        navigateBrowser(window, "evil.htm",
                        page("Fremd", "<meta name=\"SkinName\" content=\"" + name + "\">"));
        ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "evil.htm"); }));
        EXPECT_EQ(window->layout().m_SkinName, "other") << name;
        EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "other"); })) << name;
        EXPECT_NE(trace().find("skin name refused: \"" + name + "\""), std::string::npos) << name;
        window->navigateBrowser("about:blank");
        ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "about:blank"); }));
    }
}

TEST_F(WindowTest, APageFromTheCommandLineIsShownThoughTheSkinHasNoArchive) {
    // Off line with dial-up: the browser starts on the offline page, which the argument replaces.
    useDialup();
    writeFile(dir_ + "given.htm", page("Gegeben", "<title>Gegeben</title>"));
    CLmrDlg* window = start("\"" + dir_ + "given.htm\"");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "given.htm"); }))
        << window->ui()->currentUrl(ui::PaneId::Browser);
}

gboolean countMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                   gpointer count) {
    ++*static_cast<int*>(count);
    return TRUE;  // no menu is shown
}

void rightClick(GtkWidget* widget) {
    GdkWindow* target = gtk_widget_get_window(widget);
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(target));
        event->button.button = GDK_BUTTON_SECONDARY;
        event->button.x = 40;
        event->button.y = 20;
        event->button.time = GDK_CURRENT_TIME;
        gdk_event_set_device(event, pointer);
        gtk_widget_event(widget, event);
        gdk_event_free(event);
    }
}

TEST_F(WindowTest, RightButtonReachesOnlyTheBrowserPane) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); }));
    GtkWidget* portal = gtkOf(window)->paneWidget(ui::PaneId::Portal);
    GtkWidget* browser = gtkOf(window)->paneWidget(ui::PaneId::Browser);
    int portalMenus = 0, browserMenus = 0;
    g_signal_connect(portal, "context-menu", G_CALLBACK(countMenu), &portalMenus);
    g_signal_connect(browser, "context-menu", G_CALLBACK(countMenu), &browserMenus);
    rightClick(portal);
    rightClick(browser);
    EXPECT_TRUE(waitFor([&] { return browserMenus > 0; }));
    // The portal's click was given every chance to arrive as well.
    waitFor([&] { return portalMenus > 0; }, 2);
    EXPECT_EQ(portalMenus, 0);
}

}  // namespace

namespace {

void pressKey(GtkWidget* toplevel, guint key, GdkModifierType state) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
    event->key.keyval = key;
    event->key.state = state;
    event->key.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_keyboard(
                                    gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(toplevel, event);
    gdk_event_free(event);
}

TEST_F(WindowTest, PopupShowsItsPageInTheExtraPaneAlone) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    writeFile(dir_ + "config/dial.htm", page("W\xe4hlen", "<title>W\xe4hlen</title>"));
    app_->showPopup("dial.htm");
    auto* popup = dynamic_cast<CLmrDlg*>(app_->popup());
    ASSERT_NE(popup, nullptr);
    // It appears with its page, not as an empty box before it.
    GtkWidget* toplevel = gtkOf(popup)->toplevel();
    auto* view = WEBKIT_WEB_VIEW(gtkOf(popup)->paneWidget(ui::PaneId::Extra));
    EXPECT_FALSE(gtk_widget_get_mapped(toplevel) && webkit_web_view_is_loading(view));
    ASSERT_TRUE(waitFor([&] { return loaded(popup, ui::PaneId::Extra, "config/dial.htm"); }));
    EXPECT_TRUE(waitFor([&] { return popup->ui()->isVisible(); }));
    SIZE size = popup->ui()->clientSize();
    EXPECT_EQ(size.cx, 410);
    EXPECT_EQ(size.cy, 410);
    GtkAllocation extra;
    gtk_widget_get_allocation(gtkOf(popup)->paneWidget(ui::PaneId::Extra), &extra);
    EXPECT_EQ(extra.width, 410);
    EXPECT_EQ(extra.height, 410);
    for (ui::PaneId pane : {ui::PaneId::TitleBar, ui::PaneId::Portal, ui::PaneId::Browser,
                            ui::PaneId::LocationBar})
        EXPECT_FALSE(gtk_widget_get_visible(gtkOf(popup)->paneWidget(pane)));

    // Closing it by the application leaves the browser window.
    app_->closePopup();
    EXPECT_TRUE(waitFor([&] { return app_->popup() == nullptr; }));
    EXPECT_NE(windows_->dialog(0), nullptr);
}

TEST_F(WindowTest, KeyboardFilterOpensANewWindowOnCtrlN) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    writeFile(dir_ + "here.htm", page("Hier"));
    window->navigateBrowser(dir_ + "here.htm");
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "here.htm"); }));
    pressKey(gtkOf(window)->toplevel(), GDK_KEY_Escape, GdkModifierType(0));
    EXPECT_NE(trace().find("ESC -> return false"), std::string::npos);
    pressKey(gtkOf(window)->toplevel(), GDK_KEY_n, GDK_CONTROL_MASK);
    EXPECT_TRUE(waitFor([&] { return loaded(windows_->dialog(1), ui::PaneId::Browser, "here.htm"); }));
}

TEST_F(WindowTest, LocationBarLoadsTypedAddressesAndRemembersThem) {
    const char* key = "software\\Microsoft\\Internet Explorer\\TypedURLs";
    regDeleteValue(key, "url1");
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    writeFile(dir_ + "typed.htm", page("Getippt"));
    GtkWidget* entry = gtk_bin_get_child(GTK_BIN(gtkOf(window)->paneWidget(ui::PaneId::LocationBar)));
    std::string typed = dir_ + "typed.htm";
    gtk_entry_set_text(GTK_ENTRY(entry), typed.c_str());
    g_signal_emit_by_name(entry, "activate");
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "typed.htm"); }));
    EXPECT_NE(window->ui()->locationText().find("typed.htm"), std::string::npos);

    // The broadcast that ends all browser centers closes the window; the list is written back.
    PostMessageA(window->hwnd(), RegisterWindowMessageA("WM_TN_TERM_APP"), 0, 0);
    EXPECT_TRUE(waitFor([&] { return windows_->dialog(0) == nullptr; }));
    EXPECT_STREQ(regReadString(key, "url1", ""), typed.c_str());
}

}  // namespace

namespace {

// The result of a script in a pane, as text ("" when it gives none).
std::string scriptResult(GtkWidget* view, const char* script,
                         const std::function<bool(const std::function<bool()>&)>& wait) {
    struct Result {
        bool done = false;
        std::string text;
    } result;
    webkit_web_view_evaluate_javascript(
        WEBKIT_WEB_VIEW(view), script, -1, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* async, gpointer data) {
            auto* r = static_cast<Result*>(data);
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(
                    WEBKIT_WEB_VIEW(source), async, nullptr)) {
                gchar* text = jsc_value_to_string(value);
                r->text = text;
                g_free(text);
                g_object_unref(value);
            }
            r->done = true;
        },
        &result);
    wait([&] { return result.done; });
    return result.text;
}

}  // namespace

TEST_F(WindowTest, ConnectionTimersSwitchTheConnectIconAndThePages) {
    writeFile(dir_ + "defhtml/skin.ini",
              "[TitleBar]\nURL=title.htm\nHeight=30\n"
              "[Portal]\nURL=portal.htm\nOfflineURL=portal_off.htm\nX1=0\nY1=30\nX2=-1\nY2=-1\n"
              "[Browser]\nOfflineURL=start.htm\nOnlineURL=online.htm\nX1=20\nY1=80\nX2=-20\n"
              "Y2=-20\n");
    writeFile(dir_ + "defhtml/portal.htm", page("<img id='IDC_CONNECT' src='x.gif'>"));
    writeFile(dir_ + "defhtml/portal_off.htm", page("<img id='IDC_CONNECT' src='x.gif'>"));
    writeFile(dir_ + "defhtml/online.htm", page("Online"));
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    auto wait = [this](const std::function<bool()>& done) { return waitFor(done); };
    GtkWidget* portal = gtkOf(window)->paneWidget(ui::PaneId::Portal);
    const char* icon = "document.getElementById('IDC_CONNECT').getAttribute('src')";

    // Timer 2 (the connection ended): the offline portal, the connect icon.
    window->startTimer(2);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal_off.htm"); }));
    EXPECT_TRUE(waitFor([&] { return scriptResult(portal, icon, wait) == "connect.gif"; }));

    // Timer 1 (connected): the browser leaves the offline page for the online one, the portal
    // its offline page, and the icon offers to disconnect.
    window->navigateBrowser(window->layout().m_BrowserOfflineUrl);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "start.htm"); }));
    window->startTimer(1);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "online.htm"); }));
    ASSERT_TRUE(waitFor([&] {
        return loaded(window, ui::PaneId::Portal, "portal.htm") &&
               !loaded(window, ui::PaneId::Portal, "portal_off.htm");
    }));
    window->startTimer(1);  // the portal is there: only the icon changes
    EXPECT_TRUE(waitFor([&] {
        return scriptResult(portal, icon, wait) == "disconnect.gif";
    }));
}

TEST_F(WindowTest, PageWithUnloadHandlerClosesItsWindowLater) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    navigateBrowser(window, "unload.htm",
                    page("Tsch\xfc\xdf", "<script>window.onunload = function () {};</script>"));
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "unload.htm"); }));
    window->postClose();
    ASSERT_TRUE(waitFor([&] { return !window->ui()->isVisible(); }));
    // Hidden at once, destroyed by timer 3 a few seconds later.
    EXPECT_NE(windows_->dialog(0), nullptr);
    EXPECT_TRUE(waitFor([&] { return windows_->dialog(0) == nullptr; }));
}

TEST_F(WindowTest, PageElementsAreReadAndWrittenInWindows1252) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    navigateBrowser(window, "elements.htm",
                    "<html><head><meta charset='windows-1252'><title>Gr\xfc\xdf" "e</title></head>"
                    "<body><span id='IDC_TEXT' class='k'>Stra\xdf" "e</span>"
                    "<input id='CTN_FIELD' value='\xe4'><div id='CTN_BOX'><b>x</b></div></body></html>");
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "elements.htm"); }));
    ui::SkinnedWindow* ui = window->ui();
    const ui::PaneId browser = ui::PaneId::Browser;
    EXPECT_EQ(ui->locationName(browser), "Gr\xfc\xdf" "e");
    EXPECT_EQ(ui->elementText(browser, "IDC_TEXT"), "Stra\xdf" "e");
    EXPECT_EQ(ui->elementText(browser, "CTN_FIELD"), "\xe4");
    EXPECT_EQ(ui->elementAttribute(browser, "IDC_TEXT", "class"), "k");
    EXPECT_EQ(ui->elementText(browser, "MISSING"), "");
    EXPECT_EQ(ui->elementOuterHtml(browser, "CTN_BOX"), "<div id=\"CTN_BOX\"><b>x</b></div>");

    ui->setElementText(browser, "CTN_FIELD", "\xd6l");
    ui->setElementAttribute(browser, "IDC_TEXT", "class", "neu");
    ui->setElementOuterHtml(browser, "CTN_BOX", "<p id=\"CTN_BOX\">\xdc</p>");
    // Reads wait for the page, after the writes sent before them.
    EXPECT_EQ(ui->elementText(browser, "CTN_FIELD"), "\xd6l");
    EXPECT_EQ(ui->elementAttribute(browser, "IDC_TEXT", "class"), "neu");
    EXPECT_EQ(ui->elementOuterHtml(browser, "CTN_BOX"), "<p id=\"CTN_BOX\">\xdc</p>");
    EXPECT_TRUE(ui->execStandardCommand(browser, 17));
    EXPECT_FALSE(ui->execStandardCommand(browser, 47));
}

namespace {

// Follows a link of a pane as a click on it does, once the page has it.
void clickLink(GtkWidget* view, const char* id,
               const std::function<bool(const std::function<bool()>&)>& wait) {
    std::string script = std::string("(() => { const a = document.getElementById('") + id +
                         "'); if (a) a.click(); return a ? 'ok' : 'missing'; })()";
    EXPECT_TRUE(wait([&] { return scriptResult(view, script.c_str(), wait) == "ok"; })) << id;
}

GtkAllocation allocationOf(GtkWidget* widget) {
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    return allocation;
}

std::string programFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

}  // namespace

TEST_F(WindowTest, PortalAndExtraPaneLinksRunTheirCommands) {
    writeFile(dir_ + "defhtml/portal.htm",
              page("<span id='CTN_EXTRA_VISIBLE'>0</span>"
                   "<a id='move' href='OLECMDID_MOVE:X1=100'>m</a>"
                   "<a id='extra' href='OLECMDID_EXTRA:T=1V=150:side.htm'>e</a>"
                   "<a id='close' href='OLECMDID_CLOSE'>c</a>"));
    writeFile(dir_ + "defhtml/side.htm", page("<a id='out' href='../outside.htm'>o</a>"));
    writeFile(dir_ + "outside.htm", page("Drau\xdf" "en"));
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); }));
    auto wait = [this](const std::function<bool()>& done) { return waitFor(done); };
    GtkWidget* portal = gtkOf(window)->paneWidget(ui::PaneId::Portal);
    GtkWidget* browser = gtkOf(window)->paneWidget(ui::PaneId::Browser);
    GtkWidget* extra = gtkOf(window)->paneWidget(ui::PaneId::Extra);

    // MOVE: the browser pane's left side goes to 100.
    ASSERT_EQ(allocationOf(browser).x, 20);
    clickLink(portal, "move", wait);
    EXPECT_TRUE(waitFor([&] { return allocationOf(browser).x == 100; }));

    // EXTRA: the page docks on the left, 150 wide, and the portal learns it is shown.
    clickLink(portal, "extra", wait);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Extra, "defhtml/side.htm"); }));
    EXPECT_TRUE(waitFor([&] { return allocationOf(extra).width == 150; }));
    EXPECT_EQ(allocationOf(extra).x, 100);
    EXPECT_EQ(allocationOf(browser).x, 251);  // the browser starts one pixel after the extra pane
    EXPECT_EQ(window->ui()->elementText(ui::PaneId::Portal, "CTN_EXTRA_VISIBLE"), "1");
    // Nothing of a command is ever loaded.
    EXPECT_EQ(window->ui()->currentUrl(ui::PaneId::Portal).find("OLECMDID"), std::string::npos);

    // A link of the extra pane out of its folder opens in the browser pane.
    clickLink(extra, "out", wait);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "outside.htm"); }));
    EXPECT_TRUE(loaded(window, ui::PaneId::Extra, "defhtml/side.htm"));

    // CLOSE closes the window.
    clickLink(portal, "close", wait);
    EXPECT_TRUE(waitFor([&] { return windows_->dialog(0) == nullptr; }));
}

TEST_F(WindowTest, TitleBarLinksRunTheirCommands) {
    writeFile(dir_ + "defhtml/title.htm",
              page("<a id='skin' href='OLECMDID_HTTP:hier.htm'>h</a>"
                   "<a id='back' href='OLECMDID_BACK'>b</a>"));
    writeFile(dir_ + "defhtml/hier.htm", page("Hier"));
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::TitleBar, "title.htm"); }));
    auto wait = [this](const std::function<bool()>& done) { return waitFor(done); };
    GtkWidget* title = gtkOf(window)->paneWidget(ui::PaneId::TitleBar);
    // The title bar has no BACK: the word is unknown there.
    clickLink(title, "back", wait);
    EXPECT_TRUE(waitFor([&] { return trace().find("unknown command: \"BACK\"") != std::string::npos; }));
    // "HTTP:" with a plain name loads a page of the skin folder in the browser pane.
    clickLink(title, "skin", wait);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "defhtml/hier.htm"); }));
    EXPECT_TRUE(loaded(window, ui::PaneId::TitleBar, "title.htm"));
}

// With dial-up in use and no connection, a page on the Internet brings up the settings page in
// the popup; the address is loaded once the connection is up.
TEST_F(WindowTest, OfflineLinkOpensTheDialPageAndIsLoadedLater) {
    useDialup();
    writeFile(dir_ + "config/dial.htm", page("W\xe4hlen"));
    writeFile(dir_ + "defhtml/start.htm",
              page("<a id='away' href='http://127.0.0.1:65000/weit.htm'>w</a>"));
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    auto wait = [this](const std::function<bool()>& done) { return waitFor(done); };
    clickLink(gtkOf(window)->paneWidget(ui::PaneId::Browser), "away", wait);
    ASSERT_TRUE(waitFor([&] {
        auto* popup = dynamic_cast<CLmrDlg*>(app_->popup());
        return popup && loaded(popup, ui::PaneId::Extra, "config/dial.htm");
    }));
    EXPECT_TRUE(loaded(window, ui::PaneId::Browser, "start.htm"));

    // Connected: the popup closes and the browser pane goes where the link pointed.
    parts_.connected = app_->settings().entryName();
    app_->OnConnected();
    EXPECT_TRUE(waitFor([&] { return app_->popup() == nullptr; }));
    EXPECT_TRUE(waitFor([&] {
        return window->ui()->currentUrl(ui::PaneId::Browser).find("127.0.0.1:65000/weit.htm") !=
               std::string::npos;
    }));
    // Off line again, so that closing the window does not ask about hanging up.
    parts_.connected.clear();
}

// The packed settings page as the build makes it: filled from the stored settings, and what the
// user changes is taken over into the registry and the settings file.
TEST_F(WindowTest, DialPageIsFilledAndTakenOver) {
    const std::string packed = programFolder() + "config.dat";
    ASSERT_TRUE(std::filesystem::exists(packed)) << packed;
    std::filesystem::copy_file(packed, dir_ + "config.dat");
    useDialup();
    const std::string key = "Software\\" + name_;
    regWriteString(key.c_str(), "PhoneNumber", "0191 011");
    // An address with a character reference in it, as the customer may have typed it.
    const std::string startUrl = "http://www.example.com/?a=1&amp;b=2";
    regWriteString(key.c_str(), "StartUrl", startUrl.c_str());
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    app_->showPopup("dial.htm");
    auto* popup = dynamic_cast<CLmrDlg*>(app_->popup());
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(popup, ui::PaneId::Extra, "config/dial.htm"); }));
    ui::SkinnedWindow* ui = popup->ui();
    const ui::PaneId extra = ui::PaneId::Extra;
    auto wait = [this](const std::function<bool()>& done) { return waitFor(done); };
    GtkWidget* view = gtkOf(popup)->paneWidget(extra);
    // The page copies what the program wrote into its visible fields.
    EXPECT_TRUE(waitFor([&] {
        return scriptResult(view, "document.getElementById('dial-phone').value", wait) ==
               "0191 011";
    }));
    EXPECT_EQ(ui->elementText(extra, "CTN_START_URL"), "http://www.example.com/?a=1&amp;amp;b=2");
    const std::string devices = ui->elementOuterHtml(extra, "CTN_RAS_DEVICE_LIST");
    EXPECT_NE(devices.find(">ISDN 1</option>"), std::string::npos) << devices;
    EXPECT_NE(devices.find(">Modem 2</option>"), std::string::npos) << devices;

    // The user picks the second device, types a new number, name and password and connects.
    scriptResult(view,
                 "document.querySelector('#CTN_RAS_DEVICE_LIST select').selectedIndex = 2;"
                 "document.getElementById('dial-phone').value = '0180 5';"
                 "document.getElementById('dial-user').value = 'm\xc3\xbcller';"
                 "document.getElementById('dial-pass').value = 'geheim'; 'ok'",
                 wait);
    clickLink(view, "dial-connect", wait);
    ASSERT_TRUE(waitFor([&] {
        auto* now = dynamic_cast<CLmrDlg*>(app_->popup());
        return now && loaded(now, ui::PaneId::Extra, "config/aufbauen.htm");
    }));
    EXPECT_STREQ(regReadString(key.c_str(), "PhoneNumber", ""), "0180 5");
    EXPECT_EQ(std::string(regReadString(key.c_str(), "StartUrl", "")), startUrl);
    EXPECT_EQ(app_->settings().userName(), "m\xfcller");
    EXPECT_EQ(app_->settings().password(), "geheim");
    EXPECT_STRNE(regReadString(key.c_str(), "UserName", ""), "");
    EXPECT_STREQ(regReadString(key.c_str(), "SavePassword", ""), "1");
    char device[64] = "";
    GetPrivateProfileStringA("variables", "RasDeviceName", "", device, sizeof device,
                             app_->settings().settingsFileName().c_str());
    EXPECT_TRUE(std::string(device) == "Modem 2" || std::string(device) == "\"Modem 2\"")
        << device;
}

// The window compares pane addresses with the program's own paths: file URLs reach it decoded into
// Windows-1252, so a folder with blanks or umlauts is found in them, and go back out encoded.
TEST(ToolkitAddresses, FileUrlsAreDecodedForTheProgramAndEncodedForTheEngine) {
    const std::string shown = ui::gtk::fromUri("file:///tmp/M%C3%BCll%20Ordner/config/dial.htm");
    EXPECT_EQ(shown, "file:///tmp/M\xfcll Ordner/config/dial.htm");
    EXPECT_TRUE(urlContains(shown.c_str(), "/tmp/M\xfcll Ordner/config\\"));
    EXPECT_EQ(ui::gtk::fromUri("http://host/a%20b"), "http://host/a%20b");
    EXPECT_EQ(ui::gtk::toUri(shown), "file:///tmp/M%C3%BCll%20Ordner/config/dial.htm");
    EXPECT_EQ(ui::gtk::toUri("/tmp/a b.htm#x"), "file:///tmp/a%20b.htm#x");
    EXPECT_EQ(ui::gtk::toUri("file:///tmp/a%20b.htm"), "file:///tmp/a%20b.htm");
    // A Windows path of the prefix is a file below the prefix's drive folder.
    const std::string drive = ui::gtk::toUri("C:\\Programme\\Lumora\\config\\dial.htm");
    EXPECT_EQ(drive.rfind("file:///", 0), 0u) << drive;
    EXPECT_NE(drive.find("/Programme/Lumora/config/dial.htm"), std::string::npos) << drive;
}

namespace {

// A one-request HTTP server on a free local port: it keeps what it was sent and answers with an
// empty page.
class OneRequestServer {
public:
    OneRequestServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(listener_, 1) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~OneRequestServer() {
        shutdown(listener_, 2);
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
    }
    int port() const { return port_; }
    bool done() const { return done_; }
    std::string request() const { return done_ ? request_ : std::string(); }

private:
    void serve() {
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        std::string text;
        char buffer[4096];
        // The head, then as many body bytes as it announces.
        while (true) {
            const size_t end = text.find("\r\n\r\n");
            if (end != std::string::npos) {
                const size_t length = text.find("Content-Length: ");
                const size_t body = length == std::string::npos
                                        ? 0
                                        : std::stoul(text.substr(length + 16));
                if (text.size() >= end + 4 + body) break;
            }
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            text.append(buffer, static_cast<size_t>(got));
        }
        const char answer[] = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html></html>";
        send(client, answer, sizeof answer - 1, 0);
        closesocket(client);
        request_ = text;
        done_ = true;
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    std::string request_;
    std::atomic<bool> done_{false};
};

}  // namespace

TEST_F(WindowTest, LoadWithPostDataSendsTheFormBody) {
    OneRequestServer server;
    ASSERT_NE(server.port(), 0);
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/anmelden";
    window->navigate(PagePane::Browser, url, "name=M%FCller&plan=a+b&leer=");
    ASSERT_TRUE(waitFor([&] { return server.done(); }));
    const std::string request = server.request();
    EXPECT_EQ(request.rfind("POST /anmelden ", 0), 0u) << request;
    EXPECT_NE(request.find("Content-Type: application/x-www-form-urlencoded"), std::string::npos);
    EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), "name=M%FCller&plan=a+b&leer=");
}

// The page commands as the engine hands them over: the four forms of "HTTP:" from a page of the
// skin folder, account data in braces from a page on the web, and a form posted to a command,
// whose fields go with the load. The trace names the window of each of these events.
TEST_F(WindowTest, CommandsReachTheProgramAsThePagesWroteThem) {
    lumora_test::HttpTestServer web;
    ASSERT_TRUE(web.listening());
    web.serveText("/x.htm", page("x"), "");
    const std::string host = "127.0.0.1:" + std::to_string(web.port());
    web.serveText("/portal.htm",
                  page("<a id='connect' href='OLECMDID_CONNECT:number{0190 11}user{m&uuml;ller}"
                       "pass{ge heim}'>c</a>"),
                  "");
    OneRequestServer form;
    ASSERT_NE(form.port(), 0);
    writeFile(dir_ + "defhtml/portal.htm",
              page("<a id='query' href='OLECMDID_HTTP:#" + host + "/x.htm#a=1'>q</a>"
                   "<a id='anchor' href='OLECMDID_HTTP:%23" + host + "/x.htm#a'>a</a>"
                   "<a id='skin' href='OLECMDID_HTTP:hier.htm'>s</a>"
                   "<a id='blank' href='OLECMDID_HTTP:'>b</a>"
                   "<form id='form' method='post' action='OLECMDID_HTTP:%23127.0.0.1:" +
                   std::to_string(form.port()) + "/anmelden'>"
                   "<input name='name' value='M&uuml;ller'><input name='plan' value='a b'>"
                   "<input type='submit' id='send' name='los' value='OK'></form>"));
    writeFile(dir_ + "defhtml/hier.htm", page("Hier"));
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); }));
    auto wait = [this](const std::function<bool()>& done) { return waitFor(done); };
    GtkWidget* portal = gtkOf(window)->paneWidget(ui::PaneId::Portal);
    const std::string base = "http://" + host + "/x.htm";

    // "#": the host's page, each further "#" a query.
    clickLink(portal, "query", wait);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, (base + "?a=1").c_str()); }))
        << window->ui()->currentUrl(ui::PaneId::Browser);
    // "%23": the host's page with its anchor, which is no part of the request.
    web.clearRequests();
    clickLink(portal, "anchor", wait);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, (base + "#a").c_str()); }))
        << window->ui()->currentUrl(ui::PaneId::Browser);
    for (const std::string& request : web.requests())
        EXPECT_EQ(request.find("?a"), std::string::npos) << request;
    // A plain name: a page of the skin folder; nothing: a blank page.
    clickLink(portal, "skin", wait);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "defhtml/hier.htm"); }));
    clickLink(portal, "blank", wait);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "about:blank"); }));

    // A form posted to a command: the browser pane posts its fields to the target.
    clickLink(portal, "send", wait);
    ASSERT_TRUE(waitFor([&] { return form.done(); }));
    const std::string request = form.request();
    EXPECT_EQ(request.rfind("POST /anmelden ", 0), 0u) << request;
    EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), "name=M%FCller&plan=a+b&los=OK");

    // Account data in braces from a portal page on the web.
    window->ui()->navigate(ui::PaneId::Portal, web.url("/portal.htm"));
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "/portal.htm"); }));
    clickLink(portal, "connect", wait);
    EXPECT_TRUE(waitFor([&] { return app_->settings().password() == "ge heim"; }));
    EXPECT_EQ(app_->settings().phoneNumber(), "0190 11");
    EXPECT_EQ(app_->settings().userName(), "m\xfcller");

    // The window's number (0) leads the trace lines of the engine's events.
    const std::string log = trace();
    for (const char* line : {"|  0OnBeforeNavigateBrowser()", "|  0portal document complete",
                             "|  0setting user name"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

namespace {

// The user's pointer: real input events of the X server, which the toolkit receives as from a
// mouse.
class Pointer {
public:
    explicit Pointer(const std::function<bool(const std::function<bool()>&, int)>& pump)
        : pump_(pump), display_(GDK_DISPLAY_XDISPLAY(gdk_display_get_default())) {}
    void moveTo(int x, int y) {
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        settle();
    }
    void button(bool down) {
        XTestFakeButtonEvent(display_, 1, down ? True : False, CurrentTime);
        settle();
    }
    void click(int x, int y) {
        moveTo(x, y);
        button(true);
        button(false);
    }
    // Presses at one point, moves in steps to another and lets go there.
    void drag(int fromX, int fromY, int toX, int toY) {
        moveTo(fromX, fromY);
        button(true);
        for (int step = 1; step <= 10; ++step)
            moveTo(fromX + (toX - fromX) * step / 10, fromY + (toY - fromY) * step / 10);
        button(false);
    }
    void key(KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(display_, symbol);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        settle();
    }

private:
    void settle() {
        XFlush(display_);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(40);
        pump_([&] { return std::chrono::steady_clock::now() > until; }, 5);
    }
    std::function<bool(const std::function<bool()>&, int)> pump_;
    Display* display_;
};

}  // namespace

// Clicking into the address leaves the portal around the location bar drawn, with the pointer
// resting on the address.
TEST_F(WindowTest, ClickingIntoTheAddressKeepsThePortalDrawn) {
    writeSkin(dir_ + "defhtml/", "[LocationBar]\nX1=100\nY1=40\nX2=500\nY2=66\n", "#00ff00");
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); }));
    const RECT frame = window->ui()->windowRect();
    // Points of the portal left of, right of and below the location bar, and its corner.
    const std::vector<std::pair<int, int>> portal = {{50, 50}, {20, 35}, {99, 67}, {300, 75},
                                                     {600, 50}, {5, 70}};
    const auto portalGreen = [&] {
        for (const auto& [x, y] : portal)
            if (screenPixel(frame.left + x, frame.top + y) != 0x00ff00u) return false;
        return true;
    };
    ASSERT_TRUE(waitFor(portalGreen)) << "the portal is not drawn before the click";
    Pointer pointer([this](const std::function<bool()>& done, int seconds) {
        return waitFor(done, seconds);
    });
    pointer.click(frame.left + 300, frame.top + 53);
    GtkWidget* entry =
        gtk_bin_get_child(GTK_BIN(gtkOf(window)->paneWidget(ui::PaneId::LocationBar)));
    ASSERT_TRUE(waitFor([&] { return gtk_widget_has_focus(entry); }));
    // Whatever the click repainted has settled.
    const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    waitFor([&] { return std::chrono::steady_clock::now() > settled; });
    for (const auto& [x, y] : portal)
        EXPECT_EQ(screenPixel(frame.left + x, frame.top + y), 0x00ff00u) << x << "," << y;
}

// The window as the user meets it with the mouse and keyboard: its frame sizes it, the panes and
// the shape follow; the location bar completes typed addresses so that typing goes on over the
// completion, and completes an address without scheme.
TEST_F(WindowTest, MouseAndKeyboardOnTheFrameAndTheLocationBar) {
    lumora_test::HttpTestServer web;
    ASSERT_TRUE(web.listening());
    web.serveText("/index.html", page("Index"), "");
    web.serveText("/x.html", page("X"), "");
    const std::string visited = web.url("/index.html");
    const char* typedKey = "software\\Microsoft\\Internet Explorer\\TypedURLs";
    regWriteString(typedKey, "url1", visited.c_str());
    regDeleteValue(typedKey, "url2");
    writeSkin(dir_ + "defhtml/", "[LocationBar]\nX1=100\nY1=40\nX2=500\nY2=66\n", "#00ff00");
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); }));
    Pointer pointer([this](const std::function<bool()>& done, int seconds) {
        return waitFor(done, seconds);
    });

    // Clicking into the address gives it the keyboard.
    const RECT frame = window->ui()->windowRect();
    pointer.click(frame.left + 300, frame.top + 53);

    // Typing "h" completes the visited address, the completion selected; the next key replaces
    // it, and the completion follows again.
    GtkWidget* entry =
        gtk_bin_get_child(GTK_BIN(gtkOf(window)->paneWidget(ui::PaneId::LocationBar)));
    ASSERT_TRUE(gtk_widget_has_focus(entry));
    gtk_editable_delete_text(GTK_EDITABLE(entry), 0, -1);
    pointer.key(XK_h);
    EXPECT_TRUE(waitFor([&] { return window->ui()->locationText() == visited; }))
        << window->ui()->locationText();
    gint start = 0, end = 0;
    EXPECT_TRUE(gtk_editable_get_selection_bounds(GTK_EDITABLE(entry), &start, &end));
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, static_cast<gint>(visited.size()));
    pointer.key(XK_t);
    EXPECT_TRUE(waitFor([&] { return window->ui()->locationText() == visited; }))
        << window->ui()->locationText();
    EXPECT_TRUE(gtk_editable_get_selection_bounds(GTK_EDITABLE(entry), &start, &end));
    EXPECT_EQ(start, 2);

    // An address typed without a scheme is a web address.
    const std::string bare = "127.0.0.1:" + std::to_string(web.port()) + "/x.html";
    gtk_entry_set_text(GTK_ENTRY(entry), bare.c_str());
    g_signal_emit_by_name(entry, "activate");
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, ("http://" + bare).c_str()); }))
        << window->ui()->currentUrl(ui::PaneId::Browser);
    // The drop-down names every address once.
    GtkTreeModel* list = gtk_combo_box_get_model(
        GTK_COMBO_BOX(gtkOf(window)->paneWidget(ui::PaneId::LocationBar)));
    std::vector<std::string> shown;
    GtkTreeIter row;
    for (gboolean more = gtk_tree_model_get_iter_first(list, &row); more;
         more = gtk_tree_model_iter_next(list, &row)) {
        gchar* text = nullptr;
        gtk_tree_model_get(list, &row, 0, &text, -1);
        shown.push_back(text ? text : "");
        g_free(text);
    }
    std::vector<std::string> unique = shown;
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    EXPECT_EQ(unique.size(), shown.size()) << ::testing::PrintToString(shown);

    // The lower right corner sizes the window; the panes follow.
    const SIZE before = window->ui()->clientSize();
    GtkWidget* browser = gtkOf(window)->paneWidget(ui::PaneId::Browser);
    GtkAllocation browserBefore;
    gtk_widget_get_allocation(browser, &browserBefore);
    pointer.drag(frame.right - 2, frame.bottom - 2, frame.right + 118, frame.bottom + 78);
    EXPECT_TRUE(waitFor([&] { return window->ui()->clientSize().cx >= before.cx + 100; }))
        << window->ui()->clientSize().cx << " was " << before.cx;
    const SIZE after = window->ui()->clientSize();
    EXPECT_GE(after.cy, before.cy + 60);
    EXPECT_TRUE(waitFor([&] {
        GtkAllocation now;
        gtk_widget_get_allocation(browser, &now);
        return now.width == browserBefore.width + (after.cx - before.cx) &&
               now.height == browserBefore.height + (after.cy - before.cy);
    }));
}

namespace {

// Answers the first dialog that comes up (inside its modal loop).
struct DialogAnswer {
    std::function<void(GtkDialog*)> answer;
    bool done = false;
};

gboolean answerDialog(gpointer data) {
    auto* pending = static_cast<DialogAnswer*>(data);
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w && !pending->done; w = w->next) {
        if (!GTK_IS_DIALOG(w->data) || !gtk_widget_get_visible(GTK_WIDGET(w->data))) continue;
        pending->done = true;
        pending->answer(GTK_DIALOG(w->data));
    }
    g_list_free(windows);
    return pending->done ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

GtkEntry* entryOf(GtkDialog* dialog) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_content_area(dialog)));
    GtkEntry* entry = nullptr;
    for (GList* c = children; c && !entry; c = c->next)
        if (GTK_IS_ENTRY(c->data)) entry = GTK_ENTRY(c->data);
    g_list_free(children);
    return entry;
}

void countFound(WebKitFindController*, guint matches, gpointer found) {
    *static_cast<guint*>(found) = matches;
}

}  // namespace

// The standard commands the engine has dialogs for: the page's properties, finding a text, opening
// a file. Each dialog is answered as a user answers it.
TEST_F(WindowTest, StandardCommandsWithDialogsShowThemAndCarryOutTheAnswer) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    navigateBrowser(window, "seite.htm", page("Ein Suchtext steht hier.", "<title>Seite</title>"));
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "seite.htm"); }));
    ui::SkinnedWindow* ui = window->ui();
    auto* view = WEBKIT_WEB_VIEW(gtkOf(window)->paneWidget(ui::PaneId::Browser));

    std::string properties;
    DialogAnswer info{[&](GtkDialog* dialog) {
        gchar* text = nullptr;
        if (GTK_IS_MESSAGE_DIALOG(dialog)) g_object_get(dialog, "text", &text, nullptr);
        properties = text ? text : "";
        g_free(text);
        gtk_dialog_response(dialog, GTK_RESPONSE_OK);
    }};
    g_timeout_add(100, answerDialog, &info);
    EXPECT_TRUE(ui->execStandardCommand(ui::PaneId::Browser, 10));
    EXPECT_NE(properties.find("Titel: Seite"), std::string::npos) << properties;
    EXPECT_NE(properties.find("Adresse: file://"), std::string::npos) << properties;
    EXPECT_NE(properties.find("nicht verschl"), std::string::npos) << properties;

    guint found = 0;
    g_signal_connect(webkit_web_view_get_find_controller(view), "found-text",
                     G_CALLBACK(countFound), &found);
    DialogAnswer search{[](GtkDialog* dialog) {
        if (GtkEntry* entry = entryOf(dialog)) gtk_entry_set_text(entry, "suchtext");
        gtk_dialog_response(dialog, GTK_RESPONSE_ACCEPT);
    }};
    g_timeout_add(100, answerDialog, &search);
    EXPECT_TRUE(ui->execStandardCommand(ui::PaneId::Browser, 32));
    EXPECT_TRUE(waitFor([&] { return found == 1; })) << found;

    writeFile(dir_ + "geoeffnet.htm", page("Ge\xf6" "ffnet"));
    const std::string file = dir_ + "geoeffnet.htm";
    // The chooser takes the name once it has read the folder; the answer comes a moment later.
    DialogAnswer open{[&](GtkDialog* dialog) {
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(dialog), file.c_str());
        g_timeout_add(500, [](gpointer chooser) {
            gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
            return G_SOURCE_REMOVE;
        }, dialog);
    }};
    g_timeout_add(100, answerDialog, &open);
    EXPECT_TRUE(ui->execStandardCommand(ui::PaneId::Browser, 1));
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "geoeffnet.htm"); }));
    g_signal_handlers_disconnect_by_data(webkit_web_view_get_find_controller(view), &found);
}

// The favorites pages in the extra pane, as a skin shows them: folders nest, a shortcut without
// an address keeps its line, names and addresses stay text (an address that tries to close its
// attribute and add a script shows as an address), and the folder lines lead into the folders'
// pages and back. Regenerating drops the pages of folders that are gone.
TEST_F(WindowTest, FavoritesPagesLeadThroughTheirFoldersAndShowNamesAsText) {
    namespace fs = std::filesystem;
    const std::string favorites = lumora_test::scratchDir() + "Favorites";
    fs::create_directories(favorites + "/Nachrichten/Lokal");
    writeFile(favorites + "/Nachrichten/Lokal/Stadt & Land.url",
              "[InternetShortcut]\r\nURL=http://stadt.example/?a=1&b=2\r\n");
    writeFile(favorites + "/Kaputt.url", "[Anders]\r\nx=1\r\n");
    writeFile(favorites + "/Falle.url",
              "[InternetShortcut]\r\nURL=http://x.example/\"><script>document.title='ausgef"
              "uehrt'</script>\r\n");
    convertFavorites(dir_, favorites);
    writeFile(dir_ + "defhtml/portal.htm",
              page("<a id='fav' href='OLECMDID_EXTRA:T=1V=300:Favoriten/index.html'>f</a>"));
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); }));
    auto wait = [this](const std::function<bool()>& done) { return waitFor(done); };
    GtkWidget* extra = gtkOf(window)->paneWidget(ui::PaneId::Extra);
    // Each link of the page shown as "text|address", one a line.
    auto links = [&] {
        return scriptResult(extra,
                            "Array.from(document.links).map(a => a.textContent.trim() + '|' + "
                            "a.getAttribute('href')).join('\\n')",
                            wait);
    };
    auto follow = [&](const char* text) {
        const std::string script =
            std::string("(() => { const a = Array.from(document.links).find(l => "
                        "l.textContent.trim() == '") +
            text + "'); if (a) a.click(); return a ? 'ok' : 'missing'; })()";
        EXPECT_EQ(scriptResult(extra, script.c_str(), wait), "ok") << text;
    };

    clickLink(gtkOf(window)->paneWidget(ui::PaneId::Portal), "fav", wait);
    ASSERT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Extra, "Favoriten/index.html"); }));
    const std::string root = links();
    EXPECT_NE(root.find("Nachrichten|OLECMDID_LOCAL:Nachrichten/index.html"), std::string::npos)
        << root;
    EXPECT_NE(root.find("Kaputt|\n"), std::string::npos) << root;
    EXPECT_NE(root.find("Falle|http://x.example/\"><script>document.title='ausgefuehrt'</script>"),
              std::string::npos)
        << root;
    EXPECT_EQ(scriptResult(extra, "String(document.scripts.length)", wait), "0");
    EXPECT_NE(window->ui()->locationName(ui::PaneId::Extra), "ausgefuehrt");

    follow("Nachrichten");
    ASSERT_TRUE(waitFor(
        [&] { return loaded(window, ui::PaneId::Extra, "Favoriten/Nachrichten/index.html"); }));
    const std::string news = links();
    EXPECT_NE(news.find("CK|../index.html\nLokal|OLECMDID_LOCAL:Lokal/index.html"),
              std::string::npos)
        << news;
    follow("Lokal");
    ASSERT_TRUE(waitFor([&] {
        return loaded(window, ui::PaneId::Extra, "Favoriten/Nachrichten/Lokal/index.html");
    }));
    EXPECT_NE(links().find("Stadt & Land|http://stadt.example/?a=1&b=2"), std::string::npos);
    EXPECT_TRUE(window->ui()->currentUrl(ui::PaneId::Browser).find("stadt") == std::string::npos);

    fs::remove_all(favorites + "/Nachrichten");
    convertFavorites(dir_, favorites);
    EXPECT_FALSE(fs::exists(dir_ + "defhtml/Favoriten/Nachrichten"));
    EXPECT_TRUE(fs::exists(dir_ + "defhtml/Favoriten/index.html"));
}
