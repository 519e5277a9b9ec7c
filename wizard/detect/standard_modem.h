// The standard modem's system entries on Windows 9x: prepared from the registry script
// "mdm.reg" for the port the modem answered on, and removed again when no modem is found.
// On Windows NT both do nothing.
#pragma once

#include <windows.h>

class CDialDevices;

inline constexpr const char* kStandardModemScript = "mdm.reg";
inline constexpr const char* kStandardModemKey = "STDMOD";
// How long the preparation waits for the script's keys to appear, in milliseconds.
inline constexpr DWORD kStandardModemWaitLimit = 15000;

enum class StandardModemResult {
    Prepared,     // the entries exist with the port and the friendly name
    NotNeeded,    // Windows NT: the system's own modem installation is used
    NotStarted,   // "regedit.exe" did not start
    TimedOut,     // the script's keys did not appear within the limit
};

// Deletes the modem class key, imports `script` with "regedit.exe /s", waits (up to `limitMs`)
// for the keys it makes, sets "AttachedTo" to `portName` and "FriendlyName" to `friendlyName`,
// and closes the dial-up engine's window so that the system reloads its devices.
StandardModemResult prepareStandardModem(const char* script, const char* portName,
                                         const char* friendlyName,
                                         DWORD limitMs = kStandardModemWaitLimit);

// Deletes both keys of the standard modem and rebinds the dial devices after the dial-up
// engine's window is closed. False on Windows NT, where nothing is done.
bool removeStandardModem(CDialDevices& devices);

// Sends WM_CLOSE to the dial-up engine's window ("RnaEngClass"), if there is one.
void closeDialEngineWindow();
