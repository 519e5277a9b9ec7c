// The top-level windows of the other processes of the prefix. Each process lists its top-level
// windows as small files in the prefix's run/windows folder (class, title and the process's name
// on the prefix bus), so that any process can enumerate, find and post to them without asking
// their owners, who may not be pumping messages. Files of processes that died are removed by
// whoever finds them.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace winapi::user32 {

// Records or updates one of this process's top-level windows.
void publishWindow(HWND hwnd, std::string_view className, std::string_view title);
void withdrawWindow(HWND hwnd);

struct PeerHandle {
    HWND hwnd;  // this process's handle for the peer's window
    DWORD processId;
};
// The live top-level windows of the prefix's other processes.
std::vector<PeerHandle> peerWindows();

}  // namespace winapi::user32
