// The system's modem installation, started from the device list page. The wizard window is
// disabled and hidden while the program runs; a thread of its own waits for the program's end,
// so that the wizard's thread keeps handling its messages meanwhile.
#pragma once

#include <windows.h>

// Posted to the page that started the installation once the program has ended.
inline constexpr UINT kModemInstallationEnded = WM_APP + 2;

// Starts the modem installation program ("mdm.exe"), then disables and hides `wizard`; when the
// program ends, `page` receives kModemInstallationEnded. False (the wizard left as it is) when the
// program did not start.
bool startModemInstallation(HWND wizard, HWND page);
// On kModemInstallationEnded, on the wizard's thread: the wizard window enabled and shown again.
void endModemInstallation(HWND wizard);
