// The browser center as the program puts it together (the real windows, dial-up binding and
// connection monitor, the default skin and status pages as the build packs them), dialling the
// prefix's simulated provider on an Xvfb display of its own: the portal's connect button, the
// progress in the popup, the error page, the hang-up, and connections made by another program.
// Screenshots of the progress page and the error page are saved for a reader to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <gdk/gdkx.h>
#include <ras.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app.h"
#include "dial_services.h"
#include "dialog_fallback.h"
#include "dialup_parts.h"
#include "gtk_window.h"
#include "lmr_dlg.h"
#include "lmr_windows.h"
#include "packed_archives.h"
#include "process.h"
#include "ras_api.h"
#include "ras_calls.h"
#include "registry.h"
#include "settings.h"
#include "signup_parts.h"
#include "skins.h"
#include "status_pages.h"
#include "test_names.h"
#include "dial_entry.h"
#include "machine_registry.h"
#include "testenv.h"
#include "window_support.h"
#include "toolkit.h"
#include "win32_framework.h"
#include "xvfb.h"

namespace {

using window_test::gtkOf;
using window_test::loaded;
using window_test::RecordingWindows;

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr const char* kDevice = "Simuliertes Modem";
// The system's text of a refused logon (691), as the error page shows it.
constexpr const char* kRefused =
    "Der Zugriff wurde verweigert, da Benutzername und/oder Kennwort in der Dom\xE4ne "
    "ung\xFCltig ist.";

class DialWindowTest : public ::testing::Test {
protected:
    // The display is there before the remote-access service starts: the service shows its logon
    // prompt on the display of the process that started it.
    static void SetUpTestSuite() { display_.start(); }
    static void TearDownTestSuite() { display_.stop(); }

    void SetUp() override {
        if (display_.display().empty()) GTEST_SKIP() << "Xvfb is not installed or does not start";
        before_ = fs::current_path();
        name_ = uniqueProgramName();
        dir_ = lumora_test::scratchDir();
        entry_ = name_ + " Online";
        const std::string key = "Software\\" + name_;

        // The installation as the setup leaves it: the program's packed content beside it, a
        // browser control, a modem, the provider's phonebook entry and a customer's account.
        for (const char* archive : {"defhtml.dat", "config.dat"})
            fs::copy_file(lumora_test::binaryDir() + archive, dir_ + archive);
        regWriteString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE",
                       "Path", "C:\\Programme\\Internet Explorer;", HKEY_LOCAL_MACHINE);
        regWriteString("SOFTWARE\\Microsoft\\Internet Explorer", "Version", "5.50.4134.0600",
                       HKEY_LOCAL_MACHINE);
        regWriteString("System\\Lumora\\RasDevices", kDevice, "modem", HKEY_LOCAL_MACHINE);
        WritePrivateProfileStringA("Dialup", "UseRas", "1", (dir_ + name_ + ".ini").c_str());
        WritePrivateProfileStringA("variables", "RasDeviceName",
                                   (std::string("\"") + kDevice + "\"").c_str(),
                                   (name_ + ".dat").c_str());
        regWriteString(key.c_str(), "Installed", "1");
        regWriteString(key.c_str(), "StartupMode", "0");
        regWriteString(key.c_str(), "RasEntryName", entry_.c_str());
        regWriteString(key.c_str(), "UserName", scrambleText("kunde").c_str());
        regWriteString(key.c_str(), "Password", scrambleText("geheim").c_str());

        RegDeleteKeyA(HKEY_LOCAL_MACHINE, lumora_test::kProviderAccountsKey);
        regWriteString(lumora_test::kProviderAccountsKey, "kunde", "geheim", HKEY_LOCAL_MACHINE);
        regWriteString(lumora_test::kProviderKey, "Line", "answer", HKEY_LOCAL_MACHINE);
        lumora_test::setProviderNumber("StepDelay", 150);
        // The dialling lasts long enough for the progress page to load and show it on a busy
        // machine too.
        lumora_test::setProviderNumber("DialDelay", 2000);
        lumora_test::setProviderNumber("LogonPrompt", 0);
        ASSERT_TRUE(loadRasApi());
        makeDialEntry(entry_.c_str(), kDevice);
    }

