// The device choice page's search: the modem search over the serial ports followed by the
// standard modem's entries (prepared for the port found, removed when none is), and which of the
// page's four (finding, hint) pairs the result selects.
#pragma once

#include "dial_devices.h"
#include "modem_probe.h"
#include "standard_modem.h"

#include <string>

struct ModemSearchResult {
    int port = 0;                 // "ComPort": 1 to 4, 0 for none
    std::string acceptedCommand;  // "&F1", "&F" or empty
    // Prepared or NotNeeded (NT) for a port; after no port, NotNeeded.
    StandardModemResult modem = StandardModemResult::NotNeeded;
};

// Probes the ports; with a port, prepares the standard modem named `friendlyName` for "COM<port>"
// (waiting up to `limitMs` for its entries); without one, removes the standard modem, which
// rebinds `devices`.
ModemSearchResult repeatModemSearch(CDialDevices& devices, const ProbeStep& step,
                                    const char* friendlyName,
                                    DWORD limitMs = kStandardModemWaitLimit);

// The page's (finding, hint) pair: 0 modem and ISDN device, 1 ISDN device only, 2 modem only,
// 3 nothing.
int deviceFindingIndex(bool modemFound, bool isdnFound);
