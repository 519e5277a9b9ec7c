// Retrieving, dispatching, posting and sending messages; registered messages, broadcasts and
// timers. Broadcasts reach this process's top-level windows directly and the prefix's other
// processes through the bus.
#include <windows.h>

#include "atoms.h"
#include "bus.h"
#include "queue.h"
#include "window.h"

#include <atomic>
#include <cstdio>
#include <new>

namespace winapi::user32 {
namespace {

// Tells about messages that could not be delivered: the first, then every thousandth, so that a
// flood does not become a flood of traces.
void traceDropped(const std::string& name, UINT msg, DWORD error) {
    static std::atomic<unsigned long> dropped{0};
    const unsigned long n = ++dropped;
    if (n == 1 || n % 1000 == 0)
        std::fprintf(stderr, "winapi: message %s (0x%04x) dropped: a queue refused it (error %u); "
                             "%lu dropped so far\n",
                     name.empty() ? "-" : name.c_str(), msg, static_cast<unsigned>(error), n);
}

void postToLocalTopLevel(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam) {
    for (auto& w : localTopLevelWindows())
        if (!w->post(msg, wParam, lParam)) traceDropped(name, msg, GetLastError());
}

// The id in this process of a message that came from another process. 0 when this process does
// not know the name, so no window here can be waiting for it.
UINT localId(const std::string& name, UINT msg) {
    if (!name.empty()) return findAtom(name);
    return isAtomRange(msg) ? 0 : msg;
}

bool validFilter(HWND hWnd) {
    if (!hWnd || hWnd == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return true;
    if (localWindow(hWnd)) return true;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

// Key-down messages that have an obvious character produce WM_CHAR (WM_SYSCHAR); the window's
// own keyboard handling lives in the user interface toolkit.
char characterOf(WPARAM key) {
    if (key >= 'A' && key <= 'Z') return static_cast<char>(key - 'A' + 'a');
    if ((key >= '0' && key <= '9') || key == ' ') return static_cast<char>(key);
    switch (key) {
    case 0x08: case 0x09: case 0x0D: case 0x1B: return static_cast<char>(key);
    default: return 0;
    }
}

}  // namespace

void deliverBroadcast(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (UINT id = localId(name, msg)) postToLocalTopLevel(name, id, wParam, lParam);
}

void deliverPost(DWORD hwnd, const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam) {
    UINT id = localId(name, msg);
    auto w = localWindow(HandleTable::toHandle<HWND>(hwnd));
    if (!id || !w) return;
    if (!w->post(id, wParam, lParam)) traceDropped(name, id, GetLastError());
}

}  // namespace winapi::user32

using namespace winapi;
using namespace winapi::user32;

extern "C" {

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetLastError(ERROR_NOACCESS);
        return -1;
    }
    if (!validFilter(hWnd)) return -1;
    try {
        auto queue = MessageQueue::current();
        while (!queue->peek(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE)) queue->wait();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    if (!lpMsg) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (!validFilter(hWnd)) return FALSE;
    try {
        return MessageQueue::current()->peek(*lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax,
                                             wRemoveMsg)
                   ? TRUE
                   : FALSE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL WINAPI TranslateMessage(CONST MSG* lpMsg) {
    if (!lpMsg) return FALSE;
    switch (lpMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (char c = characterOf(lpMsg->wParam))
            PostMessageA(lpMsg->hwnd, lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                         static_cast<unsigned char>(c), lpMsg->lParam);
        return TRUE;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT WINAPI DispatchMessageA(CONST MSG* lpMsg) {
    if (!lpMsg) return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        // Only procedures of live timers are called, so a forged WM_TIMER cannot run arbitrary code.
        if (!MessageQueue::current()->isTimerProc(lpMsg->hwnd, lpMsg->wParam, proc)) return 0;
        proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, tickCount());
        return 0;
    }
    if (!lpMsg->hwnd) return 0;
    auto w = localWindow(lpMsg->hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->threadId() != MessageQueue::current()->threadId()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    return SendMessageA(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (hWnd == HWND_BROADCAST) {
            const std::string name = isAtomRange(Msg) ? atomName(Msg) : std::string();
            postToLocalTopLevel(name, Msg, wParam, lParam);
            // An unregistered id in the registered range means nothing to other processes.
            if (!isAtomRange(Msg) || !name.empty()) busBroadcast(name, Msg, wParam, lParam);
            return TRUE;
        }
        if (!hWnd) return PostThreadMessageA(MessageQueue::current()->threadId(), Msg, wParam, lParam);
        auto ref = anyWindow(hWnd);
        if (!ref) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        return ref->post(Msg, wParam, lParam) ? TRUE : FALSE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto queue = MessageQueue::ofThread(idThread);
    if (!queue) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return queue->post(nullptr, Msg, wParam, lParam) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (hWnd == HWND_BROADCAST) {
            for (auto& w : localTopLevelWindows()) SendMessageA(w->hwnd, Msg, wParam, lParam);
            const std::string name = isAtomRange(Msg) ? atomName(Msg) : std::string();
            if (!isAtomRange(Msg) || !name.empty()) busBroadcast(name, Msg, wParam, lParam);
            return 0;
        }
        if (auto w = localWindow(hWnd)) {
            if (w->threadId() == MessageQueue::current()->threadId()) {
                WNDPROC proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
                return proc ? proc(hWnd, Msg, wParam, lParam) : 0;
            }
            return w->queue->sendFromOtherThread(hWnd, Msg, wParam, lParam);
        }
        auto ref = anyWindow(hWnd);
        if (!ref) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        // Windows of other programs: their texts are known here; anything else is delivered to
        // them as posted, without waiting for a result.
        switch (Msg) {
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(ref->text().size());
        case WM_GETTEXT:
            return GetWindowTextA(hWnd, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        default:
            ref->post(Msg, wParam, lParam);
            return 0;
        }
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

VOID WINAPI PostQuitMessage(int nExitCode) {
    try {
        MessageQueue::current()->postQuit(nExitCode);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    if (!lpString || !*lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        UINT id = registerAtom(lpString);
        if (!id) SetLastError(ERROR_INVALID_PARAMETER);
        return id;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    try {
        auto queue = MessageQueue::current();
        if (hWnd) {
            auto w = localWindow(hWnd);
            if (!w || w->threadId() != queue->threadId()) {
                SetLastError(anyWindow(hWnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
        }
        UINT_PTR id = queue->setTimer(hWnd, nIDEvent, uElapse, lpTimerFunc);
        return hWnd && id == 0 ? 1 : id;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    try {
        if (MessageQueue::current()->killTimer(hWnd, uIDEvent)) return TRUE;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

}  // extern "C"
