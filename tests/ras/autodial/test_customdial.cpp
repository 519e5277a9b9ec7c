// A stand-in custom-dial library for the rasdial tests, in the place of the one the system
// registers for its entry on Windows 2000: RasCustomDialDlg dials the entry itself, as the
// program it starts would, and reports the outcome.
#include <windows.h>

#include <ras.h>
#include <rasdlg.h>

#include <string>

extern "C" __attribute__((visibility("default"))) BOOL WINAPI
RasCustomDialDlg(HINSTANCE, DWORD, LPWSTR, LPWSTR entry, LPWSTR, LPRASDIALDLG info, PVOID) {
    if (!entry || !info || info->dwSize != sizeof(RASDIALDLG)) return FALSE;
    RASDIALPARAMSA dial{};
    dial.dwSize = sizeof dial;
    std::string name;
    for (const WCHAR* c = entry; *c && name.size() < RAS_MaxEntryName; ++c)
        name += static_cast<char>(*c < 0x100 ? *c : '?');
    name.copy(dial.szEntryName, name.size());
    std::string("kunde").copy(dial.szUserName, 5);
    std::string("geheim").copy(dial.szPassword, 6);
    HRASCONN connection = nullptr;
    info->dwError = RasDialA(nullptr, nullptr, &dial, 0, nullptr, &connection);
    return info->dwError == 0;
}
