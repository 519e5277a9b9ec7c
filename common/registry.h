// Registry routines shared by the browser center, the updater and the custom-dial library. Each
// opens the key, does one thing and closes it again; failure is false or the caller's default.
#pragma once

#include <windows.h>

// Size of the buffer regReadString reads into; longer values are not read (the default is
// returned instead of a cut text).
inline constexpr DWORD kRegTextSize = 256;

// Creates or opens `key` under `hive` and sets a string value (with its terminating zero).
bool regWriteString(const char* key, const char* name, const char* text,
                    HKEY hive = HKEY_CURRENT_USER);
bool regWriteDword(const char* key, const char* name, DWORD value, HKEY hive = HKEY_CURRENT_USER);
bool regWriteBinary(const char* key, const char* name, const BYTE* data, DWORD length,
                    HKEY hive = HKEY_CURRENT_USER);

// A string value (REG_SZ, or REG_EXPAND_SZ left unexpanded) in one shared buffer that the next
// call overwrites, so callers copy it at once. Anything else - a missing key or value, another
// type, a text of kRegTextSize bytes or more - returns `defaultValue` itself.
const char* regReadString(const char* key, const char* name, const char* defaultValue,
                          HKEY hive = HKEY_CURRENT_USER);

// A REG_DWORD value, else `defaultValue`.
DWORD regReadDword(const char* key, const char* name, DWORD defaultValue,
                   HKEY hive = HKEY_CURRENT_USER);

bool regDeleteValue(const char* key, const char* name, HKEY hive = HKEY_CURRENT_USER);
