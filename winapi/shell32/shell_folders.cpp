// shell32: the user's special folders are those the prefix's registry names under
// "Shell Folders" (the prefix creates them with the machine); a folder without a value there
// does not exist on this machine. A folder's item list here holds one item: its path.
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
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

// The registered path of the folder; false when the machine has none.
bool folderPath(int csidl, char (&path)[MAX_PATH + 1]) {
    const char* name = valueName(csidl);
    if (!name) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = MAX_PATH, type = 0;
    const LSTATUS status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    path[size < MAX_PATH ? size : MAX_PATH] = '\0';
    return status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && path[0];
}

}  // namespace

extern "C" {

BOOL WINAPI SHGetSpecialFolderPathA(HWND, LPSTR lpszPath, int csidl, BOOL fCreate) {
    char path[MAX_PATH + 1] = {};
    if (!lpszPath || !folderPath(csidl, path)) return FALSE;
    if (fCreate) CreateDirectoryA(path, nullptr);
    std::memcpy(lpszPath, path, std::strlen(path) + 1);
    return TRUE;
}

HRESULT WINAPI SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* ppidl) {
    if (!ppidl) return E_INVALIDARG;
    *ppidl = nullptr;
    char path[MAX_PATH + 1] = {};
    if (!folderPath(csidl, path)) return E_FAIL;
    const size_t length = std::strlen(path) + 1;
    const size_t itemSize = sizeof(USHORT) + length;
    auto* list = static_cast<BYTE*>(std::calloc(1, itemSize + sizeof(USHORT)));
    if (!list) return E_FAIL;
    const USHORT cb = static_cast<USHORT>(itemSize);
    std::memcpy(list, &cb, sizeof cb);
    std::memcpy(list + sizeof cb, path, length);
    *ppidl = reinterpret_cast<LPITEMIDLIST>(list);
    return S_OK;
}

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath) {
    if (!pidl || !pszPath) return FALSE;
    USHORT cb = 0;
    std::memcpy(&cb, pidl, sizeof cb);
    if (cb <= sizeof cb || cb - sizeof cb > MAX_PATH) return FALSE;
    const char* text = reinterpret_cast<const char*>(pidl) + sizeof cb;
    const size_t length = strnlen(text, cb - sizeof cb);
    std::memcpy(pszPath, text, length);
    pszPath[length] = '\0';
    return TRUE;
}

void WINAPI ILFree(LPITEMIDLIST pidl) { std::free(pidl); }

}  // extern "C"
