// Other programs' X11 top-level windows and the screen, through libxcb loaded at run time. XCB
// rather than Xlib: its errors come back with each request instead of through Xlib's single
// process-wide error handler, which GTK owns in the programs that show windows.
#include "x11windows.h"

#include "cp1252.h"
#include "window.h"

#include <xcb/xcb.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace winapi::user32 {
namespace {

struct Xcb {
    decltype(&xcb_connect) connect;
    decltype(&xcb_connection_has_error) hasError;
    decltype(&xcb_disconnect) disconnect;
    decltype(&xcb_get_setup) getSetup;
    decltype(&xcb_setup_roots_iterator) rootsIterator;
    decltype(&xcb_screen_next) screenNext;
    decltype(&xcb_intern_atom) internAtom;
    decltype(&xcb_intern_atom_reply) internAtomReply;
    decltype(&xcb_get_property) getProperty;
    decltype(&xcb_get_property_reply) getPropertyReply;
    decltype(&xcb_get_property_value) propertyValue;
    decltype(&xcb_get_property_value_length) propertyValueLength;
    decltype(&xcb_send_event) sendEvent;
    decltype(&xcb_flush) flush;
    decltype(&xcb_query_tree) queryTree;
    decltype(&xcb_query_tree_reply) queryTreeReply;
    decltype(&xcb_query_tree_children) treeChildren;
    decltype(&xcb_query_tree_children_length) treeChildrenLength;
    decltype(&xcb_get_window_attributes) getWindowAttributes;
    decltype(&xcb_get_window_attributes_reply) getWindowAttributesReply;
};

const Xcb* loadXcb() {
    static const Xcb* xcb = []() -> const Xcb* {
        void* lib = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return nullptr;
        auto* x = new Xcb;
        bool ok = true;
        auto bind = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(::dlsym(lib, name));
            ok = ok && fn;
        };
        bind(x->connect, "xcb_connect");
        bind(x->hasError, "xcb_connection_has_error");
        bind(x->disconnect, "xcb_disconnect");
        bind(x->getSetup, "xcb_get_setup");
        bind(x->rootsIterator, "xcb_setup_roots_iterator");
        bind(x->screenNext, "xcb_screen_next");
        bind(x->internAtom, "xcb_intern_atom");
        bind(x->internAtomReply, "xcb_intern_atom_reply");
        bind(x->getProperty, "xcb_get_property");
        bind(x->getPropertyReply, "xcb_get_property_reply");
        bind(x->propertyValue, "xcb_get_property_value");
        bind(x->propertyValueLength, "xcb_get_property_value_length");
        bind(x->sendEvent, "xcb_send_event");
        bind(x->flush, "xcb_flush");
        bind(x->queryTree, "xcb_query_tree");
        bind(x->queryTreeReply, "xcb_query_tree_reply");
        bind(x->treeChildren, "xcb_query_tree_children");
        bind(x->treeChildrenLength, "xcb_query_tree_children_length");
        bind(x->getWindowAttributes, "xcb_get_window_attributes");
        bind(x->getWindowAttributesReply, "xcb_get_window_attributes_reply");
        if (!ok) {
            delete x;
            return nullptr;
        }
        return x;
    }();
    return xcb;
}

// The display connection, opened on first use and again after it broke.
class Display {
public:
    static Display& instance() {
        static Display* d = new Display;
        return *d;
    }

    // Runs f(xcb, connection, screen) under the lock; false without a display.
    template <class F>
    bool with(F&& f) {
        std::lock_guard lock(mutex_);
        if (!open()) return false;
        f(*xcb_, connection_, screen_);
        return true;
    }

    xcb_atom_t atom(const char* name) {
        auto it = atoms_.find(name);
        if (it != atoms_.end()) return it->second;
        auto cookie = xcb_->internAtom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_->internAtomReply(connection_, cookie, nullptr);
        xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
        if (a != XCB_ATOM_NONE) atoms_[name] = a;
        return a;
    }

