// The watch over a dial that reports to a window: the service posts the dial's events, so a
// service that dies in the middle would leave the window waiting for ever for its last one.
#include "dial_watch.h"

#include <ras.h>
#include <raserror.h>

#include "ras_service.h"

#include <chrono>
#include <string>
#include <thread>

namespace winapi::ras {

namespace {
constexpr auto kWatchPoll = std::chrono::milliseconds(250);
}

void watchDial(DWORD handle, HWND window) {
    const std::string owner = serviceOwner();
    if (owner.empty()) return;
    std::thread([handle, window, owner] {
        DWORD lastState = RASCS_OpenPort;
        for (;;) {
            std::this_thread::sleep_for(kWatchPoll);
            DWORD state = lastState;
            switch (dialStanding(owner, handle, state)) {
            case DialStanding::Dialling:
                lastState = state;
                break;
            case DialStanding::Ended:
                return;
            case DialStanding::Gone:
                PostMessageA(window, RegisterWindowMessageA(RASDIALEVENT), lastState,
                             ERROR_RASMAN_CANNOT_INITIALIZE);
                return;
            }
        }
    }).detach();
}

}  // namespace winapi::ras