    void TearDown() override {
        if (windows_) windows_->closeAll([&](const auto& done) { return waitFor(done); });
        app_.reset();
        if (display_.display().empty()) return;
        const std::string connected = getConnectedEntries();
        if (!connected.empty()) closeRasConnection(connected.c_str());
        fs::current_path(before_);
    }

    // Starts the browser center as the program does; returns its browser window (which shows the
    // offline page) once the portal is there.
    CLmrDlg* start() {
        toolkit_ = ui::makeToolkit();
        skins_ = std::make_unique<CSkinStore>(dir_, archives_);
        dialServices_ = std::make_unique<DialServices>(AppPaths::fromPath(dir_ + name_ + ".exe"));
        windows_ = std::make_unique<RecordingWindows>(*toolkit_, *skins_, *dialServices_);
        signup_ = std::make_unique<SignupParts>(*dialServices_);
        fallback_ = std::make_unique<CDialogFallback>(framework_, *dialServices_, *signup_, *signup_);
        AppServices services{framework_, *skins_,   *windows_, statusPages_, ras_,
                             connection_, *dialServices_, *fallback_, *signup_,    archives_,
                             *signup_,    *signup_,   connection_};
        app_ = std::make_unique<CLmrApp>(AppPaths::fromPath(dir_ + name_ + ".exe"), services);
        windows_->real.attach(*app_);
        connection_.attach(*app_);
        fallback_->attach(*app_);
        signup_->attach(*app_);
        const std::string line = "\"" + dir_ + name_ + ".exe\"";
        if (!app_->InitInstance(line.c_str())) return nullptr;
        CLmrDlg* window = windows_->dialog(0);
        if (window == app_->popup()) window = windows_->dialog(1);
        if (!waitFor([&] { return loaded(window, ui::PaneId::Portal, "portal.htm"); })) return nullptr;
        return window;
    }

    bool waitFor(const std::function<bool()>& done, int seconds = 15) {
        return window_test::pumpUntil(done, seconds);
    }


