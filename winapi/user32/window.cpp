// Window classes and this process's windows: creation and destruction with their messages, the
// default window procedure, window longs and texts.
#include "window.h"

#include "atoms.h"
#include "bus.h"
#include "cp1252.h"
#include "peers.h"
#include "queue.h"
#include "x11windows.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <set>
#include <unordered_map>

namespace winapi::user32 {
namespace {

struct State {
    std::unordered_map<std::string, std::shared_ptr<const WindowClass>> classes;  // folded name
    std::vector<HWND> windows;  // newest first
};

State& state() {
    static State* s = new State;  // the bus thread may look at windows until exit
    return *s;
}

std::shared_ptr<const WindowClass> findClass(LPCSTR name) {
    State& s = state();
    if (isIntAtom(name)) {
        const UINT atom = static_cast<UINT>(reinterpret_cast<uintptr_t>(name));
        for (auto& [key, cls] : s.classes)
            if (cls->atom == atom) return cls;
        return nullptr;
    }
    auto it = s.classes.find(cp1252Lower(name));
    return it == s.classes.end() ? nullptr : it->second;
}

ATOM registerClass(UINT style, WNDPROC proc, int wndExtra, HINSTANCE instance, LPCSTR name) {
    if (!name || isIntAtom(name) || !*name || !proc || wndExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        std::lock_guard lock(windowMutex());
        std::string folded = cp1252Lower(name);
        if (state().classes.count(folded)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
        auto cls = std::make_shared<WindowClass>();
        cls->name = name;
        cls->atom = static_cast<ATOM>(registerAtom(name));
        if (!cls->atom) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        cls->style = style;
        cls->proc = proc;
        cls->wndExtra = wndExtra;
        cls->instance = instance;
        state().classes.emplace(std::move(folded), cls);
        return cls->atom;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

bool sameThread(const Window& w) { return w.queue->threadId() == MessageQueue::current()->threadId(); }

// The window's procedure, called on its own thread.
LRESULT callProc(const std::shared_ptr<Window>& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        std::lock_guard lock(windowMutex());
        proc = w->proc;
    }
    return proc ? proc(w->hwnd, msg, wParam, lParam) : 0;
}

// Children and owned windows of a window, newest first.
std::vector<std::shared_ptr<Window>> related(HWND hwnd, bool children) {
    std::vector<std::shared_ptr<Window>> out;
    std::lock_guard lock(windowMutex());
    for (HWND h : state().windows) {
        auto w = handleObject<Window>(h);
        if (w && (children ? w->parent : w->owner) == hwnd) out.push_back(w);
    }
    return out;
}

void sendDestroy(const std::shared_ptr<Window>& w) {
    callProc(w, WM_DESTROY, 0, 0);
    for (auto& child : related(w->hwnd, true)) sendDestroy(child);
}

// Children first, then the window itself: WM_NCDESTROY is the last message a window gets.
void finishDestroy(const std::shared_ptr<Window>& w) {
    for (auto& child : related(w->hwnd, true)) finishDestroy(child);
    w->queue->killWindowTimers(w->hwnd);
    callProc(w, WM_NCDESTROY, 0, 0);
    {
        std::lock_guard lock(windowMutex());
        std::erase(state().windows, w->hwnd);
    }
    w->queue->purgeWindow(w->hwnd);
    HandleTable::instance().remove(HandleTable::toValue(w->hwnd));
}

// Windows-1252 text of a window-text buffer protocol: copies at most size-1 characters and a NUL.
int copyText(const std::string& text, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    const int n = std::min<int>(static_cast<int>(text.size()), size - 1);
    std::memcpy(buffer, text.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

bool setTitle(const std::shared_ptr<Window>& w, LPCSTR text) {
    std::string cls;
    std::string title = text && !isIntAtom(text) ? text : "";
    bool published;
    {
        std::lock_guard lock(windowMutex());
        w->title = title;
        published = w->topLevel() && !w->destroying;
        cls = w->windowClass->name;
    }
    if (published) publishWindow(w->hwnd, cls, title);
    return true;
}

// Reads or writes one window long. `size` is sizeof(LONG) or sizeof(LONG_PTR).
bool windowLong(HWND hwnd, int index, size_t size, const LONG_PTR* newValue, LONG_PTR& oldValue) {
    auto w = localWindow(hwnd);
    if (!w) {
        SetLastError(anyWindow(hwnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    std::lock_guard lock(windowMutex());
    if (index >= 0) {
        if (static_cast<size_t>(index) + size > w->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return false;
        }
        unsigned char* at = w->extra.data() + index;
        if (size == sizeof(LONG)) {
            LONG v;
            std::memcpy(&v, at, sizeof v);
            oldValue = v;
            if (newValue) {
                v = static_cast<LONG>(*newValue);
                std::memcpy(at, &v, sizeof v);
            }
        } else {
            std::memcpy(&oldValue, at, sizeof oldValue);
            if (newValue) std::memcpy(at, newValue, sizeof *newValue);
        }
        return true;
    }
    // Pointer-sized values cannot be read or written through the 32-bit functions on a 64-bit
    // system; the system code uses the Ptr functions for them.
    const bool pointerIndex =
        index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT;
    if (pointerIndex && size != sizeof(LONG_PTR)) {
        SetLastError(ERROR_INVALID_INDEX);
        return false;
    }
    auto update = [&](auto& field) {
        oldValue = static_cast<LONG_PTR>(field);
        if (newValue) field = static_cast<std::remove_reference_t<decltype(field)>>(*newValue);
    };
    switch (index) {
    case GWLP_USERDATA: update(w->userData); break;
    case GWLP_ID: update(w->id); break;
    case GWL_STYLE: update(w->style); break;
    case GWL_EXSTYLE: update(w->exStyle); break;
    case GWLP_WNDPROC:
        oldValue = reinterpret_cast<LONG_PTR>(w->proc);
        if (newValue) w->proc = reinterpret_cast<WNDPROC>(*newValue);
        break;
    case GWLP_HINSTANCE:
        oldValue = reinterpret_cast<LONG_PTR>(w->instance);
        if (newValue) w->instance = reinterpret_cast<HINSTANCE>(*newValue);
        break;
    case GWLP_HWNDPARENT:
        if (newValue) {
            SetLastError(ERROR_INVALID_INDEX);
            return false;
        }
        oldValue = reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
        break;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return false;
    }
    if (size == sizeof(LONG)) oldValue = static_cast<LONG>(oldValue);
    return true;
}

// Every top-level window that EnumWindows and FindWindowA see: this process's, then the other
// processes' of the prefix, then other programs' X11 windows.
std::vector<HWND> allTopLevelWindows();

}  // namespace

// --- Window --------------------------------------------------------------------------------

bool Window::alive() const {
    std::lock_guard lock(windowMutex());
    return std::find(state().windows.begin(), state().windows.end(), hwnd) != state().windows.end();
}

std::string Window::text() const {
    std::lock_guard lock(windowMutex());
    return title;
}

std::string Window::className() const { return windowClass->name; }

DWORD Window::processId() const { return static_cast<DWORD>(::getpid()); }

DWORD Window::threadId() const { return queue->threadId(); }

bool Window::post(UINT msg, WPARAM wParam, LPARAM lParam) {
    return queue->post(hwnd, msg, wParam, lParam);
}

std::mutex& windowMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::shared_ptr<Window> localWindow(HWND hwnd) { return handleObject<Window>(hwnd); }

std::shared_ptr<WindowRef> anyWindow(HWND hwnd) {
    auto w = handleObject<WindowRef>(hwnd);
    return w && w->alive() ? w : nullptr;
}

std::vector<std::shared_ptr<Window>> localTopLevelWindows() {
    std::vector<std::shared_ptr<Window>> out;
    std::lock_guard lock(windowMutex());
    for (HWND h : state().windows) {
        auto w = handleObject<Window>(h);
        if (w && w->topLevel() && !w->destroying) out.push_back(std::move(w));
    }
    return out;
}

void forgetThreadWindows(DWORD threadId) {
    std::vector<std::shared_ptr<Window>> gone;
    {
        std::lock_guard lock(windowMutex());
        for (HWND h : state().windows) {
            auto w = handleObject<Window>(h);
            if (w && w->queue->threadId() == threadId) gone.push_back(std::move(w));
        }
        for (auto& w : gone) {
            w->destroying = true;
            std::erase(state().windows, w->hwnd);
        }
    }
    for (auto& w : gone) {
        if (w->topLevel()) withdrawWindow(w->hwnd);
        HandleTable::instance().remove(HandleTable::toValue(w->hwnd));
    }
}

bool isSelfOrDescendant(HWND ancestor, HWND hwnd) {
    std::lock_guard lock(windowMutex());
    for (int depth = 0; hwnd && depth < 64; ++depth) {
        if (hwnd == ancestor) return true;
        auto w = handleObject<Window>(hwnd);
        hwnd = w ? w->parent : nullptr;
    }
    return false;
}

namespace {

std::vector<HWND> allTopLevelWindows() {
    std::vector<HWND> out;
    for (auto& w : localTopLevelWindows()) out.push_back(w->hwnd);
    std::set<DWORD> covered{static_cast<DWORD>(::getpid())};
    for (const PeerHandle& p : peerWindows()) {
        out.push_back(p.hwnd);
        covered.insert(p.processId);
    }
    for (HWND h : x11Windows(covered)) out.push_back(h);
    return out;
}

}  // namespace
}  // namespace winapi::user32

using namespace winapi;
using namespace winapi::user32;

extern "C" {

ATOM WINAPI RegisterClassA(CONST WNDCLASSA* lpWndClass) {
    if (!lpWndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(lpWndClass->style, lpWndClass->lpfnWndProc, lpWndClass->cbWndExtra,
                         lpWndClass->hInstance, lpWndClass->lpszClassName);
}

ATOM WINAPI RegisterClassExA(CONST WNDCLASSEXA* lpWndClass) {
    if (!lpWndClass || lpWndClass->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(lpWndClass->style, lpWndClass->lpfnWndProc, lpWndClass->cbWndExtra,
                         lpWndClass->hInstance, lpWndClass->lpszClassName);
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    std::lock_guard lock(windowMutex());
    auto cls = lpClassName ? findClass(lpClassName) : nullptr;
    if (!cls) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (HWND h : state().windows) {
        auto w = handleObject<Window>(h);
        if (w && w->windowClass == cls) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    state().classes.erase(cp1252Lower(cls->name));
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName,
                            DWORD dwStyle, int X, int Y, int nWidth, int nHeight, HWND hWndParent,
                            HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
    registerSystemClasses();
    std::shared_ptr<Window> w;
    try {
        std::shared_ptr<const WindowClass> cls;
        {
            std::lock_guard lock(windowMutex());
            cls = lpClassName ? findClass(lpClassName) : nullptr;
        }
        if (!cls) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        w = std::make_shared<Window>();
        if (hWndParent == HWND_MESSAGE) {
            w->messageOnly = true;
        } else if (hWndParent) {
            if (!localWindow(hWndParent)) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            (dwStyle & WS_CHILD ? w->parent : w->owner) = hWndParent;
        } else if (dwStyle & WS_CHILD) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        w->queue = MessageQueue::current();
        w->windowClass = cls;
        w->proc = cls->proc;
        w->style = dwStyle;
        w->exStyle = dwExStyle;
        w->instance = hInstance;
        w->extra.assign(static_cast<size_t>(cls->wndExtra), 0);
        if (dwStyle & WS_CHILD) w->id = reinterpret_cast<LONG_PTR>(hMenu);
        // A top-level window receives broadcasts from the moment it exists.
        if (w->topLevel()) joinBus();
        w->hwnd = addHandle<HWND>(w);
        {
            std::lock_guard lock(windowMutex());
            state().windows.insert(state().windows.begin(), w->hwnd);
        }
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    CREATESTRUCTA cs{};
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = hWndParent;
    cs.x = X;
    cs.y = Y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;
    if (!callProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        {
            std::lock_guard lock(windowMutex());
            w->destroying = true;
        }
        finishDestroy(w);
        return nullptr;
    }
    if (callProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(w->hwnd);
        return nullptr;
    }
    std::string title;
    bool publish;
    {
        std::lock_guard lock(windowMutex());
        title = w->title;
        publish = w->topLevel() && !w->destroying;
    }
    if (publish) publishWindow(w->hwnd, w->windowClass->name, title);
    return w->hwnd;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    auto w = localWindow(hWnd);
    if (!w) {
        SetLastError(anyWindow(hWnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!sameThread(*w)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    {
        std::lock_guard lock(windowMutex());
        if (w->destroying) return TRUE;
        w->destroying = true;
    }
    // Other processes stop seeing the window before it starts going away.
    if (w->topLevel()) withdrawWindow(hWnd);
    for (auto& owned : related(hWnd, false)) DestroyWindow(owned->hwnd);
    sendDestroy(w);
    finishDestroy(w);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return hWnd && anyWindow(hWnd) ? TRUE : FALSE; }

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto w = localWindow(hWnd);
    if (!w) return 0;
    switch (Msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        try {
            setTitle(w, cs ? cs->lpszName : nullptr);
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SETTEXT:
        try {
            return setTitle(w, reinterpret_cast<LPCSTR>(lParam));
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
    case WM_GETTEXT:
        return copyText(w->text(), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text().size());
    case WM_QUERYENDSESSION:
        return TRUE;
    default:
        return 0;
    }
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    LONG_PTR old = 0;
    return windowLong(hWnd, nIndex, sizeof(LONG), nullptr, old) ? static_cast<LONG>(old) : 0;
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    LONG_PTR value = dwNewLong, old = 0;
    return windowLong(hWnd, nIndex, sizeof(LONG), &value, old) ? static_cast<LONG>(old) : 0;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    LONG_PTR old = 0;
    return windowLong(hWnd, nIndex, sizeof(LONG_PTR), nullptr, old) ? old : 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    LONG_PTR old = 0;
    return windowLong(hWnd, nIndex, sizeof(LONG_PTR), &dwNewLong, old) ? old : 0;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (!localWindow(hWnd)) {
        SetLastError(anyWindow(hWnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString && nMaxCount > 0) lpString[0] = '\0';
    auto ref = anyWindow(hWnd);
    if (!ref) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!lpString || nMaxCount <= 0) return 0;
    // Windows asks a window of the calling thread for its text; others' texts are read directly.
    auto w = std::dynamic_pointer_cast<Window>(ref);
    if (w && sameThread(*w))
        return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                             reinterpret_cast<LPARAM>(lpString)));
    try {
        return copyText(ref->text(), lpString, nMaxCount);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    auto ref = anyWindow(hWnd);
    if (!ref) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto w = std::dynamic_pointer_cast<Window>(ref);
    if (w && sameThread(*w)) return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
    try {
        return static_cast<int>(ref->text().size());
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    auto ref = anyWindow(hWnd);
    if (!ref) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    try {
        return copyText(ref->className(), lpClassName, nMaxCount);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    try {
        std::string className;
        if (lpClassName && isIntAtom(lpClassName)) {
            className = atomName(static_cast<UINT>(reinterpret_cast<uintptr_t>(lpClassName)));
            if (className.empty()) return nullptr;
        } else if (lpClassName) {
            className = lpClassName;
        }
        for (HWND h : allTopLevelWindows()) {
            auto ref = anyWindow(h);
            if (!ref) continue;
            if (lpClassName && !equalsIgnoreCase(ref->className(), className)) continue;
            if (lpWindowName && !equalsIgnoreCase(ref->text(), lpWindowName)) continue;
            return h;
        }
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return nullptr;
}

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (!lpEnumFunc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<HWND> windows;
    try {
        windows = allTopLevelWindows();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    for (HWND h : windows)
        if (!lpEnumFunc(h, lParam)) return FALSE;
    return TRUE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    auto ref = anyWindow(hWnd);
    if (!ref) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpdwProcessId) *lpdwProcessId = ref->processId();
    return ref->threadId();
}

}  // extern "C"
