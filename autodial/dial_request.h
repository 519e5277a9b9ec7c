// Serving one dial request of the provider's entry: the browser center is started as dialer (unless
// a request is already being served) and the request waits for the outcome it writes into the
// registry. Requests of all processes meet in the shared counter "TNAutoDial" and in the entry's
// "Connected" value.
#pragma once

#include <windows.h>

// Remote-access result codes of a request.
inline constexpr DWORD kDialSucceeded = 0;
inline constexpr DWORD kDialFailed = 631;  // ERROR_USER_DISCONNECTION

// Counts this request in; the new count (1234 when the shared block is unavailable).
LONG initApplicationInstance();
// Counts this request out.
void finitApplicationInstance();
// Waits, pumping the calling thread's messages, until "Connected" of the entry is "0" or "1"; the
// browser center started for this request (`dialer`, may be null) ending without an outcome
// counts as "0". TRUE when connected; `code` gets 0 or 631.
BOOL waitForDialerTermination(const char* entryName, DWORD* code, HANDLE dialer);
// The whole request: TRUE when connected; FALSE with 631 when the connection did not come up or
// the request could not be handed over (then `handedOver` is FALSE: no program recorded for the
// entry, or it did not start).
BOOL serveDialRequest(const char* entryName, DWORD* code, BOOL* handedOver);
