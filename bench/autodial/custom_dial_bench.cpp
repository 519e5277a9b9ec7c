// Benchmark of the custom-dial library's hand-over, in a prefix of its own: the time from the
// browser center writing "Connected" = "1" (a stand-in, dialer_standin, that records the moment)
// to RasCustomDialDlg returning, over N runs, against a bare loop in this program that waits for
// the same value the same way (read, 100 ms pause) - the least any poll of that period can do.
//
//   custom_dial_bench [runs]      (run from the folder of the built programs; default 50 runs)
#include <windows.h>

#include <ras.h>
#include <rasdlg.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "registry.h"

namespace {

constexpr const char* kStandIn = "Software\\LumoraTest\\DialerStandIn";
constexpr const char* kEntryKey = "Software\\Tarnwell\\AutoDial\\Bench";

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Starts the stand-in as the library does and waits for "Connected" with a plain poll.
double bareWait(const std::string& standIn) {
    regWriteString(kEntryKey, "Connected", "2");
    HANDLE process = nullptr;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = "-dialer";
    if (CreateProcessA(standIn.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        process = info.hProcess;
        CloseHandle(info.hThread);
    }
    while (regReadString(kEntryKey, "Connected", "")[0] != '1') Sleep(100);
    const DWORD returned = GetTickCount();
    if (process) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    return static_cast<double>(returned - regReadDword(kStandIn, "AnsweredAt", returned));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    char prefix[] = "/tmp/lumora-bench-XXXXXX";
    if (!mkdtemp(prefix)) return 1;
    setenv("LUMORA_PREFIX", prefix, 1);
    const std::string folder = std::filesystem::current_path().string() + "/";
    const std::string standIn = folder + "dialer_standin";

    HMODULE library = LoadLibraryA((folder + "Ardial32.DLL").c_str());
    auto dialDlg = library ? reinterpret_cast<PFNRASCUSTOMDIALDLG>(
                                 reinterpret_cast<void*>(GetProcAddress(library, "RasCustomDialDlg")))
                           : nullptr;
    if (!dialDlg) {
        std::fprintf(stderr, "Ardial32 not found in %s\n", folder.c_str());
        return 1;
    }
    regWriteString(kEntryKey, "Name", standIn.c_str());
    regWriteString(kStandIn, "Entry", "Bench");
    regWriteString(kStandIn, "Outcome", "1");
    regWriteDword(kStandIn, "Delay", 50);

    WCHAR entry[] = {'B', 'e', 'n', 'c', 'h', 0};
    std::vector<double> library_ms, bare_ms;
    for (int i = 0; i < runs; ++i) {
        RASDIALDLG info{};
        info.dwSize = sizeof info;
        regWriteString(kEntryKey, "Connected", "");
        if (!dialDlg(nullptr, 0, nullptr, entry, nullptr, &info, nullptr)) {
            std::fprintf(stderr, "run %d: not connected (%u)\n", i, static_cast<unsigned>(info.dwError));
            return 1;
        }
        const DWORD returned = GetTickCount();
        library_ms.push_back(returned - regReadDword(kStandIn, "AnsweredAt", returned));
        bare_ms.push_back(bareWait(standIn));
    }
    const double lib = median(library_ms), bare = median(bare_ms);
    std::printf("custom dial: \"Connected\" written to the call returning, median of %d runs: "
                "%.0f ms (bare 100 ms poll: %.0f ms), ratio %.2f\n",
                runs, lib, bare, bare > 0 ? lib / bare : 0.0);

    std::filesystem::remove_all(prefix);
    return 0;
}
