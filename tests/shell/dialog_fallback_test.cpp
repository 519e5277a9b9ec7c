// The browser center's run with plain dialogs, as the program puts it together, on a machine
// whose web browser control is too old for the pages: the real dialogs on an Xvfb display of
// their own, driven by their control ids the way a customer clicks them, dialling the prefix's
// simulated provider. A screenshot of every dialog is saved for a reader to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <gdk/gdk.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "dial_entry.h"
#include "dial_services.h"
#include "dialog.h"
#include "dialog_fallback.h"
#include "fallback_customer.h"
#include "instance_counter.h"
#include "dialup_parts.h"
#include "lmr_windows.h"
#include "machine_registry.h"
#include "packed_archives.h"
#include "process.h"
#include "registry.h"
#include "settings.h"
#include "sheet.h"
#include "skins.h"
#include "status_pages.h"
#include "test_names.h"
#include "testenv.h"
#include "toolkit.h"
#include "signup_parts.h"
#include "win32_framework.h"
#include "xvfb.h"

namespace {

namespace fs = std::filesystem;
using fallback_test::activePage;
using fallback_test::Clock;
using fallback_test::Customer;

constexpr const char* kDevice = "Simuliertes Modem";
constexpr const char* kSheet = "Dialog Fallback";
constexpr const char* kProgress = "Verbindungsaufbau";
constexpr const char* kQuestion = "Verbindung trennen";
constexpr const char* kLocation =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations\\Location0";

// The screen (a small one, the dialog in the middle), saved as a PNG beside the test binaries.
void screenshot(const std::string& name) {
    GdkWindow* root = gdk_get_default_root_window();
    const char* folder = std::getenv("LUMORA_SCREENSHOTS");
    const fs::path dir =
        folder ? fs::path(folder) : fs::path(lumora_test::binaryDir()) / ".." / "screenshots";
    std::error_code ec;
    fs::create_directories(dir, ec);
    GdkPixbuf* image = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root),
                                                  gdk_window_get_height(root));
    if (!image) return;
    const std::string path = (dir / (name + ".png")).lexically_normal().string();
    if (gdk_pixbuf_save(image, path.c_str(), "png", nullptr, nullptr))
        std::cout << "screenshot: " << path << "\n";
    g_object_unref(image);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DialogFallbackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { display_.start("640x400x24"); }
    static void TearDownTestSuite() { display_.stop(); }

    void SetUp() override {
        if (display_.display().empty()) GTEST_SKIP() << "Xvfb is not installed or does not start";
        before_ = fs::current_path();
        name_ = uniqueProgramName();
        dir_ = lumora_test::scratchDir();
        entry_ = name_ + " Online";
        key_ = "Software\\" + name_;

        // A machine whose browser control is older than the pages need, with a modem, the
        // provider's phonebook entry and a customer whose account the provider knows.
        regWriteString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE",
                       "Path", "C:\\Programme\\Internet Explorer;", HKEY_LOCAL_MACHINE);
        regWriteString("SOFTWARE\\Microsoft\\Internet Explorer", "Version", "4.71.1712.6",
                       HKEY_LOCAL_MACHINE);
        regWriteString("System\\Lumora\\RasDevices", kDevice, "modem", HKEY_LOCAL_MACHINE);
        WritePrivateProfileStringA("Dialup", "UseRas", "1", (dir_ + name_ + ".ini").c_str());
        regWriteString(key_.c_str(), "Installed", "1");
        regWriteString(key_.c_str(), "RasEntryName", entry_.c_str());
        regWriteString(lumora_test::kProviderAccountsKey, "kunde", "geheim", HKEY_LOCAL_MACHINE);
        regWriteString(lumora_test::kProviderKey, "Line", "answer", HKEY_LOCAL_MACHINE);
        lumora_test::setProviderNumber("StepDelay", 300);
        lumora_test::setProviderNumber("LogonPrompt", 0);
        ASSERT_TRUE(loadRasApi());
        makeDialEntry(entry_.c_str(), kDevice);

        // The start page as the installation unpacks it; pages handed to the standard browser
        // reach a probe that records them.
        fs::create_directories(dir_ + "config");
        std::ofstream(dir_ + "config/start.htm") << "<html><body>Start</body></html>";
        probeRecord_ = dir_ + "opened";
        ::setenv("LUMORA_PROBE_RECORD", probeRecord_.c_str(), 1);
        const std::string probe = lumora_test::builtProgram("cmdprobe");
        regWriteString(".htm", nullptr, "htmlfile", HKEY_CLASSES_ROOT);
        regWriteString("htmlfile\\shell\\open\\command", nullptr, (probe + " %1").c_str(),
                       HKEY_CLASSES_ROOT);
    }

    void TearDown() override {
        if (display_.display().empty()) return;
        const std::string connected = getConnectedEntries();
        if (!connected.empty()) closeActiveConnections();
        fs::current_path(before_);
    }

    void recordDevice() {
        WritePrivateProfileStringA("variables", "RasDeviceName",
                                   (std::string("\"") + kDevice + "\"").c_str(),
                                   (name_ + ".dat").c_str());
    }

    // Starts the browser center as the program does; the whole fallback runs inside, while the
    // customer acts. Returns what InitInstance returned.
    bool run() {
        const AppPaths paths = AppPaths::fromPath(dir_ + name_ + ".exe");
        toolkit_ = ui::makeToolkit();
        skins_ = std::make_unique<CSkinStore>(dir_, archives_);
        dialServices_ = std::make_unique<DialServices>(paths);
        windows_ = std::make_unique<CLmrWindows>(*toolkit_, *skins_, *dialServices_);
        signup_ = std::make_unique<SignupParts>(*dialServices_);
        fallback_ = std::make_unique<CDialogFallback>(framework_, *dialServices_, *signup_, *signup_);
        AppServices services{framework_, *skins_,   *windows_, statusPages_, ras_,
                             connection_, *dialServices_, *fallback_, *signup_,    archives_,
                             *signup_,    *signup_,   connection_};
        app_ = std::make_unique<CLmrApp>(paths, services);
        windows_->attach(*app_);
        connection_.attach(*app_);
        fallback_->attach(*app_);
        signup_->attach(*app_);
        const std::string line = "\"" + dir_ + name_ + ".exe\"";
        return app_->InitInstance(line.c_str());
    }

    std::string registry(const char* name) {
        return regReadString(key_.c_str(), name, "<missing>");
    }
    std::string trace() { return fileText(dir_ + "trace.txt"); }
    // What the standard browser was given, once the probe (started, not waited for) wrote it.
    std::string openedPages() {
        const std::string record = probeRecord_ + ".cmdprobe";
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (!fs::exists(record) && Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return fileText(record);
    }

    static inline lumora_test::XvfbServer display_;
    std::string name_, dir_, entry_, key_, probeRecord_;
    fs::path before_;
    Win32Framework framework_;
    PackedArchiveFiles archives_;
    std::unique_ptr<DialServices> dialServices_;
    ConfigStatusPages statusPages_;
    DialupRas ras_;
    MonitoredConnection connection_;
    std::unique_ptr<SignupParts> signup_;
    std::unique_ptr<ui::Toolkit> toolkit_;
    std::unique_ptr<CSkinStore> skins_;
    std::unique_ptr<CLmrWindows> windows_;
    std::unique_ptr<CDialogFallback> fallback_;
    std::unique_ptr<CLmrApp> app_;
};

