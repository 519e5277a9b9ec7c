// This process on the prefix's message bus: broadcasts and posts to windows of other processes
// travel as D-Bus signals (message name, number, wParam, lParam). A thread of its own owns the
// connection, so a program's user interface never waits on the bus; callers wait a bounded time
// for it and what cannot be delivered is traced on standard error.
#pragma once

#include <windows.h>

#include <string>

namespace winapi::user32 {

// Joins the bus to receive broadcasts (done when the process gets its first top-level window),
// starting the prefix's bus daemon when there is none. When it returns true, broadcasts posted
// afterwards by any process of the prefix reach this process. Bounded wait; false (traced) when
// there is no bus to be had; later calls try again.
bool joinBus();

// The process's unique name on the bus, "" when not connected.
std::string busName();

// Sends a broadcast to the other processes of the prefix and flushes it to the bus before
// returning, so a program that exits right after posting loses nothing. `name` is the registered
// name of a message in 0xC000-0xFFFF ("" for other messages). True when it was handed to the bus
// or when no bus is running (then no other process has windows to receive it).
bool busBroadcast(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam);

// Posts to window `hwnd` (the owner's handle value) of the process with the bus name `target`.
bool busPost(const std::string& target, DWORD hwnd, const std::string& name, UINT msg,
             WPARAM wParam, LPARAM lParam);

// Called on the bus thread for what arrives; implemented by the message functions.
void deliverBroadcast(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam);
void deliverPost(DWORD hwnd, const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace winapi::user32