    // The raw value of a property, "" when the window or the property is missing. Lists of
    // windows and numbers are taken in whatever type the writer chose, as long as they are
    // 32-bit items.
    std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        if (name == XCB_ATOM_NONE) return {};
        auto cookie = xcb_->getProperty(connection_, 0, window, name, type, 0, 1 << 20);
        xcb_get_property_reply_t* reply = xcb_->getPropertyReply(connection_, cookie, nullptr);
        if (!reply) return {};
        if (type == XCB_GET_PROPERTY_TYPE_ANY && reply->format != 32) {
            std::free(reply);
            return {};
        }
        // The length is in bytes (libxcb multiplies the item count by the item size).
        std::string value(static_cast<const char*>(xcb_->propertyValue(reply)),
                          static_cast<size_t>(xcb_->propertyValueLength(reply)));
        std::free(reply);
        return value;
    }

private:
    bool open() {
        if (connection_ && !xcb_->hasError(connection_)) return true;
        if (connection_) {
            xcb_->disconnect(connection_);
            connection_ = nullptr;
            atoms_.clear();
        }
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display || !(xcb_ = loadXcb())) return false;
        int number = 0;
        xcb_connection_t* c = xcb_->connect(display, &number);
        if (!c || xcb_->hasError(c)) {
            if (c) xcb_->disconnect(c);
            return false;
        }
        auto it = xcb_->rootsIterator(xcb_->getSetup(c));
        for (int i = 0; i < number && it.rem; ++i) xcb_->screenNext(&it);
        if (!it.rem) {
            xcb_->disconnect(c);
            return false;
        }
        connection_ = c;
        screen_ = it.data;
        return true;
    }

    std::mutex mutex_;
    const Xcb* xcb_ = nullptr;
    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    std::map<std::string, xcb_atom_t> atoms_;
};

// Without a window manager nobody keeps a client list: the top-level windows are then the
// root's mapped children that are not menus or tooltips (override-redirect), bottom to top.
std::vector<uint32_t> mappedRootChildren(const Xcb& xcb, xcb_connection_t* c, xcb_screen_t* screen) {
    std::vector<uint32_t> windows;
    xcb_query_tree_reply_t* tree = xcb.queryTreeReply(c, xcb.queryTree(c, screen->root), nullptr);
    if (!tree) return windows;
    const xcb_window_t* children = xcb.treeChildren(tree);
    const int count = xcb.treeChildrenLength(tree);
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (int i = 0; i < count; ++i) cookies.push_back(xcb.getWindowAttributes(c, children[i]));
    for (int i = 0; i < count; ++i) {
        xcb_get_window_attributes_reply_t* a = xcb.getWindowAttributesReply(c, cookies[i], nullptr);
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && !a->override_redirect)
            windows.push_back(children[i]);
        std::free(a);
    }
    std::free(tree);
    return windows;
}

std::vector<uint32_t> clientList(Display& d, const Xcb& xcb, xcb_connection_t* c,
                                 xcb_screen_t* screen) {
    std::string raw = d.property(screen->root, d.atom("_NET_CLIENT_LIST_STACKING"),
                                 XCB_GET_PROPERTY_TYPE_ANY);
    if (raw.empty()) raw = d.property(screen->root, d.atom("_NET_CLIENT_LIST"),
                                         XCB_GET_PROPERTY_TYPE_ANY);
    std::vector<uint32_t> windows(raw.size() / 4);
    if (!windows.empty()) std::memcpy(windows.data(), raw.data(), windows.size() * 4);
    if (raw.empty() && d.property(screen->root, d.atom("_NET_SUPPORTING_WM_CHECK"),
                                  XCB_GET_PROPERTY_TYPE_ANY).empty())
        windows = mappedRootChildren(xcb, c, screen);
    return {windows.rbegin(), windows.rend()};  // stacking order is bottom to top
}

DWORD pidOf(Display& d, uint32_t window) {
    std::string raw = d.property(window, d.atom("_NET_WM_PID"), XCB_GET_PROPERTY_TYPE_ANY);
    uint32_t pid = 0;
    if (raw.size() >= 4) std::memcpy(&pid, raw.data(), 4);
    return pid;
}

// A top-level window of another program.
class X11Window final : public WindowRef {
public:
    explicit X11Window(uint32_t window) : window_(window) {}