// No dial device is recorded: the configuration page comes alone, with the machine's countries,
// its location and devices; cancelling it ends the run without a dial and without storing.
TEST_F(DialogFallbackTest, ConfigurationFirstAndCancelEndsWithoutDialling) {
    regWriteString(key_.c_str(), "StartupMode", "0");
    std::string country, firstCountries, device, areaCode;
    int pages = 0;
    LONG countryWidth = 0, deviceWidth = 0, templateWidth = 0;
    Customer customer({{kSheet, 135, [&](HWND w) {
                            pages = ui::findSheet(w)->pageCount();
                            ui::Dialog& page = activePage(w);
                            country = page.itemText(1018, page.selection(1018));
                            firstCountries = page.itemText(1018, 0) + ", " + page.itemText(1018, 1);
                            device = page.itemText(1020, page.selection(1020));
                            areaCode = page.text(1017);
                            // Both lists are 147 dialog units wide, however long their names.
                            const RECT c = page.controlRect(1018), d = page.controlRect(1020);
                            countryWidth = c.right - c.left;
                            deviceWidth = d.right - d.left;
                            templateWidth = (147 * page.baseUnits().x + 2) / 4;
                            screenshot("fallback-135-konfiguration");
                            page.press(1025);
                        }}});
    EXPECT_FALSE(run());
    EXPECT_EQ(customer.stepsDone(), 1u);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(country, "Deutschland");
    // Sorted as the settings page lists them, umlauts with their letters.
    EXPECT_EQ(firstCountries, "Afghanistan, \xc4gypten");
    EXPECT_EQ(device, kDevice);
    EXPECT_EQ(areaCode, "30");
    EXPECT_EQ(countryWidth, templateWidth);
    EXPECT_EQ(deviceWidth, templateWidth);
    EXPECT_EQ(FindWindowA(nullptr, kProgress), nullptr);
    EXPECT_EQ(getConnectedEntries(), "");
    EXPECT_EQ(regReadString(("Software\\Tarnwell\\AutoDial\\" + entry_).c_str(), "Connected",
                            "<missing>"),
              std::string("<missing>"));
    EXPECT_EQ(trace().find("Fallback parameters"), std::string::npos);
}

