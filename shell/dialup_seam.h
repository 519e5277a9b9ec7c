// What the application object needs of dial-up: the bound remote-access functions, the connection
// monitor with its connect-or-hang-up operation, the telephony location and the plain-dialog
// fallback for old systems. The dial-up modules implement these.
#pragma once

#include <string>

// The remote-access functions, bound at run time.
class RasBinding {
public:
    virtual ~RasBinding() = default;
    // True when a dial device of exactly that name exists.
    virtual bool rasDeviceExists(const std::string& deviceName) = 0;
    // The names of all connected entries run together; empty when off line.
    virtual std::string getConnectedEntries() = 0;
    // The names of all active connections, separated by tabs.
    virtual std::string listActiveConnections() = 0;
    // The entries of the phone book, one a line; empty when there are none.
    virtual std::string listPhonebookEntries() = 0;
    // Releases the remote-access and telephony libraries at the end of the run.
    virtual void releaseRasApi() = 0;
};

// The hidden connection monitor window and the dialling it does.
class ConnectionLifecycle {
public:
    virtual ~ConnectionLifecycle() = default;
    virtual bool createMonitor() = 0;
    virtual void destroyMonitor() = 0;
    virtual bool monitorExists() const = 0;
    // Hangs up the active connection, cancels a dial in progress, or dials the provider.
    virtual void toggleConnection() = 0;
};

class TelephonyLocations {
public:
    virtual ~TelephonyLocations() = default;
    // The area code of the current telephony location (reading it prepares the location data).
    virtual std::string currentAreaCode() = 0;
};

class DialogFallback {
public:
    virtual ~DialogFallback() = default;
    // The whole run with plain dialogs instead of pages, for an old web browser control.
    virtual void handleDialogFallback() = 0;
};
