// Showing and removing the logon prompt window with Xlib, on one display connection for the
// service.
#include "logon_prompt.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace rasman {
namespace {

constexpr const char* kTitle = "Benutzeranmeldung";

Display* display() {
    static Display* d = [] {
        Display* opened = XOpenDisplay(nullptr);
        if (!opened)
            std::fprintf(stderr, "rasman: no X display: the logon prompt is not shown\n");
        return opened;
    }();
    return d;
}

}  // namespace

void LogonPrompt::show() {
    Display* d = display();
    if (!d || window_) return;
    const int screen = DefaultScreen(d);
    const Window w = XCreateSimpleWindow(d, RootWindow(d, screen), 100, 100, 320, 160, 1,
                                         BlackPixel(d, screen), WhitePixel(d, screen));
    XStoreName(d, w, kTitle);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(kTitle),
                    static_cast<int>(std::strlen(kTitle)));
    const long pid = ::getpid();
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XMapWindow(d, w);
    XFlush(d);
    window_ = w;
}

void LogonPrompt::hide() {
    if (!window_) return;
    Display* d = display();
    XDestroyWindow(d, window_);
    XFlush(d);
    window_ = 0;
}

}  // namespace rasman
