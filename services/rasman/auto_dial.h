// AutoDial of the prefix: a program that cannot resolve a host name while no connection is up asks
// the service to bring up the Internet connection, the entry HKCU "RemoteAccess" "InternetProfile"
// names. The service hands it to the library the entry names, on a worker thread: the library
// waits for the browser center, which dials through this same service, so the main loop must keep
// serving. Requests that arrive meanwhile share the outcome of the dial under way.
#pragma once

#include "connections.h"

#include <gio/gio.h>

#include <vector>

namespace rasman {

class AutoDialer {
public:
    explicit AutoDialer(const Connections& connections) : connections_(connections) {}
    AutoDialer(const AutoDialer&) = delete;
    AutoDialer& operator=(const AutoDialer&) = delete;

    // Answers (u error, b dialled): dialled is true when the library reports the entry connected,
    // so that the caller resolves the name again. Nothing is dialled while a connection is being
    // dialled or up, or when the entry names no library.
    void request(GDBusMethodInvocation* invocation);
    // A dial through the library is under way: the service is not idle.
    bool busy() const { return !waiting_.empty(); }

private:
    void answer(DWORD error, bool dialled);

    const Connections& connections_;
    std::vector<GDBusMethodInvocation*> waiting_;
};

}  // namespace rasman
