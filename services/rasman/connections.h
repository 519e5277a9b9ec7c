// The connections of the prefix, owned by the service: each dial walks the RASCONNSTATE sequence
// on the service's main loop, answered by the simulated provider, and reports every state to the
// dialling window. A connection lives until it is hung up (by any process) or its line drops; a
// dial that failed or a line that dropped stays readable by its handle until it is hung up or the
// process that dialled has left the bus.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <glib.h>

namespace rasman {

struct DialRequest {
    std::string entry;  // Windows-1252, as everything below
    std::string phoneNumber, user, password, domain;
    std::string notifyBus;  // bus name of the process with the notified window, "" for none
    DWORD window = 0;
    std::string owner;  // bus name of the dialling process
};

struct ConnectionInfo {
    DWORD handle;
    std::string entry, deviceType, deviceName;
    DWORD state, error;
    std::string ipAddress;
};

class Connections {
public:
    Connections();
    ~Connections();
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;

    // Starts a dial; returns ERROR_SUCCESS and the new handle, or the error that prevents it.
    DWORD dial(const DialRequest& request, DWORD& handle);
    DWORD hangUp(DWORD handle);
    // nullptr when the handle is unknown.
    const ConnectionInfo* find(DWORD handle) const;
    // The connections being dialled or up, in the order they were dialled.
    std::vector<ConnectionInfo> active() const;
    // The dialling processes on the bus: when one leaves, what it dialled and has ended is
    // forgotten.
    void ownerPresent(const std::string& owner);
    void ownerGone(const std::string& owner);
    bool hasOwner(const std::string& owner) const;

private:
    struct Connection;
    void step(Connection& c);
    void schedule(Connection& c, guint delayMs, bool drop);
    void end(Connection& c, DWORD state, DWORD error);
    // Posts "RasDialEvent" with the connection's state and error to the dialling window.
    void report(const DialRequest& request, const ConnectionInfo& info);
    void forget(DWORD handle);

    std::map<DWORD, std::unique_ptr<Connection>> connections_;
    std::set<std::string> owners_;
    DWORD nextHandle_ = 0x00010001;
};

}  // namespace rasman
