// rasapi32: RasEnumDevicesA, the dial devices of the prefix (device_list.h).
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include "device_list.h"
#include "exports.h"
#include "list_answer.h"

using namespace winapi::ras;

RASAPI_EXPORT DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA lpRasDevInfo, LPDWORD lpcb,
                                           LPDWORD lpcDevices) {
    if (!lpcb || !lpcDevices) return ERROR_INVALID_PARAMETER;
    if (lpRasDevInfo && lpRasDevInfo->dwSize != sizeof(RASDEVINFOA)) return ERROR_INVALID_SIZE;
    const std::vector<Device> devices = listDevices();
    return answerList(lpRasDevInfo, lpcb, lpcDevices, devices.size(),
                      [&](RASDEVINFOA& out, size_t i) {
                          copyText(out.szDeviceType, sizeof out.szDeviceType, devices[i].first);
                          copyText(out.szDeviceName, sizeof out.szDeviceName, devices[i].second);
                      });
}

RASAPI_UNSUFFIXED(RasEnumDevices, RasEnumDevicesA)
