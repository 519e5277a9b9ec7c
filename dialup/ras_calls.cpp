// The remote-access wrappers over the bound table.
#include "ras_calls.h"

#include "dialog.h"
#include "ras_api.h"
#include "trace.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kLookupConnections = 50;
constexpr size_t kListElements = 100;
constexpr size_t kListText = 8192;
constexpr size_t kCountryBuffer = 4116;

// The connections in a buffer of `count` elements; empty on failure.
std::vector<RasConnection> enumConnections(size_t count) {
    std::vector<RasConnection> list(count);
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasEnumConnectionsA) return {};
    std::memset(list.data(), 0, count * sizeof(RasConnection));
    list[0].dwSize = sizeof(RasConnection);
    DWORD size = static_cast<DWORD>(count * sizeof(RasConnection));
    DWORD found = 0;
    if (t.pRasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(list.data()), &size, &found) != 0)
        return {};
    list.resize(found);
    return list;
}

std::vector<RasDevice> enumDevices() {
    std::vector<RasDevice> list(kListElements);
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasEnumDevices) return {};
    std::memset(list.data(), 0, kListElements * sizeof(RasDevice));
    list[0].dwSize = sizeof(RasDevice);
    DWORD size = static_cast<DWORD>(kListElements * sizeof(RasDevice));
    DWORD found = 0;
    if (t.pRasEnumDevices(reinterpret_cast<LPRASDEVINFOA>(list.data()), &size, &found) != 0)
        return {};
    list.resize(found);
    return list;
}

// Appends a name to a list text, as far as the 8192-byte buffer allows.
void append(std::string& text, const char* name, const char* separator) {
    if (!text.empty()) text += separator;
    text += name;
    if (text.size() > kListText - 1) text.resize(kListText - 1);
}

}  // namespace

bool getEntryProperties(const char* name, RASENTRYA** buffer, DWORD* size) {
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasGetEntryProperties || !name || !buffer || !size) return false;
    *size = 0;
    if (t.pRasGetEntryProperties(nullptr, "", nullptr, size, nullptr, nullptr) != 603) return false;
    auto* entry = static_cast<RASENTRYA*>(std::calloc(1, *size));
    if (!entry) return false;
    entry->dwSize = *size;
    if (*name && t.pRasGetEntryProperties(nullptr, name, entry, size, nullptr, nullptr) != 0) {
        std::free(entry);
        return false;
    }
    *buffer = entry;
    return true;
}

bool getEntryDialParams(const char* name, RASDIALPARAMSA* params) {
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasGetEntryDialParamsA || !name || !params) return false;
    std::memset(params, 0, kRasDialParamsSize);
    params->dwSize = kRasDialParamsSize;
    std::strncpy(params->szEntryName, name, RAS_MaxEntryName);
    BOOL passwordFlag = FALSE;
    return t.pRasGetEntryDialParamsA(nullptr, params, &passwordFlag) == 0;
}

bool setEntryDialParams(RASDIALPARAMSA* params) {
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasSetEntryDialParamsA || !params) return false;
    return t.pRasSetEntryDialParamsA(nullptr, params, FALSE) == 0;
}

bool getConnectStatus(HRASCONN handle, RASCONNSTATUSA* status) {
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasGetConnectStatusA || !status) return false;
    status->dwSize = kRasConnStatusSize;
    return t.pRasGetConnectStatusA(handle, status) == 0;
}

bool hangUpConnection(HRASCONN handle) {
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasHangUpA) return false;
    return t.pRasHangUpA(handle) == 0;
}

bool getRasConnection(const char* entryName, RasConnection* connection) {
    if (!entryName || !connection) return false;
    for (const RasConnection& c : enumConnections(kLookupConnections))
        if (std::strcmp(c.szEntryName, entryName) == 0) {
            *connection = c;
            return true;
        }
    return false;
}