    // What the user does: a click on a link of a pane's page.
    static void clickLink(CLmrDlg* window, ui::PaneId pane, const std::string& href) {
        const std::string script = "document.querySelector('a[href=\"" + href + "\"]').click()";
        webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(gtkOf(window)->paneWidget(pane)),
                                            script.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
                                            nullptr);
    }

    // The popup, once it shows a page whose address contains `page` and has finished loading it.
    CLmrDlg* popupShowing(const char* page) {
        auto* popup = dynamic_cast<CLmrDlg*>(app_->popup());
        return popup && !popup->isClosing() && loaded(popup, ui::PaneId::Extra, page) ? popup
                                                                                       : nullptr;
    }
    std::string connectIcon(CLmrDlg* window) {
        return window->elementAttribute(PagePane::Portal, "IDC_CONNECT", "src");
    }
    bool iconIs(CLmrDlg* window, const char* image) {
        return connectIcon(window).find(image) != std::string::npos;
    }

    // The window's part of the screen, saved as a PNG beside the test binaries. A page that has
    // loaded or changed is painted a moment later, so the events of that moment run first.
    std::string screenshot(CLmrDlg* window, const std::string& name) {
        const auto painted = Clock::now() + std::chrono::milliseconds(300);
        waitFor([&] { return Clock::now() > painted; });
        const char* folder = std::getenv("LUMORA_SCREENSHOTS");
        const fs::path dir = folder ? fs::path(folder)
                                    : fs::path(lumora_test::binaryDir()) / ".." / "screenshots";
        std::error_code ec;
        fs::create_directories(dir, ec);
        const RECT r = window->ui()->windowRect();
        GdkPixbuf* image = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.left, r.top,
                                                      r.right - r.left, r.bottom - r.top);
        if (!image) return std::string();
        const std::string path = (dir / (name + ".png")).lexically_normal().string();
        const bool saved = gdk_pixbuf_save(image, path.c_str(), "png", nullptr, nullptr);
        g_object_unref(image);
        if (saved) std::cout << "screenshot: " << path << "\n";
        return saved ? path : std::string();
    }

    // Waits on the progress page, collecting the status texts it shows, until the dial ends. The
    // page is photographed once it shows the provider's name.
    std::vector<std::string> watchProgress(const std::function<bool()>& ended) {
        std::vector<std::string> texts;
        const std::string calling = rasStateText(RASCS_ConnectDevice);
        waitFor([&] {
            if (CLmrDlg* popup = popupShowing("aufbauen.htm")) {
                std::string text = popup->elementText(PagePane::Extra, "IDC_RAS_STATUS");
                if (texts.empty() || texts.back() != text) texts.push_back(text);
                if (text == calling && progressShot_.empty())
                    progressShot_ = screenshot(popup, "aufbauen");
            }
            return ended();
        });
        return texts;
    }

    int rasdial(const std::string& arguments) {
        const std::string program = lumora_test::builtProgram("rasdial");
        const std::string line = "rasdial \"" + entry_ + "\" " + arguments;
        DWORD code = 0;
        return runProgram(program.c_str(), line.c_str(), SW_HIDE, true, &code) ? int(code) : -1;
    }

    static bool contains(const std::vector<std::string>& texts, const std::string& text) {
        for (const std::string& t : texts)
            if (t == text) return true;
        return false;
    }

    static inline lumora_test::XvfbServer display_;
    std::string name_, dir_, entry_, progressShot_;
    fs::path before_;
    Win32Framework framework_;
    PackedArchiveFiles archives_;
    std::unique_ptr<DialServices> dialServices_;
    ConfigStatusPages statusPages_;
    DialupRas ras_;
    MonitoredConnection connection_;
    std::unique_ptr<SignupParts> signup_;
    std::unique_ptr<CDialogFallback> fallback_;
    std::unique_ptr<ui::Toolkit> toolkit_;
    std::unique_ptr<CSkinStore> skins_;
    std::unique_ptr<RecordingWindows> windows_;
    std::unique_ptr<CLmrApp> app_;
};

TEST_F(DialWindowTest, DialFailAgainConnectAndHangUp) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "start.htm"); }))
        << window->ui()->currentUrl(ui::PaneId::Browser);
    EXPECT_TRUE(iconIs(window, "connect.gif")) << connectIcon(window);

    // A password the provider refuses: the dial ends in the error page with the system's text.
    app_->settings().setPassword("falsch");
    clickLink(window, ui::PaneId::Portal, "OLECMDID_CONNECT");
    std::vector<std::string> progress = watchProgress([&] { return popupShowing("discon.htm"); });
    CLmrDlg* popup = popupShowing("discon.htm");
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(contains(progress, rasStateText(RASCS_ConnectDevice)))
        << ::testing::PrintToString(progress);
    EXPECT_EQ(popup->elementText(PagePane::Extra, "IDC_RAS_ERROR"), kRefused);
    EXPECT_EQ(app_->settings().lastConnectionError(), kRefused);
    EXPECT_TRUE(getConnectedEntries().empty());
    EXPECT_FALSE(screenshot(popup, "discon").empty());

    // "Erneut wählen" with the right password: the progress, then the connection.
    app_->settings().setPassword("geheim");
    clickLink(popup, ui::PaneId::Extra, "aufbauen.htm");
    progress = watchProgress([&] { return iconIs(window, "disconnect.gif"); });
    EXPECT_TRUE(iconIs(window, "disconnect.gif")) << connectIcon(window);
    EXPECT_TRUE(contains(progress, rasStateText(RASCS_Authenticated)))
        << ::testing::PrintToString(progress);
    EXPECT_FALSE(progressShot_.empty());
    EXPECT_EQ(getConnectedEntries(), entry_);
    EXPECT_TRUE(waitFor([&] { return app_->popup() == nullptr; }));
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "online.htm"); }));
    EXPECT_EQ(app_->settings().lastConnectionError(), "");
    // The connection queued the update check in the monitor.
    ASSERT_FALSE(connection_.monitor().updateQueue().empty());
    EXPECT_EQ(connection_.monitor().updateQueue().front().name, "update.ini");

    // The connect button again: the hang-up page, the connection ends, the icon goes back.
    clickLink(window, ui::PaneId::Portal, "OLECMDID_CONNECT");
    EXPECT_TRUE(waitFor([&] { return getConnectedEntries().empty(); }));
    EXPECT_TRUE(waitFor([&] { return iconIs(window, "connect.gif") && !app_->popup(); }))
        << connectIcon(window);
}

