// testmod: a tiny library for the module tests (LoadLibraryA, GetProcAddress). It also calls the
// Windows API, so on Linux it links against winapi, whose functions GetProcAddress must not
// report as this module's own.
#include <windows.h>

#ifdef _WIN32
#define TESTMOD_EXPORT extern "C" __declspec(dllexport)
#else
#define TESTMOD_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TESTMOD_EXPORT int testmod_answer(void) { return 42; }

TESTMOD_EXPORT int testmod_add(int a, int b) { return a + b; }

// Reads the caller's last error through the Windows API, which this library links against.
TESTMOD_EXPORT DWORD testmod_last_error(void) { return GetLastError(); }
