// The remote-access operations of the browser center, each a thin wrapper over the bound
// function it needs: every one binds first and answers failure (false, 0 or an empty text) when
// the binding, the function or a required out-argument is missing.
#pragma once

#include <windows.h>

#include <ras.h>

#include <string>

namespace ui {
class Dialog;
}

// The sizes the wrappers write to dwSize: the first published versions of the structures.
inline constexpr DWORD kRasDialParamsSize = 1052;
inline constexpr DWORD kRasConnStatusSize = 160;
inline constexpr DWORD kRasCtryInfoSize = 20;
inline constexpr DWORD kRasDialExtensionsSize = 16;
// A RASENTRY of this size or more is the Windows 2000 form (dwType, szCustomDialDll,
// dwVpnStrategy).
inline constexpr DWORD kRasEntryWindows2000Size = 2088;

// The first published RASCONN, RASDEVINFO and RASENTRYNAME: the element layouts of the lists.
struct RasConnection {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
struct RasDevice {
    DWORD dwSize;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
struct RasEntryName {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
};
static_assert(sizeof(HRASCONN) != 4 || sizeof(RasConnection) == 412);
static_assert(sizeof(RasDevice) == 152);
static_assert(sizeof(RasEntryName) == 264);

// The entry's properties in a zeroed buffer of the size the system reports (the caller frees it
// with free()); an empty name gives the blank structure of that size.
bool getEntryProperties(const char* name, RASENTRYA** buffer, DWORD* size);
bool getEntryDialParams(const char* name, RASDIALPARAMSA* params);
bool setEntryDialParams(RASDIALPARAMSA* params);
bool getConnectStatus(HRASCONN handle, RASCONNSTATUSA* status);
bool hangUpConnection(HRASCONN handle);
// The connection of the entry with exactly this name (case counts).
bool getRasConnection(const char* entryName, RasConnection* connection);
bool closeRasConnection(const char* entryName);
// The device with exactly this name.
bool findRasDevice(const char* deviceName, RasDevice* device);
// Copies the device's type into `type` (room for RAS_MaxDeviceType + 1 characters).
bool getDeviceType(const char* deviceName, char* type);
bool rasDeviceExists(const char* deviceName);
// The calling code of a country identifier; `code` is the identifier when the call fails.
bool getCountryCode(DWORD countryId, DWORD* code);
// Device names, connection names and entry names, each list joined by tabs.
std::string listRasDevices();
// Adds the device names to the dialog's drop-down list in the system's order and selects the
// first; false when there is no device.
bool fillDeviceCombo(ui::Dialog& dialog, int comboId);
DWORD maxDeviceNameLength();
std::string listActiveConnections();
std::string listPhonebookEntries();
// The names of the connected entries run together; empty means that the computer is off line.
std::string getConnectedEntries();
// Hangs up every active connection by its own name (the connected names run together are no
// entry's name when two are up).
void closeActiveConnections();