// The screen's colours in `area`, every fourth pixel, those inside `skip` as 0xffffffff.
std::vector<unsigned> screenSample(const RECT& area, const RECT& skip) {
    std::vector<unsigned> colours;
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), area.left,
                                                 area.top, area.right - area.left,
                                                 area.bottom - area.top);
    if (!shot) return colours;
    const guchar* pixels = gdk_pixbuf_read_pixels(shot);
    const int stride = gdk_pixbuf_get_rowstride(shot), channels = gdk_pixbuf_get_n_channels(shot);
    for (int y = 0; y < area.bottom - area.top; y += 4)
        for (int x = 0; x < area.right - area.left; x += 4) {
            const int sx = area.left + x, sy = area.top + y;
            const guchar* p = pixels + y * stride + x * channels;
            const bool skipped = sx >= skip.left && sx < skip.right && sy >= skip.top &&
                                 sy < skip.bottom;
            colours.push_back(skipped ? 0xffffffffu : (p[0] << 16) | (p[1] << 8) | p[2]);
        }
    g_object_unref(shot);
    return colours;
}

TEST_F(DialWindowTest, BusyLineAndLogonPromptEndInTheErrorPage) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);

    regWriteString(lumora_test::kProviderKey, "Line", "busy", HKEY_LOCAL_MACHINE);
    clickLink(window, ui::PaneId::Portal, "OLECMDID_CONNECT");
    ASSERT_TRUE(waitFor([&] { return popupShowing("discon.htm") != nullptr; }));
    EXPECT_EQ(popupShowing("discon.htm")->elementText(PagePane::Extra, "IDC_RAS_ERROR"),
              "Die Telefonleitung ist besetzt.");

    // The provider asks for a logon in a window of its own: the dial is given up as refused.
    regWriteString(lumora_test::kProviderKey, "Line", "answer", HKEY_LOCAL_MACHINE);
    lumora_test::setProviderNumber("LogonPrompt", 1);
    // Where the prompt comes up (its window and frame), the screen outside the popup, whose page
    // changes, looks the same before and after it.
    const RECT prompt{100, 100, 422, 262};
    const RECT popupBefore = popupShowing("discon.htm")->ui()->windowRect();
    const std::vector<unsigned> before = screenSample(prompt, popupBefore);
    clickLink(popupShowing("discon.htm"), ui::PaneId::Extra, "aufbauen.htm");
    ASSERT_TRUE(waitFor([&] { return popupShowing("aufbauen.htm") != nullptr; }));
    ASSERT_TRUE(waitFor([&] { return popupShowing("discon.htm") != nullptr; }));
    EXPECT_EQ(popupShowing("discon.htm")->elementText(PagePane::Extra, "IDC_RAS_ERROR"),
              kRefused);
    EXPECT_EQ(popupShowing("discon.htm")->ui()->windowRect().left, popupBefore.left);
    const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    waitFor([&] { return std::chrono::steady_clock::now() > settled; });
    const std::vector<unsigned> after = screenSample(prompt, popupBefore);
    ASSERT_EQ(after.size(), before.size());
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); ++i) changed += before[i] != after[i];
    EXPECT_EQ(changed, 0u) << "of " << before.size() << " points where the logon prompt lay";
    EXPECT_TRUE(waitFor([&] { return getConnectedEntries().empty(); }));
    EXPECT_TRUE(iconIs(window, "connect.gif"));
}

