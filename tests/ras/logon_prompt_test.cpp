// The logon prompt of the simulated provider: a top-level window "Benutzeranmeldung" on the X
// display while the dial authenticates, waiting for an answer, gone when the dial is hung up.
// Runs on an Xvfb display of its own.
#include "ras_fixture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "xvfb.h"

using namespace ras_test;

namespace {

// The child of the root window that carries the title (0 for none).
Window windowTitled(Display* display, const char* title) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == title) found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

// How many pixels of the window are black: its labels, fields and buttons.
int blackPixels(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return 0;
    // A window that is named but not yet mapped has no pixels to read.
    if (attributes.map_state != IsViewable) return 0;
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                              AllPlanes, ZPixmap);
    if (!image) return 0;
    int black = 0;
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            if (XGetPixel(image, x, y) == BlackPixel(display, DefaultScreen(display))) ++black;
    XDestroyImage(image);
    return black;
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

TEST(LogonPrompt, AppearsWhileAuthenticatingAndWaitsForTheUser) {
    // The service, started by the first remote-access call below, shows its windows on the
    // display it inherits.
    lumora_test::XvfbServer server;
    if (!server.start()) GTEST_SKIP() << "Xvfb is not installed or does not start";
    Display* x = XOpenDisplay(server.display().c_str());
    ASSERT_TRUE(x != nullptr);
    // The prompt belongs to another process and may change between two requests of ours; an
    // error about it reads as "nothing there" instead of ending the test process.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });

    setProviderNumber("StepDelay", 100);
    setProviderNumber("LogonPrompt", 1);
    makeEntry("Provider");
    DialEvents events;
    RASDIALPARAMSA p = dialParams("Provider", "kunde", "geheim");
    HRASCONN connection = nullptr;
    ASSERT_EQ(RasDialA(nullptr, nullptr, &p, 0xFFFFFFFF, events.window(), &connection), 0u);
    EXPECT_FALSE(windowTitled(x, "Benutzeranmeldung"));
    ASSERT_TRUE(events.waitForState(RASCS_Authenticate));
    EXPECT_TRUE(eventually([&] { return windowTitled(x, "Benutzeranmeldung") != 0; }));
    // It is a dialog with its fields and buttons, not an empty box.
    EXPECT_TRUE(eventually(
        [&] { return blackPixels(x, windowTitled(x, "Benutzeranmeldung")) > 500; }));
    // Nobody answers it: the dial stays where it is, many steps later.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    RASCONNSTATUSA status{};
    status.dwSize = sizeof status;
    ASSERT_EQ(RasGetConnectStatusA(connection, &status), 0u);
    EXPECT_EQ(status.rasconnstate, RASCS_Authenticate);
    EXPECT_NE(windowTitled(x, "Benutzeranmeldung"), 0u);
    // Hanging up takes the prompt away.
    RasHangUpA(connection);
    EXPECT_TRUE(eventually([&] { return windowTitled(x, "Benutzeranmeldung") == 0; }));

    XCloseDisplay(x);
}

}  // namespace
