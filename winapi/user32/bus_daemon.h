// The prefix's message bus: a dbus-daemon listening on the prefix's run/bus socket, started by the
// first process that needs it and shared by all processes of the prefix, like a per-machine
// server. A socket whose daemon died is replaced. The daemon ends at once when its socket
// disappears (the prefix was removed), and by itself when no process of the prefix has been
// connected to it for a few seconds (the prefix's service idle time when that is shorter);
// processes connect under a lock that the ending daemon takes too, so none connects to a daemon
// that is going away.
#pragma once

#include <windows.h>

#include <gio/gio.h>

#include <string>

namespace winapi::user32 {

// The prefix's services (the bus, the remote-access service) end after this many seconds without
// anyone to serve: HKEY_LOCAL_MACHINE "System\Lumora" value "ServiceIdleSeconds" (REG_DWORD,
// 1 to 86400), 60 when it is missing or out of range.
inline constexpr const char* kServiceIdleValue = "ServiceIdleSeconds";
DWORD serviceIdleSeconds();

// A new connection to the prefix's bus, or nullptr when there is none (`missing` set) or it
// cannot be reached (traced on standard error). With `start`, a missing or dead daemon is
// (re)started first.
GDBusConnection* connectPrefixBus(bool start, bool* missing = nullptr);

}  // namespace winapi::user32