    bool alive() const override {
        bool found = false;
        Display::instance().with([&](const Xcb& xcb, xcb_connection_t* c, xcb_screen_t* screen) {
            for (uint32_t w : clientList(Display::instance(), xcb, c, screen))
                if (w == window_) found = true;
        });
        return found;
    }
    std::string text() const override {
        std::string title;
        Display::instance().with([&](const Xcb&, xcb_connection_t*, xcb_screen_t*) {
            Display& d = Display::instance();
            std::string utf8 = d.property(window_, d.atom("_NET_WM_NAME"), d.atom("UTF8_STRING"));
            title = utf8.empty() ? d.property(window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING)
                                 : utf8ToCp1252(utf8);
        });
        return title;
    }
    std::string className() const override {
        std::string name;
        Display::instance().with([&](const Xcb&, xcb_connection_t*, xcb_screen_t*) {
            // WM_CLASS holds "instance\0class\0"; the class is the program's general name.
            std::string raw = Display::instance().property(window_, XCB_ATOM_WM_CLASS,
                                                           XCB_ATOM_STRING);
            size_t split = raw.find('\0');
            if (split != std::string::npos) name = raw.substr(split + 1);
            if (!name.empty() && name.back() == '\0') name.pop_back();
        });
        return name;
    }
    DWORD processId() const override {
        DWORD pid = 0;
        Display::instance().with([&](const Xcb&, xcb_connection_t*, xcb_screen_t*) {
            pid = pidOf(Display::instance(), window_);
        });
        return pid;
    }
    DWORD threadId() const override { return 0; }
    // Other programs only understand being asked to close, through the window manager.
    bool post(UINT msg, WPARAM, LPARAM) override {
        if (msg != WM_CLOSE) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        bool sent = false;
        Display::instance().with([&](const Xcb& xcb, xcb_connection_t* c, xcb_screen_t* screen) {
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = window_;
            event.type = Display::instance().atom("_NET_CLOSE_WINDOW");
            event.data.data32[0] = XCB_CURRENT_TIME;
            event.data.data32[1] = 2;  // from a pager-like tool
            if (event.type == XCB_ATOM_NONE) return;
            xcb.sendEvent(c, 0, screen->root,
                          XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                          reinterpret_cast<const char*>(&event));
            sent = xcb.flush(c) > 0;
        });
        if (!sent) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return sent;
    }

private:
    uint32_t window_;
};

std::mutex& handlesMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

}  // namespace

std::vector<HWND> x11Windows(const std::set<DWORD>& skipProcesses) {
    std::vector<std::pair<uint32_t, DWORD>> clients;
    Display::instance().with([&](const Xcb& xcb, xcb_connection_t* c, xcb_screen_t* screen) {
        for (uint32_t w : clientList(Display::instance(), xcb, c, screen))
            clients.emplace_back(w, pidOf(Display::instance(), w));
    });
    static std::map<uint32_t, HWND>* handles = new std::map<uint32_t, HWND>;
    std::vector<HWND> out;
    std::lock_guard lock(handlesMutex());
    for (auto [window, pid] : clients) {
        if (pid && skipProcesses.count(pid)) continue;
        HWND& handle = (*handles)[window];
        if (!handle) handle = addHandle<HWND>(std::make_shared<X11Window>(window));
        out.push_back(handle);
    }
    return out;
}

bool x11ScreenSize(int& width, int& height) {
    return Display::instance().with([&](const Xcb&, xcb_connection_t*, xcb_screen_t* screen) {
        width = screen->width_in_pixels;
        height = screen->height_in_pixels;
    });
}

bool x11WorkArea(RECT& area) {
    bool found = false;
    Display::instance().with([&](const Xcb&, xcb_connection_t*, xcb_screen_t* screen) {
        Display& d = Display::instance();
        std::string raw = d.property(screen->root, d.atom("_NET_WORKAREA"),
                                     XCB_GET_PROPERTY_TYPE_ANY);
        if (raw.size() < 16) return;
        uint32_t v[4];
        std::memcpy(v, raw.data(), sizeof v);
        area = RECT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]),
                    static_cast<LONG>(v[0] + v[2]), static_cast<LONG>(v[1] + v[3])};
        found = v[2] > 0 && v[3] > 0;
    });
    return found;
}

}  // namespace winapi::user32
