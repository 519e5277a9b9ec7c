// rasapi32's link to the prefix's remote-access service, which it starts when it is not running.
#pragma once

#include <windows.h>

#include <gio/gio.h>

namespace winapi::ras {

// Calls a method of the service and returns its reply (to be unreffed), or nullptr with
// `error` set to ERROR_RASMAN_CANNOT_INITIALIZE when the service cannot be reached.
GVariant* callService(const char* method, GVariant* args, const char* replyType, DWORD& error);

}  // namespace winapi::ras
