// The telephony functions the wizard calls, bound by name from "TAPI32.DLL" on first use. The
// library is looked for once per process; a missing library or function makes its wrapper answer
// LINEERR_OPERATIONUNAVAIL, now and on every later call. The calls use application handle 0 and
// API version 1.4.
#pragma once

#include <windows.h>

#include <tapi.h>

LONG callGetTranslateCaps(LPLINETRANSLATECAPS caps);
LONG callSetCurrentLocation(DWORD locationId);
LONG callGetCountry(LPLINECOUNTRYLIST list);
// The icon of line device `deviceId` (the line itself, no device class).
LONG callGetIcon(DWORD deviceId, HICON* icon);
