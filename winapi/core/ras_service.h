// The link of a prefix's processes to its remote-access service (rasapi32's calls, WinSock's
// AutoDial), which is started when it is not running.
#pragma once

#include <windows.h>

#include <gio/gio.h>

#include <string>

namespace winapi::ras {

inline constexpr int kServiceCallTimeoutMs = 10000;

// Calls a method of the service and returns its reply (to be unreffed), or nullptr with
// `error` set to ERROR_RASMAN_CANNOT_INITIALIZE when the service cannot be reached or does not
// answer within `timeoutMs` (G_MAXINT: waits as long as the service takes).
GVariant* callService(const char* method, GVariant* args, const char* replyType, DWORD& error,
                      int timeoutMs = kServiceCallTimeoutMs);

// The unique bus name of the service instance running now; empty when none runs.
std::string serviceOwner();

// How a dial stands with one service instance (`owner`, from serviceOwner()), asked without
// starting a service. Gone: that instance is no longer there.
enum class DialStanding { Dialling, Ended, Gone };
DialStanding dialStanding(const std::string& owner, DWORD handle, DWORD& state);

}  // namespace winapi::ras
