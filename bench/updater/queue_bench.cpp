// update_queue_bench: one update check of the browser center's update queue, on a LAN (the queue
// runs at every tick of its timer). The current folder is the program folder: it holds TnUpdate,
// and the program's ".strings" file beside it gives the update base URL (104) and the queue
// interval (115). The list is queued as after a connection; the program ends when the queue has
// run empty and prints how many files it asked the updater for and the seconds it took.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "connection_monitor.h"

namespace {

class BenchHost : public ConnectionHost {
public:
    std::string folder;
    unsigned period = 0;

    bool dialupInUse() override { return false; }
    bool isSignupMode() override { return false; }
    std::string entryName() override { return ""; }
    std::string userName() override { return ""; }
    std::string password() override { return ""; }
    void setLastConnectionError(const std::string&) override {}
    void showPopup(const std::string&) override {}
    void closePopup() override {}
    void setPopupStatus(const std::string&) override {}
    void onConnected() override {}
    void onDisconnected() override {}
    std::string installDir() override { return folder; }
    std::string programName() override { return "lumora"; }
    unsigned updatePeriodMs() override { return period; }
    void skinUpdated(const std::string&) override {}
};

}  // namespace

int main() {
    char folder[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder - 1) return 1;
    BenchHost host;
    host.folder = std::string(folder) + "\\";
    char period[16] = "";
    LoadStringA(GetModuleHandleA(nullptr), 115, period, sizeof period);
    host.period = static_cast<unsigned>(std::atoi(period)) * 1000;

    CConnectionMonitor monitor;
    if (!monitor.create(host)) return 1;
    const auto start = std::chrono::steady_clock::now();
    monitor.requestFileUpdate("update.ini");
    // Every file queued during the check, by name (the list's names are distinct).
    std::set<std::string> requested;
    MSG msg;
    while (!monitor.updateQueue().empty() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        for (const UpdateEntry& entry : monitor.updateQueue()) requested.insert(entry.name);
        DispatchMessageA(&msg);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu %.3f\n", requested.size(), seconds);
    monitor.destroy();
    return 0;
}
