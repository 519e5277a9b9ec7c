// tapi32: lineInitialize, lineShutdown and lineGetProviderList. The line devices are the prefix's
// modems and ISDN adapters (the dial devices of remote access); the service provider is the
// unimodem driver, unless the registry records others under
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Telephony\Providers" ("NumProviders",
// "ProviderFileName<N>", "ProviderID<N>").
#include <windows.h>

#include <tapi.h>

#include "apps.h"
#include "device_list.h"
#include "exports.h"
#include "var_struct.h"

#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace winapi::tapi {
namespace {

constexpr const char* kProviders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Providers";

std::mutex appsMutex;
std::set<DWORD> apps;
DWORD nextApp = 0x00020001;

std::vector<std::pair<DWORD, std::string>> readProviders() {
    std::vector<std::pair<DWORD, std::string>> providers;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProviders, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD count = 0;
        DWORD size = sizeof count;
        RegQueryValueExA(key, "NumProviders", nullptr, nullptr, reinterpret_cast<LPBYTE>(&count),
                         &size);
        for (DWORD i = 0; i < count && i < 64; ++i) {
            const std::string file = "ProviderFileName" + std::to_string(i);
            const std::string id = "ProviderID" + std::to_string(i);
            char name[MAX_PATH] = {};
            DWORD nameSize = sizeof name - 1;
            DWORD value = 0;
            DWORD valueSize = sizeof value;
            if (RegQueryValueExA(key, file.c_str(), nullptr, nullptr,
                                 reinterpret_cast<LPBYTE>(name), &nameSize) == ERROR_SUCCESS &&
                RegQueryValueExA(key, id.c_str(), nullptr, nullptr,
                                 reinterpret_cast<LPBYTE>(&value), &valueSize) == ERROR_SUCCESS)
                providers.emplace_back(value, name);
        }
        RegCloseKey(key);
    }
    if (providers.empty()) providers.emplace_back(1, "unimdm.tsp");
    return providers;
}

}  // namespace

HLINEAPP openApp() {
    std::lock_guard lock(appsMutex);
    const DWORD app = nextApp++;
    apps.insert(app);
    return app;
}

bool closeApp(HLINEAPP app) {
    std::lock_guard lock(appsMutex);
    return apps.erase(app) != 0;
}

bool validApp(HLINEAPP app) {
    std::lock_guard lock(appsMutex);
    return apps.count(app) != 0;
}

}  // namespace winapi::tapi

using namespace winapi::tapi;

TAPI_EXPORT LONG WINAPI lineInitialize(LPHLINEAPP lphLineApp, HINSTANCE, LINECALLBACK lpfnCallback,
                                       LPCSTR, LPDWORD lpdwNumDevs) {
    if (!lphLineApp || !lpdwNumDevs || !lpfnCallback)
        return static_cast<LONG>(LINEERR_INVALPOINTER);
    *lpdwNumDevs = static_cast<DWORD>(winapi::ras::listDevices().size());
    *lphLineApp = openApp();
    return 0;
}

TAPI_EXPORT LONG WINAPI lineShutdown(HLINEAPP hLineApp) {
    return closeApp(hLineApp) ? 0 : static_cast<LONG>(LINEERR_INVALAPPHANDLE);
}

TAPI_EXPORT LONG WINAPI lineGetProviderList(DWORD dwAPIVersion,
                                            LPLINEPROVIDERLIST lpProviderList) {
    if (!supportedVersion(dwAPIVersion)) return static_cast<LONG>(LINEERR_INCOMPATIBLEAPIVERSION);
    if (!lpProviderList) return static_cast<LONG>(LINEERR_INVALPOINTER);
    if (lpProviderList->dwTotalSize < sizeof(LINEPROVIDERLIST))
        return static_cast<LONG>(LINEERR_STRUCTURETOOSMALL);
    const auto providers = readProviders();
    VarStruct answer(sizeof(LINEPROVIDERLIST));
    const DWORD listSize = static_cast<DWORD>(providers.size() * sizeof(LINEPROVIDERENTRY));
    const DWORD listOffset = answer.reserve(listSize);
    for (size_t i = 0; i < providers.size(); ++i) {
        LINEPROVIDERENTRY entry{};
        entry.dwPermanentProviderID = providers[i].first;
        answer.text(providers[i].second, entry.dwProviderFilenameSize,
                    entry.dwProviderFilenameOffset);
        *answer.at<LINEPROVIDERENTRY>(listOffset + static_cast<DWORD>(i * sizeof entry)) = entry;
    }
    auto* head = answer.at<LINEPROVIDERLIST>(0);
    head->dwNumProviders = static_cast<DWORD>(providers.size());
    head->dwProviderListSize = listSize;
    head->dwProviderListOffset = listOffset;
    answer.deliver(lpProviderList);
    return 0;
}
