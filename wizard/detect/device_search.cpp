// The device choice page's repeated search.
#include "device_search.h"

#include <cstdio>

ModemSearchResult repeatModemSearch(CDialDevices& devices, const ProbeStep& step,
                                    const char* friendlyName, DWORD limitMs) {
    ModemSearchResult result;
    result.port = probeModemPorts(step, result.acceptedCommand);
    if (!result.port) {
        removeStandardModem(devices);
        return result;
    }
    char portName[16];
    std::snprintf(portName, sizeof portName, "COM%u", static_cast<unsigned>(result.port));
    result.modem = prepareStandardModem(kStandardModemScript, portName, friendlyName, limitMs);
    return result;
}

int deviceFindingIndex(bool modemFound, bool isdnFound) {
    if (modemFound) return isdnFound ? 0 : 2;
    return isdnFound ? 1 : 3;
}
