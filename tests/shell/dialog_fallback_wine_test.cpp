// The browser center's run with plain dialogs on the Win32 dialogs (under Wine): the program's
// own parts on a machine whose web browser control is too old, an existing customer's account
// shown and dialled. Wine's remote-access service does not dial, so the dial fails to start and
// the progress dialog keeps its failure text with an "OK" button.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app.h"
#include "dial_services.h"
#include "dialog_fallback.h"
#include "dialup_parts.h"
#include "fallback_customer.h"
#include "lmr_windows.h"
#include "packed_archives.h"
#include "ras_calls.h"
#include "registry.h"
#include "settings.h"
#include "skins.h"
#include "status_pages.h"
#include "test_names.h"
#include "testenv.h"
#include "toolkit.h"
#include "signup_parts.h"
#include "win32_framework.h"

namespace {

using fallback_test::activePage;
using fallback_test::Customer;

TEST(DialogFallbackWine, ExistingCustomerDialAndTheFailureText) {
    const std::string devices = listRasDevices();
    if (devices.empty()) GTEST_SKIP() << "no dial device under this Wine";
    const std::string device = devices.substr(0, devices.find('\t'));
    const std::string name = uniqueProgramName();
    const std::string dir = lumora_test::scratchDir();
    const std::string key = "Software\\" + name;
    const std::string entry = name + " Online";
    regWriteString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "Path",
                   "C:\\Programme\\Internet Explorer;", HKEY_LOCAL_MACHINE);
    regWriteString("SOFTWARE\\Microsoft\\Internet Explorer", "Version", "4.71.1712.6",
                   HKEY_LOCAL_MACHINE);
    WritePrivateProfileStringA("Dialup", "UseRas", "1", (dir + name + ".ini").c_str());
    WritePrivateProfileStringA("variables", "RasDeviceName", ("\"" + device + "\"").c_str(),
                               (name + ".dat").c_str());
    regWriteString(key.c_str(), "Installed", "1");
    regWriteString(key.c_str(), "StartupMode", "0");
    regWriteString(key.c_str(), "RasEntryName", entry.c_str());
    regWriteString(key.c_str(), "UserName", scrambleText("kunde").c_str());
    regWriteString(key.c_str(), "Password", scrambleText("geheim").c_str());

    std::string user, status, button;
    Customer customer({{"Dialog Fallback", 134,
                        [&](HWND w) {
                            ui::Dialog& page = activePage(w);
                            user = page.text(1022);
                            page.setChecked(1016, false);
                            page.press(IDOK);
                        }},
                       {"Verbindungsaufbau", 0, [&](HWND w) {
                            ui::Dialog* progress = ui::findDialog(w);
                            status = progress->text(1023);
                            button = progress->text(IDCANCEL);
                            progress->press(IDCANCEL);
                        }}});

    const AppPaths paths = AppPaths::fromPath(dir + name + ".exe");
    Win32Framework framework;
    PackedArchiveFiles archives;
    std::unique_ptr<ui::Toolkit> toolkit = ui::makeToolkit();
    CSkinStore skins(dir, archives);
    DialServices dialServices(paths);
    CLmrWindows windows(*toolkit, skins, dialServices);
    ConfigStatusPages statusPages;
    DialupRas ras;
    MonitoredConnection connection;
    SignupParts signup(dialServices);
    CDialogFallback fallback(framework, dialServices, signup, signup);
    AppServices services{framework, skins,    windows,  statusPages, ras,     connection, dialServices,
                         fallback,  signup,   archives, signup,      signup,  connection};
    {
        CLmrApp app(paths, services);
        windows.attach(app);
        connection.attach(app);
        fallback.attach(app);
        signup.attach(app);
        EXPECT_FALSE(app.InitInstance(("\"" + dir + name + ".exe\"").c_str()));
    }

    EXPECT_EQ(customer.stepsDone(), 2u) << testing::PrintToString(customer.seen());
    EXPECT_EQ(user, "kunde");
    EXPECT_EQ(status, "Beim Herstellen der Verbindung ist ein Fehler aufgetreten.");
    EXPECT_EQ(button, "OK");
    EXPECT_EQ(std::string(regReadString(("Software\\Tarnwell\\AutoDial\\" + entry).c_str(),
                                        "Connected", "")),
              "0");
    EXPECT_EQ(std::string(regReadString(key.c_str(), "Password", "<missing>")), "");
    EXPECT_EQ(std::string(regReadString(key.c_str(), "SavePassword", "")), "0");
}

}  // namespace