// The configuration is stored before anything else: the text limits of the two codes hold, a
// country the list does not give ends up as -1, and the device goes to the settings file.
TEST_F(DialogFallbackTest, ConfigurationStoresCodesDeviceAndUnknownCountry) {
    regWriteString(key_.c_str(), "StartupMode", "0");
    Customer customer({{kSheet, 135, [&](HWND w) {
                            ui::Dialog& page = activePage(w);
                            page.setSelection(1018, -1);
                            page.setText(1017, "0301234");
                            page.setText(1019, "0123");
                            page.press(1024);
                        }},
                       {kSheet, 134, [&](HWND w) { activePage(w).press(IDCANCEL); }}});
    EXPECT_FALSE(run());
    EXPECT_EQ(customer.stepsDone(), 2u);
    EXPECT_EQ(regReadDword(kLocation, "Country", 0, HKEY_LOCAL_MACHINE), 0xFFFFFFFFu);
    EXPECT_EQ(std::string(regReadString(kLocation, "AreaCode", "", HKEY_LOCAL_MACHINE)), "030123");
    EXPECT_EQ(std::string(regReadString(kLocation, "OutsideAccess", "", HKEY_LOCAL_MACHINE)),
              "012");
    char device[256] = {};
    GetPrivateProfileStringA("variables", "RasDeviceName", "", device, sizeof device,
                             (name_ + ".dat").c_str());
    EXPECT_EQ(std::string(device), kDevice);
    EXPECT_EQ(getConnectedEntries(), "");
}

// An existing customer: the account page shows the stored account; the options page cancelled
// changes nothing; the dial with the account shown connects although the password is not to be
// kept; the standard browser gets the start page; nobody answers the hang-up question, which
// then closes the connection by itself.
TEST_F(DialogFallbackTest, ExistingCustomerDialsAndTheUnansweredQuestionHangsUp) {
    recordDevice();
    regWriteString(key_.c_str(), "StartupMode", "0");
    regWriteString(key_.c_str(), "UserName", scrambleText("kunde").c_str());
    regWriteString(key_.c_str(), "Password", scrambleText("geheim").c_str());
    std::string user, password;
    bool keep = false;
    std::set<std::string> states;
    bool connectedDuringQuestion = false;
    Customer customer(
        {{kSheet, 134,
          [&](HWND w) {
              ui::Dialog& page = activePage(w);
              user = page.text(1022);
              password = page.text(1018);
              keep = page.checked(1016);
              screenshot("fallback-134-einwahl");
              page.press(1021);
          }},
         {kSheet, 135,
          [&](HWND w) {
              activePage(w).setText(1017, "9999");
              activePage(w).press(1025);
          }},
         {kSheet, 134,
          [&](HWND w) {
              activePage(w).setChecked(1016, false);
              activePage(w).press(IDOK);
          }},
         {kProgress, 0,
          [&](HWND w) {
              states.insert(ui::findDialog(w)->text(1023));
              screenshot("fallback-139-verbindungsaufbau");
          }},
         {kQuestion, 0, [&](HWND) {
              connectedDuringQuestion = !getConnectedEntries().empty();
              screenshot("fallback-140-verbindung-trennen");
          }}});
    EXPECT_FALSE(run());
    EXPECT_EQ(customer.stepsDone(), 5u) << testing::PrintToString(customer.seen());
    EXPECT_EQ(user, "kunde");
    EXPECT_EQ(password, "geheim");
    EXPECT_TRUE(keep);
    EXPECT_FALSE(states.empty());

    // The password was used for the dial but is not kept.
    EXPECT_EQ(regReadString(("Software\\Tarnwell\\AutoDial\\" + entry_).c_str(), "Connected", ""),
              std::string("1"));
    EXPECT_EQ(registry("Password"), "");
    EXPECT_EQ(registry("SavePassword"), "0");
    EXPECT_EQ(registry("UserName"), scrambleText("kunde"));
    EXPECT_EQ(std::string(regReadString(kLocation, "AreaCode", "", HKEY_LOCAL_MACHINE)), "30");
    EXPECT_NE(openedPages().find("start.htm"), std::string::npos) << openedPages();

    EXPECT_TRUE(connectedDuringQuestion);
    EXPECT_EQ(getConnectedEntries(), "");
    const std::string log = trace();
    EXPECT_NE(log.find("closing the connection...\"" + entry_ + "\""), std::string::npos);
    EXPECT_NE(log.find(" Password: ******"), std::string::npos);
    EXPECT_EQ(log.find("geheim"), std::string::npos);
}

