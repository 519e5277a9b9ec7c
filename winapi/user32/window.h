// The objects behind HWND values. An HWND is a 32-bit handle-table value that stands for one of
// this process's windows, a window of another process of the same prefix, or an X11 top-level
// window of another program; the message functions work on all three through WindowRef.
#pragma once

#include <windows.h>

#include "handles.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace winapi::user32 {

class MessageQueue;

class WindowRef : public KernelObject {
public:
    virtual bool alive() const = 0;
    virtual std::string text() const = 0;  // Windows-1252
    virtual std::string className() const = 0;
    virtual DWORD processId() const = 0;
    virtual DWORD threadId() const = 0;
    // Posts a message to the window; false with the last error set when it cannot be delivered.
    virtual bool post(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
};

// One of this process's windows. Its fields are guarded by windowMutex(); its window procedure is
// only ever called on the thread that created it, without that lock held.
class Window final : public WindowRef {
public:
    HWND hwnd = nullptr;
    std::shared_ptr<MessageQueue> queue;  // of the creating thread
    std::shared_ptr<const WindowClass> windowClass;
    WNDPROC proc = nullptr;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // for WS_CHILD windows
    HWND owner = nullptr;   // for owned top-level windows
    bool messageOnly = false;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    std::vector<unsigned char> extra;  // cbWndExtra bytes
    bool destroying = false;

    bool topLevel() const { return !parent && !messageOnly; }

    bool alive() const override;
    std::string text() const override;
    std::string className() const override;
    DWORD processId() const override;
    DWORD threadId() const override;
    bool post(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// Guards the window list and the fields of every Window.
std::mutex& windowMutex();

// This process's window behind the handle, or null.
std::shared_ptr<Window> localWindow(HWND hwnd);
// Any window behind the handle (this process's, a peer's, an X11 one), or null.
std::shared_ptr<WindowRef> anyWindow(HWND hwnd);
// This process's top-level windows (message-only windows excluded), newest first.
std::vector<std::shared_ptr<Window>> localTopLevelWindows();
// Removes the windows of a thread that ended, without sending them messages.
void forgetThreadWindows(DWORD threadId);
// Registers the window classes every process has ("COMBOBOX"); CreateWindowExA calls it first.
void registerSystemClasses();
// True when hwnd is `ancestor` or one of its (grand)children.
bool isSelfOrDescendant(HWND ancestor, HWND hwnd);

}  // namespace winapi::user32
