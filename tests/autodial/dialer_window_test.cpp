// The whole hand-over on Linux with the real browser center: rasdial dials the provider's entry,
// the custom-dial library starts "lumora -dialer" from an installation folder, the customer dials
// in its popup (clicked with xdotool under Xvfb) and rasdial reports the outcome the browser
// center wrote; a browser center ended by force makes rasdial report 631. AutoDial: a host name
// looked up off line brings up the same dialer before the lookup returns.
#include "auto_dial.h"
#include "machine_registry.h"
#include "ras_api.h"
#include "ras_calls.h"
#include "registry.h"
#include "testenv.h"
#include "xvfb.h"

#include <windows.h>
#include <winsock.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr const char* kEntry = "Lumora Online";

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

struct Outcome {
    int code = -1;
    std::string output;
};

class DialerWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { display_.start("1280x900x24"); }
    static void TearDownTestSuite() { display_.stop(); }

    void SetUp() override {
        if (display_.display().empty()) GTEST_SKIP() << "Xvfb is not installed or does not start";
        if (run("command -v xdotool").empty()) GTEST_SKIP() << "xdotool is not installed";
        install_ = lumora_test::scratchDir();
        const fs::path bin = lumora_test::binaryDir();
        for (const char* file : {"lumora", "rasman", "defhtml.dat", "config.dat"})
            fs::copy_file(bin / file, fs::path(install_) / file);
        for (const auto& item : fs::directory_iterator(bin))
            if (item.path().extension() == ".so")
                fs::copy_file(item.path(), fs::path(install_) / item.path().filename());
        std::ofstream(install_ + "lumora.ini") << "[Dialup]\r\nUseRas=1\r\n";
        // The trace on: the test reads from it when the page is filled.
        std::ofstream(install_ + "lumora.strings") << "114 = \"1\"\n";
        // A customer with an account and a modem, as the demo machine.
        lumora_test::setMachineText("System\\Lumora\\RasDevices", "Simuliertes Modem", "modem");
        regWriteString("Software\\lumora", "StartupMode", "0");
        WritePrivateProfileStringA("variables", "RasDeviceName", "\"Simuliertes Modem\"",
                                   "lumora.dat");
        AutoDialSettings s;
        s.useRas = true;
        s.entryName = kEntry;
        s.phoneNumber = "+49 (0911) 123456";
        s.deviceName = "Simuliertes Modem";
        s.programFolder = install_;
        s.programFile = "lumora";
        ASSERT_TRUE(makeAutoDial(s));
    }
    void TearDown() override {
        if (!getConnectedEntries().empty()) closeRasConnection(kEntry);
        unloadRasApi();
        if (lumora_ > 0) ::kill(lumora_, SIGKILL);
    }

    // rasdial of the entry in the background, ended after a minute at the latest. Its output goes
    // to a file: the browser center it starts inherits it and keeps a pipe open.
    std::future<Outcome> rasdial() {
        const std::string output = install_ + "rasdial.txt";
        const std::string command = "timeout 60 '" + lumora_test::builtProgram("rasdial") +
                                    "' '" + kEntry + "' >'" + output + "' 2>&1";
        return std::async(std::launch::async, [command, output] {
            Outcome o;
            const int status = std::system(command.c_str());
            o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::ifstream text(output);
            o.output.assign(std::istreambuf_iterator<char>(text), std::istreambuf_iterator<char>());
            return o;
        });
    }

    // Waits for the browser center started from the installation folder and its popup; the
    // popup's top-left corner, or false.
    bool waitForPopup(int& x, int& y) {
        for (int i = 0; i < 200; ++i) {
            lumora_ = findLumora();
            const std::string window = run("xdotool search --onlyvisible --name 'Lumora'");
            if (lumora_ > 0 && !window.empty()) {
                const std::string geometry =
                    run("xdotool getwindowgeometry " + window.substr(0, window.find('\n')));
                if (std::sscanf(geometry.c_str() + geometry.find("Position: ") + 10, "%d,%d", &x,
                                &y) == 2 &&
                    geometry.find("Geometry: 410x410") != std::string::npos) {
                    return pageFilled();
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    // The browser center has filled dial.htm (its trace, switched on for the test, says so).
    bool pageFilled() {
        for (int i = 0; i < 100; ++i) {
            std::ifstream trace(install_ + "trace.txt");
            const std::string text((std::istreambuf_iterator<char>(trace)),
                                   std::istreambuf_iterator<char>());
            if (text.find("end of writing") != std::string::npos) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    pid_t findLumora() {
        for (const auto& item : fs::directory_iterator("/proc")) {
            std::error_code ec;
            const fs::path exe = fs::read_symlink(item.path() / "exe", ec);
            if (!ec && exe == fs::path(install_) / "lumora")
                return static_cast<pid_t>(std::atoi(item.path().filename().c_str()));
        }
        return 0;
    }

    // Dials in the popup at x, y: a user name (the simulated provider takes any account), then
    // "Verbinden".
    static void dialInPopup(int x, int y) {
        click(x + 255, y + 160);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        run("xdotool type --delay 50 kunde");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        click(x + 341, y + 378);
    }

    static void click(int x, int y) {
        run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    }

    static inline lumora_test::XvfbServer display_;
    std::string install_;
    pid_t lumora_ = 0;
};

}  // namespace

TEST_F(DialerWindow, TheCustomerDialsInTheDialerPopupAndRasdialReportsTheConnection) {
    std::future<Outcome> dial = rasdial();
    int x = 0, y = 0;
    ASSERT_TRUE(waitForPopup(x, y));
    dialInPopup(x, y);
    const Outcome outcome = dial.get();
    EXPECT_EQ(outcome.code, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("Verbindung mit Lumora Online wurde hergestellt."),
              std::string::npos) << outcome.output;
    EXPECT_EQ(getConnectedEntries(), kEntry);
    EXPECT_STREQ(regReadString("Software\\Tarnwell\\AutoDial\\Lumora Online", "Connected", ""),
                 "1");
}

TEST_F(DialerWindow, ABrowserCenterEndedByForceEndsTheRequestWith631) {
    std::future<Outcome> dial = rasdial();
    int x = 0, y = 0;
    ASSERT_TRUE(waitForPopup(x, y));
    ASSERT_EQ(::kill(lumora_, SIGKILL), 0);
    const Outcome outcome = dial.get();
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.output.find("Remotezugriffsfehler 631"), std::string::npos)
        << outcome.output;
    EXPECT_TRUE(getConnectedEntries().empty());
}

// A program of the prefix looks up a host name that does not resolve while off line: with
// "EnableAutodial" = 1 (makeAutoDial wrote it) rasman dials the Internet entry through its library,
// the customer dials in the browser center's popup, and only then does the lookup (tried again)
// return. On line, or with AutoDial off, a failing lookup starts nothing.
TEST_F(DialerWindow, AHostNameLookedUpOffLineDialsTheInternetEntryFirst) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    // A lookup on a thread of its own, left behind if the test fails while it waits.
    const auto lookUp = [](const char* name) {
        auto found = std::make_shared<std::promise<bool>>();
        std::thread([found, name] { found->set_value(gethostbyname(name) != nullptr); }).detach();
        return found->get_future();
    };
    std::future<bool> offLine = lookUp("lumora-autodial.invalid");
    int x = 0, y = 0;
    ASSERT_TRUE(waitForPopup(x, y));
    EXPECT_EQ(offLine.wait_for(std::chrono::seconds(0)), std::future_status::timeout)
        << "the lookup did not wait for the dial";
    dialInPopup(x, y);
    ASSERT_EQ(offLine.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(offLine.get());
    EXPECT_EQ(getConnectedEntries(), kEntry);
    EXPECT_STREQ(regReadString("Software\\Tarnwell\\AutoDial\\Lumora Online", "Connected", ""),
                 "1");

    // On line: nothing is dialled, no browser center started.
    ::kill(lumora_, SIGKILL);
    while (findLumora() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::future<bool> onLine = lookUp("lumora-autodial-2.invalid");
    ASSERT_EQ(onLine.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(onLine.get());
    EXPECT_EQ(findLumora(), 0);

    // Off line with AutoDial switched off: nothing either.
    closeRasConnection(kEntry);
    regWriteDword("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                  "EnableAutodial", 0);
    std::future<bool> switchedOff = lookUp("lumora-autodial-3.invalid");
    ASSERT_EQ(switchedOff.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(switchedOff.get());
    EXPECT_EQ(findLumora(), 0);
    EXPECT_TRUE(getConnectedEntries().empty());
    WSACleanup();
}

TEST_F(DialerWindow, ABrowserCenterKilledWhileConnectedLeavesTheConnectionForItsNextStart) {
    std::future<Outcome> dial = rasdial();
    int x = 0, y = 0;
    ASSERT_TRUE(waitForPopup(x, y));
    dialInPopup(x, y);
    const Outcome outcome = dial.get();
    ASSERT_EQ(outcome.code, 0) << outcome.output;
    const pid_t connected = findLumora();
    ASSERT_GT(connected, 0) << "the browser center ended after connecting";
    ASSERT_EQ(::kill(connected, SIGKILL), 0);
    for (int i = 0; i < 100 && findLumora() == connected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    lumora_ = 0;

    // The connection belongs to the remote-access service, and what the browser center last
    // wrote still says so.
    EXPECT_EQ(getConnectedEntries(), kEntry);
    EXPECT_STREQ(regReadString("Software\\Tarnwell\\AutoDial\\Lumora Online", "Connected", ""), "1");

    // The next start (as the tray's disconnect command starts it) finds the connection up and
    // asks whether to close it.
    const std::string trace = install_ + "trace.txt";
    fs::remove(trace);
    auto next = std::async(std::launch::async, [this] {
        return run("cd '" + install_ + "' && timeout 60 ./lumora -disconnect");
    });
    std::string text;
    for (int i = 0; i < 300 && text.find("QClose.htm") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream in(trace);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(text.find("-disconnect: active connection: \"Lumora Online\""), std::string::npos) << text;
    lumora_ = findLumora();
    if (lumora_ > 0) ::kill(lumora_, SIGKILL);
    next.get();
    lumora_ = 0;
    EXPECT_EQ(getConnectedEntries(), kEntry);
}