TEST_F(DialWindowTest, ConnectionsOfAnotherProgramAreNoticed) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);

    // The window polls the connections once a second; three seconds leave room for a slow run.
    ASSERT_EQ(rasdial("kunde geheim"), 0);
    EXPECT_TRUE(waitFor([&] { return iconIs(window, "disconnect.gif"); }, 3)) << connectIcon(window);
    EXPECT_TRUE(waitFor([&] { return loaded(window, ui::PaneId::Browser, "online.htm"); }));

    ASSERT_EQ(rasdial("/disconnect"), 0);
    EXPECT_TRUE(waitFor([&] { return iconIs(window, "connect.gif"); }, 3)) << connectIcon(window);
}

// Answers the first message box that comes up, remembering its text.
gboolean answerMessageBox(gpointer data) {
    auto* text = static_cast<std::string*>(data);
    GList* windows = gtk_window_list_toplevels();
    bool answered = false;
    for (GList* w = windows; w && !answered; w = w->next) {
        if (!GTK_IS_MESSAGE_DIALOG(w->data) || !gtk_widget_get_visible(GTK_WIDGET(w->data)))
            continue;
        gchar* shown = nullptr;
        g_object_get(w->data, "text", &shown, nullptr);
        *text = shown ? shown : "";
        g_free(shown);
        gtk_dialog_response(GTK_DIALOG(w->data), IDOK);
        answered = true;
    }
    g_list_free(windows);
    return answered ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

TEST_F(DialWindowTest, TheExtraPaneListsEveryActiveConnectionAndItsConnectHangsThemAllUp) {
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    const std::string second = name_ + " Zweit";
    makeDialEntry(second.c_str(), kDevice);
    ASSERT_EQ(rasdial("kunde geheim"), 0);
    RASDIALPARAMSA params;
    ASSERT_TRUE(getEntryDialParams(second.c_str(), &params));
    std::strcpy(params.szUserName, "kunde");
    std::strcpy(params.szPassword, "geheim");
    HRASCONN handle = nullptr;
    ASSERT_EQ(rasApi().pRasDialA(nullptr, nullptr, &params, 0, nullptr, &handle), 0u);
    ASSERT_EQ(getConnectedEntries(), entry_ + second);

    // The extra pane's connection list, in a message box the user answers.
    const std::string folder = window->skinFolder();
    std::string shown;
    g_timeout_add(100, answerMessageBox, &shown);
    window->onBeforeNavigate(ui::PaneId::Extra, folder + "OLECMDID_ENUM", "");
    EXPECT_EQ(shown, entry_ + "\t" + second);

    // Its connect command hangs up every connection, not only the provider's.
    window->onBeforeNavigate(ui::PaneId::Extra, folder + "OLECMDID_CONNECT", "");
    EXPECT_EQ(getConnectedEntries(), "");
}

TEST_F(DialWindowTest, TheFirstStartsSettingsPageStaysAboveTheBrowserWindow) {
    // No dial device chosen yet: the settings page opens first, the browser window after it.
    WritePrivateProfileStringA("variables", "RasDeviceName", nullptr, (name_ + ".dat").c_str());
    CLmrDlg* window = start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return popupShowing("dial.htm") != nullptr; }));
    CLmrDlg* popup = popupShowing("dial.htm");
    EXPECT_EQ(windows_->dialog(0), popup);

    // The root's children, bottom to top: the popup is above the browser window.
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    const Window popupId = GDK_WINDOW_XID(gtk_widget_get_window(gtkOf(popup)->toplevel()));
    const Window browserId = GDK_WINDOW_XID(gtk_widget_get_window(gtkOf(window)->toplevel()));
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count));
    int popupAt = -1, browserAt = -1;
    for (unsigned i = 0; i < count; ++i) {
        if (children[i] == popupId) popupAt = static_cast<int>(i);
        if (children[i] == browserId) browserAt = static_cast<int>(i);
    }
    XFree(children);
    ASSERT_GE(browserAt, 0);
    EXPECT_GT(popupAt, browserAt);
}

}  // namespace
