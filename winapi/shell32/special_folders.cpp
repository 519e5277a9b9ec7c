// shell32: the user's special folders are those the prefix's registry names under
// "Shell Folders" (the prefix creates them with the machine); a folder without a value there
// does not exist on this machine.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace {

const char* valueName(int csidl) {
    switch (csidl & 0xff) {
    case CSIDL_PROGRAMS: return "Programs";
    case CSIDL_PERSONAL: return "Personal";
    case CSIDL_FAVORITES: return "Favorites";
    case CSIDL_STARTMENU: return "Start Menu";
    case CSIDL_DESKTOPDIRECTORY: return "Desktop";
    case CSIDL_APPDATA: return "AppData";
    default: return nullptr;
    }
}

}  // namespace

extern "C" {

BOOL WINAPI SHGetSpecialFolderPathA(HWND, LPSTR lpszPath, int csidl, BOOL fCreate) {
    const char* name = valueName(csidl);
    if (!lpszPath || !name) return FALSE;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return FALSE;
    char path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH, type = 0;
    const LSTATUS status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !path[0])
        return FALSE;
    if (fCreate) CreateDirectoryA(path, nullptr);
    std::memcpy(lpszPath, path, std::strlen(path) + 1);
    return TRUE;
}

}  // extern "C"
