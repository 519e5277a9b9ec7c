// Which family of Windows the wizard runs on: several of its steps exist only on Windows 9x.
#pragma once

// True on Windows 95, 98 and Me (the version query's platform VER_PLATFORM_WIN32_WINDOWS).
bool isWindows9x();