// A new customer in signup mode: the choice page, the signup's dial page, a dial of the signup
// node with any account, the signup page in the standard browser; the signup did not finish while
// connected, so the connection goes and the failure is shown.
TEST_F(DialogFallbackTest, NewCustomerDialsTheSignupAndIsToldItFailed) {
    recordDevice();
    regWriteString(key_.c_str(), "StartupMode", "1");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, lumora_test::kProviderAccountsKey);
    std::ofstream(dir_ + "config/signup.htm") << "<html><body>Signup</body></html>";
    bool connectedAtFailure = false;
    Customer customer({{kSheet, 136,
                        [&](HWND w) {
                            screenshot("fallback-136-neukunde");
                            activePage(w).press(1020);
                        }},
                       {kSheet, 138,
                        [&](HWND w) {
                            screenshot("fallback-138-einwahl-neukunde");
                            activePage(w).press(IDOK);
                        }},
                       {"Signup Fehler", 0, [&](HWND w) {
                            connectedAtFailure = !getConnectedEntries().empty();
                            screenshot("fallback-142-signup-fehler");
                            ui::findDialog(w)->press(IDOK);
                        }}});
    EXPECT_FALSE(run());
    EXPECT_EQ(customer.stepsDone(), 3u) << testing::PrintToString(customer.seen());
    EXPECT_NE(openedPages().find("signup.htm"), std::string::npos) << openedPages();
    EXPECT_EQ(regReadString(("Software\\Tarnwell\\AutoDial\\" + entry_).c_str(), "Connected", ""),
              std::string("1"));
    EXPECT_FALSE(connectedAtFailure);
    EXPECT_EQ(getConnectedEntries(), "");
    EXPECT_EQ(registry("StartupMode"), "1");
}

// An existing customer in signup mode: the account page starts empty with the password to be
// kept; the account given ends the signup (the signup node's number, mode "0"), the dial
// connects and the success is shown after the connection has gone.
TEST_F(DialogFallbackTest, ExistingCustomerInSignupModeFinishesTheSignup) {
    recordDevice();
    regWriteString(key_.c_str(), "StartupMode", "1");
    std::string user = "<unread>";
    bool keep = false;
    Customer customer({{kSheet, 136, [&](HWND w) { activePage(w).press(1021); }},
                       {kSheet, 134,
                        [&](HWND w) {
                            ui::Dialog& page = activePage(w);
                            user = page.text(1022);
                            keep = page.checked(1016);
                            page.setText(1022, "kunde");
                            page.setText(1018, "geheim");
                            page.press(IDOK);
                        }},
                       {"Signup erfolgreich", 0, [&](HWND w) {
                            screenshot("fallback-141-signup-erfolgreich");
                            ui::findDialog(w)->press(IDOK);
                        }}});
    EXPECT_FALSE(run());
    EXPECT_EQ(customer.stepsDone(), 3u) << testing::PrintToString(customer.seen());
    EXPECT_EQ(user, "");
    EXPECT_TRUE(keep);
    EXPECT_EQ(registry("StartupMode"), "0");
    EXPECT_EQ(registry("PhoneNumber"), "+49 (1805) 5550199");
    EXPECT_EQ(registry("Password"), scrambleText("geheim"));
    EXPECT_EQ(registry("SavePassword"), "1");
    EXPECT_EQ(regReadString(("Software\\Tarnwell\\AutoDial\\" + entry_).c_str(), "Connected", ""),
              std::string("1"));
    EXPECT_EQ(getConnectedEntries(), "");
}

// Another browser center runs: no sheet, only the question about the connection that is up;
// "Bestehen lassen" leaves it up.
TEST_F(DialogFallbackTest, ASecondInstanceOnlyAsksAboutTheConnection) {
    recordDevice();
    regWriteString(key_.c_str(), "StartupMode", "0");
    const std::string line = "rasdial \"" + entry_ + "\" kunde geheim";
    DWORD code = 1;
    ASSERT_TRUE(runProgram(lumora_test::builtProgram("rasdial").c_str(), line.c_str(), SW_HIDE,
                           true, &code));
    ASSERT_EQ(code, 0u);
    InstanceCounter first(name_);
    first.attach();
    Customer customer({{kQuestion, 0, [&](HWND w) { ui::findDialog(w)->press(IDCANCEL); }}});
    EXPECT_FALSE(run());
    EXPECT_EQ(customer.seen(), std::vector<std::string>{kQuestion});
    EXPECT_EQ(FindWindowA(nullptr, kSheet), nullptr);
    EXPECT_EQ(getConnectedEntries(), entry_);
    const std::string log = trace();
    EXPECT_NE(log.find("this is not the first instance"), std::string::npos);
    EXPECT_NE(log.find("not closing the connection"), std::string::npos);
}

}  // namespace
