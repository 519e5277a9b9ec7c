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

constexpr int kWidth = 320, kHeight = 160;

// The prompt's face, drawn once into a picture that the X server shows as the window's
// background: the service has no event loop to paint on exposure. A dialog's grey face with the
// two fields and the buttons; nobody answers it in the simulation.
Pixmap face(Display* d, int screen, Window w) {
    const Pixmap picture = XCreatePixmap(d, w, kWidth, kHeight, DefaultDepth(d, screen));
    GC gc = XCreateGC(d, picture, 0, nullptr);
    XColor grey, exact;
    const unsigned long black = BlackPixel(d, screen), white = WhitePixel(d, screen);
    const unsigned long face =
        XAllocNamedColor(d, DefaultColormap(d, screen), "gray83", &grey, &exact) ? grey.pixel
                                                                                  : white;
    XSetForeground(d, gc, face);
    XFillRectangle(d, picture, gc, 0, 0, kWidth, kHeight);
    XSetForeground(d, gc, black);
    auto text = [&](int x, int y, const char* s) {
        XDrawString(d, picture, gc, x, y, s, static_cast<int>(std::strlen(s)));
    };
    auto field = [&](int y, const char* label) {
        text(16, y + 15, label);
        XSetForeground(d, gc, white);
        XFillRectangle(d, picture, gc, 120, y, 180, 22);
        XSetForeground(d, gc, black);
        XDrawRectangle(d, picture, gc, 120, y, 180, 22);
    };
    auto button = [&](int x, const char* label) {
        XDrawRectangle(d, picture, gc, x, 118, 88, 26);
        text(x + 44 - 3 * static_cast<int>(std::strlen(label)), 135, label);
    };
    text(16, 24, "Geben Sie Benutzername und Kennwort ein.");
    field(40, "Benutzername:");
    field(76, "Kennwort:");
    button(112, "OK");
    button(212, "Abbrechen");
    XFreeGC(d, gc);
    return picture;
}

}  // namespace

void LogonPrompt::show() {
    Display* d = display();
    if (!d || window_) return;
    const int screen = DefaultScreen(d);
    const Window w = XCreateSimpleWindow(d, RootWindow(d, screen), 100, 100, kWidth, kHeight, 1,
                                         BlackPixel(d, screen), WhitePixel(d, screen));
    const Pixmap picture = face(d, screen, w);
    XSetWindowBackgroundPixmap(d, w, picture);
    XFreePixmap(d, picture);
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
