// The remote-access binding: the browser center links no remote-access library; it loads one
// when a dial-up operation first needs it and calls every function through this table. The
// entry group comes from "rasapi32.dll" (on Windows 95 possibly "rnaph.dll", by the names
// without the A); the connection group from "rasapi32.dll", loaded a second time.
#pragma once

#include <windows.h>

#include <ras.h>

// Each pointer is named after the function it holds (p + name).
struct RasApiTable {
    HMODULE entryLibrary = nullptr;  // null: not bound
    HMODULE connectionLibrary = nullptr;

    // Entry group, in binding order.
    decltype(&::RasGetEntryPropertiesA) pRasGetEntryProperties = nullptr;
    decltype(&::RasSetEntryPropertiesA) pRasSetEntryProperties = nullptr;
    decltype(&::RasValidateEntryNameA) pRasValidateEntryName = nullptr;
    decltype(&::RasRenameEntryA) pRasRenameEntry = nullptr;
    decltype(&::RasDeleteEntryA) pRasDeleteEntry = nullptr;
    decltype(&::RasGetCountryInfoA) pRasGetCountryInfo = nullptr;
    decltype(&::RasEnumDevicesA) pRasEnumDevices = nullptr;

    // Connection group, in binding order.
    decltype(&::RasGetConnectStatusA) pRasGetConnectStatusA = nullptr;
    decltype(&::RasHangUpA) pRasHangUpA = nullptr;
    decltype(&::RasEnumEntriesA) pRasEnumEntriesA = nullptr;
    decltype(&::RasEnumConnectionsA) pRasEnumConnectionsA = nullptr;
    decltype(&::RasDialA) pRasDialA = nullptr;
    decltype(&::RasGetEntryDialParamsA) pRasGetEntryDialParamsA = nullptr;
    decltype(&::RasSetEntryDialParamsA) pRasSetEntryDialParamsA = nullptr;
    decltype(&::RasGetErrorStringA) pRasGetErrorStringA = nullptr;
    decltype(&::RasGetProjectionInfoA) pRasGetProjectionInfoA = nullptr;
    // RasConnectionNotificationA, kept untyped: no operation calls it.
    FARPROC pRasConnectionNotificationA = nullptr;
};

// The process's table.
RasApiTable& rasApi();

// Binds both groups once per process; true when both are bound. A failed binding leaves nothing
// bound, and the next call tries again.
bool loadRasApi();
// Frees both libraries and forgets every pointer.
void unloadRasApi();
