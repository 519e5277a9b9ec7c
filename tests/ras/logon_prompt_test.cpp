// The logon prompt of the simulated provider: a top-level window "Benutzeranmeldung" on the X
// display while the dial authenticates, gone afterwards. Runs on an Xvfb display of its own.
#include "ras_fixture.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

using namespace ras_test;

namespace {

// Whether a child of the root window carries the title.
bool windowTitled(Display* display, const char* title) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            found = std::string(name) == title;
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(LogonPrompt, AppearsWhileAuthenticatingAndGoes) {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
    const std::string display = ":" + std::to_string(300 + ::getpid() % 500);
    const pid_t server = ::fork();
    if (server == 0) {
        ::execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "640x480x24", "-nolisten",
                 "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(server, 0);
    const std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
    ASSERT_TRUE(eventually([&] {
        struct stat st{};
        return ::stat(socket.c_str(), &st) == 0;
    }));
    // The service, started by the first remote-access call below, shows its windows here.
    ::setenv("DISPLAY", display.c_str(), 1);
    Display* x = XOpenDisplay(display.c_str());
    ASSERT_TRUE(x != nullptr);

    setProviderNumber("StepDelay", 200);
    setProviderNumber("LogonPrompt", 1);
    makeEntry("Provider");
    DialEvents events;
    RASDIALPARAMSA p = dialParams("Provider", "kunde", "geheim");
    HRASCONN connection = nullptr;
    ASSERT_EQ(RasDialA(nullptr, nullptr, &p, 0xFFFFFFFF, events.window(), &connection), 0u);
    EXPECT_FALSE(windowTitled(x, "Benutzeranmeldung"));
    ASSERT_TRUE(events.waitForState(RASCS_Authenticate));
    EXPECT_TRUE(eventually([&] { return windowTitled(x, "Benutzeranmeldung"); }));
    EXPECT_EQ(events.waitForEnd().back().first, static_cast<DWORD>(RASCS_Connected));
    EXPECT_TRUE(eventually([&] { return !windowTitled(x, "Benutzeranmeldung"); }));
    RasHangUpA(connection);

    XCloseDisplay(x);
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
}

}  // namespace
