// Helpers of the remote-access tests: the simulated provider's settings, phonebook entries, and a
// window that records the dial events it receives.
#pragma once

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "machine_registry.h"

namespace ras_test {

using lumora_test::setMachineText;
using lumora_test::setProviderNumber;

inline void setWindowsVersion(const char* version) {
    setMachineText("System\\Lumora", "WindowsVersion", version);
}

inline void makeEntry(const char* name, const char* device = "Simuliertes Modem") {
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    std::strcpy(entry.szLocalPhoneNumber, "0191011");
    std::strcpy(entry.szDeviceType, RASDT_Modem);
    std::strcpy(entry.szDeviceName, device);
    entry.dwType = RASET_Phone;
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, name, &entry, sizeof entry, nullptr, 0), 0u);
}

inline RASDIALPARAMSA dialParams(const char* entry, const char* user, const char* password) {
    RASDIALPARAMSA p{};
    p.dwSize = sizeof p;
    std::strcpy(p.szEntryName, entry);
    std::strcpy(p.szUserName, user);
    std::strcpy(p.szPassword, password);
    return p;
}

// The connections' entry names, in the service's order.
inline std::vector<std::string> connectionNames() {
    std::vector<RASCONNA> list(20);
    list[0].dwSize = sizeof(RASCONNA);
    DWORD size = static_cast<DWORD>(list.size() * sizeof(RASCONNA));
    DWORD count = 0;
    EXPECT_EQ(RasEnumConnectionsA(list.data(), &size, &count), 0u);
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; ++i) names.emplace_back(list[i].szEntryName);
    return names;
}

// A hidden window that records ("state", "error") of every "RasDialEvent" until the dial ends.
class DialEvents {
public:
    DialEvents() {
        message_ = RegisterWindowMessageA(RASDIALEVENT);
        WNDCLASSA cls{};
        cls.lpfnWndProc = &DialEvents::proc;
        cls.lpszClassName = "RasTestEvents";
        RegisterClassA(&cls);
        window_ = CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
        current() = this;
    }
    ~DialEvents() {
        DestroyWindow(window_);
        current() = nullptr;
    }
    HWND window() const { return window_; }

    // Pumps messages until the dial has connected or failed (a generous bound guards against a
    // hang; it is no timing check).
    const std::vector<std::pair<DWORD, DWORD>>& waitForEnd() {
        pumpUntil([this] { return ended_; });
        EXPECT_TRUE(ended_) << "the dial did not end";
        return events_;
    }
    // Pumps messages until the dial has reported `state` (or ended); true when it has.
    bool waitForState(DWORD state) {
        auto seen = [&] {
            for (const auto& e : events_)
                if (e.first == state) return true;
            return false;
        };
        pumpUntil([&] { return ended_ || seen(); });
        return seen();
    }

private:
    template <typename Done>
    void pumpUntil(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        MSG msg;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    static DialEvents*& current() {
        static DialEvents* events = nullptr;
        return events;
    }
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        DialEvents* self = current();
        if (!self || msg != self->message_) return DefWindowProcA(hwnd, msg, wParam, lParam);
        self->events_.emplace_back(static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
        if (lParam || wParam == RASCS_Connected) self->ended_ = true;
        return 0;
    }

    UINT message_ = 0;
    HWND window_ = nullptr;
    bool ended_ = false;
    std::vector<std::pair<DWORD, DWORD>> events_;
};

}  // namespace ras_test
