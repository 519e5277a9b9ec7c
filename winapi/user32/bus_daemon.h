// The prefix's message bus: a dbus-daemon listening on the prefix's run/bus socket, started by the
// first process that needs it and shared by all processes of the prefix, like a per-machine
// server. A socket whose daemon died is replaced. The daemon ends when its socket disappears
// (the prefix was removed), so prefixes made for tests do not leave daemons behind.
#pragma once

#include <string>

namespace winapi::user32 {

// The D-Bus address of the prefix's bus when its daemon is running, "" otherwise. With `start`,
// a missing or dead daemon is (re)started first; problems are traced on standard error.
std::string prefixBusAddress(bool start);

}  // namespace winapi::user32