bool closeRasConnection(const char* entryName) {
    traceLine("closeRasConnection (%s)\n", entryName ? entryName : "");
    RasConnection connection;
    if (!getRasConnection(entryName, &connection)) {
        traceLine("getRasConnection() failed\n");
        return false;
    }
    traceLine("calling RasHangUp for handle: 0x%08x\n",
              static_cast<unsigned>(reinterpret_cast<UINT_PTR>(
                  static_cast<HRASCONN__*>(connection.hrasconn))));
    return hangUpConnection(connection.hrasconn);
}

bool findRasDevice(const char* deviceName, RasDevice* device) {
    if (!deviceName || !device) return false;
    for (const RasDevice& d : enumDevices())
        if (std::strcmp(d.szDeviceName, deviceName) == 0) {
            *device = d;
            return true;
        }
    return false;
}

bool getDeviceType(const char* deviceName, char* type) {
    RasDevice device;
    if (!type || !findRasDevice(deviceName, &device)) return false;
    std::strcpy(type, device.szDeviceType);
    return true;
}

bool rasDeviceExists(const char* deviceName) {
    RasDevice device;
    return findRasDevice(deviceName, &device);
}

bool getCountryCode(DWORD countryId, DWORD* code) {
    RasApiTable& t = rasApi();
    if (!code) return false;
    *code = countryId;
    if (!loadRasApi() || !t.pRasGetCountryInfo) return false;
    std::vector<BYTE> buffer(kCountryBuffer);
    auto* info = reinterpret_cast<LPRASCTRYINFOA>(buffer.data());
    info->dwSize = kRasCtryInfoSize;
    info->dwCountryID = countryId;
    DWORD size = kCountryBuffer;
    if (t.pRasGetCountryInfo(info, &size) != 0) return false;
    *code = info->dwCountryCode;
    return true;
}

std::string listRasDevices() {
    std::string text;
    for (const RasDevice& d : enumDevices()) append(text, d.szDeviceName, "\t");
    return text;
}

bool fillDeviceCombo(ui::Dialog& dialog, int comboId) {
    const std::vector<RasDevice> devices = enumDevices();
    if (devices.empty()) return false;
    for (const RasDevice& d : devices) dialog.addItem(comboId, d.szDeviceName);
    dialog.setSelection(comboId, 0);
    return true;
}

DWORD maxDeviceNameLength() {
    DWORD longest = 0;
    for (const RasDevice& d : enumDevices())
        longest = std::max(longest, static_cast<DWORD>(std::strlen(d.szDeviceName)));
    return longest;
}

std::string listActiveConnections() {
    std::string text;
    for (const RasConnection& c : enumConnections(kListElements))
        append(text, c.szEntryName, "\t");
    return text;
}

std::string listPhonebookEntries() {
    RasApiTable& t = rasApi();
    if (!loadRasApi() || !t.pRasEnumEntriesA) return {};
    std::vector<RasEntryName> list(kListElements);
    std::memset(list.data(), 0, kListElements * sizeof(RasEntryName));
    list[0].dwSize = sizeof(RasEntryName);
    DWORD size = static_cast<DWORD>(kListElements * sizeof(RasEntryName));
    DWORD found = 0;
    if (t.pRasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(list.data()), &size,
                          &found) != 0)
        return {};
    std::string text;
    for (DWORD i = 0; i < found && i < kListElements; ++i) append(text, list[i].szEntryName, "\t");
    return text;
}

void closeActiveConnections() {
    const std::string active = listActiveConnections();
    for (size_t start = 0; start <= active.size();) {
        const size_t tab = active.find('\t', start);
        const std::string name = active.substr(start, tab - start);
        if (!name.empty()) closeRasConnection(name.c_str());
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
}

std::string getConnectedEntries() {
    std::string text;
    for (const RasConnection& c : enumConnections(kListElements)) {
        RASCONNSTATUSA status;
        std::memset(&status, 0, sizeof status);
        if (getConnectStatus(c.hrasconn, &status) && status.rasconnstate == RASCS_Connected)
            append(text, c.szEntryName, "");
    }
    return text;
}
