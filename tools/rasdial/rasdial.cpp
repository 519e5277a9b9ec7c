// rasdial: the stand-in for Windows' rasdial and the dial-up networking folder of a prefix.
//   rasdial                          lists the connections
//   rasdial ENTRY [USER PASSWORD]    dials ENTRY (with its saved user and password when none are
//                                    given), reporting its progress; an entry with a custom-dial
//                                    library (Windows 2000) or an AutoDial library and function
//                                    (earlier systems) is handed to it, as the dial-up networking
//                                    folder does
//   rasdial ENTRY /disconnect        hangs ENTRY up; "rasdial /disconnect" hangs up every
//                                    connection
//   rasdial ENTRY /create:NUMBER [/device:NAME]
//                                    makes a new phonebook entry, as the folder's new-connection
//                                    wizard does
// Texts are those of a German Windows. The exit code is 0 on success and 1 on failure (a Linux
// exit code cannot carry the remote-access error number, which is printed instead).
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include "cp1252.h"
#include "library_dial.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kDone = "Befehl wurde erfolgreich ausgeführt.";

// The system's texts are Windows-1252; the terminal speaks UTF-8.
void say(const std::string& cp1252Text) {
    std::printf("%s\n", winapi::cp1252ToUtf8(cp1252Text).c_str());
}
void sayUtf8(const char* text) { std::printf("%s\n", text); }

std::string format(const char* utf8Format, const std::string& cp1252Argument) {
    const std::string argument = winapi::cp1252ToUtf8(cp1252Argument);
    std::vector<char> text(std::strlen(utf8Format) + argument.size() + 1);
    std::snprintf(text.data(), text.size(), utf8Format, argument.c_str());
    return text.data();
}

int fail(DWORD error) {
    char text[512] = {};
    if (RasGetErrorStringA(error, text, sizeof text) != ERROR_SUCCESS) text[0] = 0;
    std::printf("Remotezugriffsfehler %u - %s\n", static_cast<unsigned>(error),
                winapi::cp1252ToUtf8(text).c_str());
    return 1;
}

std::vector<RASCONNA> connections() {
    std::vector<RASCONNA> list(100);
    list[0].dwSize = sizeof(RASCONNA);
    DWORD size = static_cast<DWORD>(list.size() * sizeof(RASCONNA));
    DWORD count = 0;
    if (RasEnumConnectionsA(list.data(), &size, &count) != ERROR_SUCCESS) count = 0;
    list.resize(count);
    return list;
}

int listConnections() {
    const std::vector<RASCONNA> list = connections();
    if (list.empty()) {
        sayUtf8("Keine Verbindungen");
    } else {
        sayUtf8("Verbunden mit");
        for (const RASCONNA& c : list) say(c.szEntryName);
    }
    sayUtf8(kDone);
    return 0;
}

int disconnect(const char* entry) {
    bool found = false;
    for (const RASCONNA& c : connections()) {
        if (entry && !winapi::equalsIgnoreCase(c.szEntryName, entry)) continue;
        found = true;
        if (DWORD error = RasHangUpA(c.hrasconn)) return fail(error);
    }
    if (!found) {
        if (entry) sayUtf8(format("Sie sind nicht mit %s verbunden.", entry).c_str());
        else sayUtf8("Keine Verbindungen");
        return 1;
    }
    sayUtf8(kDone);
    return 0;
}

int create(const char* entry, const std::string& number, const std::string& device) {
    DWORD size = 0;
    if (RasGetEntryPropertiesA(nullptr, "", nullptr, &size, nullptr, nullptr) !=
        ERROR_BUFFER_TOO_SMALL)
        return fail(ERROR_UNKNOWN);
    std::vector<BYTE> buffer(size);
    auto* properties = reinterpret_cast<RASENTRYA*>(buffer.data());
    properties->dwSize = size;
    if (DWORD error = RasGetEntryPropertiesA(nullptr, "", properties, &size, nullptr, nullptr))
        return fail(error);
    properties->dwfOptions &= ~RASEO_UseCountryAndAreaCodes;
    std::snprintf(properties->szLocalPhoneNumber, sizeof properties->szLocalPhoneNumber, "%s",
                  number.c_str());
    std::snprintf(properties->szDeviceType, sizeof properties->szDeviceType, "%s", RASDT_Modem);
    std::snprintf(properties->szDeviceName, sizeof properties->szDeviceName, "%s", device.c_str());
    if (DWORD error = RasSetEntryPropertiesA(nullptr, entry, properties, size, nullptr, 0))
        return fail(error);
    sayUtf8(kDone);
    return 0;
}

// The dial's progress arrives as "RasDialEvent" messages on a hidden window.
UINT dialEvent = 0;
DWORD lastState = 0;
DWORD lastError = 0;
bool finished = false;
std::string dialledEntry;

LRESULT CALLBACK progressWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != dialEvent || !dialEvent) return DefWindowProcA(hwnd, msg, wParam, lParam);
    lastState = static_cast<DWORD>(wParam);
    lastError = static_cast<DWORD>(lParam);
    if (!lastError) {
        if (lastState == RASCS_Authenticate)
            sayUtf8("Benutzername und Kennwort werden überprüft...");
        if (lastState == RASCS_AuthProject)
            sayUtf8("Computer wird im Netzwerk registriert...");
    }
    if (lastError || lastState == RASCS_Connected) {
        finished = true;
        PostQuitMessage(0);
    }
    return 0;
}

// The entry's properties in the system's structure size; empty when it cannot be read.
std::vector<BYTE> entryProperties(const char* entry) {
    DWORD size = 0;
    if (RasGetEntryPropertiesA(nullptr, "", nullptr, &size, nullptr, nullptr) !=
        ERROR_BUFFER_TOO_SMALL)
        return {};
    std::vector<BYTE> buffer(size);
    reinterpret_cast<RASENTRYA*>(buffer.data())->dwSize = size;
    if (RasGetEntryPropertiesA(nullptr, entry, reinterpret_cast<RASENTRYA*>(buffer.data()), &size,
                               nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return buffer;
}

// Reports the dial of the library the entry names; its outcome is rasdial's.
int reportLibraryDial(const char* entry, const winapi::ras::LibraryDialResult& result) {
    using winapi::ras::LibraryDial;
    switch (result.outcome) {
    case LibraryDial::CustomDialMissing:
        sayUtf8(format("Die Wählbibliothek des Eintrags %s ist nicht vorhanden.", entry).c_str());
        return 1;
    case LibraryDial::AutoDialMissing:
        sayUtf8(format("Die AutoDial-Funktion des Eintrags %s ist nicht vorhanden.", entry).c_str());
        return 1;
    case LibraryDial::Failed: return fail(result.error);
    default: break;
    }
    sayUtf8(format("Verbindung mit %s wurde hergestellt.", entry).c_str());
    sayUtf8(kDone);
    return 0;
}

int dial(const char* entry, const char* user, const char* password) {
    for (const RASCONNA& c : connections())
        if (winapi::equalsIgnoreCase(c.szEntryName, entry)) {
            sayUtf8(format("Sie sind bereits mit %s verbunden.", c.szEntryName).c_str());
            sayUtf8(kDone);
            return 0;
        }
    const std::vector<BYTE> properties = entryProperties(entry);
    if (properties.empty()) return fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    const auto& entryData = *reinterpret_cast<const RASENTRYA*>(properties.data());
    const winapi::ras::LibraryDialResult handed = winapi::ras::dialThroughLibrary(entry, entryData);
    if (handed.outcome != winapi::ras::LibraryDial::None) return reportLibraryDial(entry, handed);

    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::snprintf(params.szEntryName, sizeof params.szEntryName, "%s", entry);
    BOOL saved = FALSE;
    if (DWORD error = RasGetEntryDialParamsA(nullptr, &params, &saved)) return fail(error);
    if (user) std::snprintf(params.szUserName, sizeof params.szUserName, "%s", user);
    if (password) std::snprintf(params.szPassword, sizeof params.szPassword, "%s", password);

    dialEvent = RegisterWindowMessageA(RASDIALEVENT);
    WNDCLASSA cls{};
    cls.lpfnWndProc = &progressWindow;
    cls.lpszClassName = "RasDialProgress";
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    if (!window) return fail(ERROR_UNKNOWN);

    sayUtf8(format("Verbindung mit %s wird hergestellt...", entry).c_str());
    HRASCONN connection = nullptr;
    if (DWORD error = RasDialA(nullptr, nullptr, &params, 0xFFFFFFFF, window, &connection)) {
        if (connection) RasHangUpA(connection);
        return fail(error);
    }
    MSG msg;
    while (!finished && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (lastError) {
        RasHangUpA(connection);
        return fail(lastError);
    }
    sayUtf8(format("Verbindung mit %s wurde hergestellt.", entry).c_str());
    sayUtf8(kDone);
    return 0;
}

bool option(const char* argument, const char* name, std::string* value = nullptr) {
    if (argument[0] != '/' && argument[0] != '-') return false;
    const size_t length = std::strlen(name);
    if (!winapi::equalsIgnoreCase(std::string(argument + 1).substr(0, length), name)) return false;
    const char* rest = argument + 1 + length;
    if (!value) return *rest == 0;
    if (*rest != ':') return false;
    *value = rest + 1;
    return true;
}

int usage() {
    sayUtf8("Syntax: rasdial [Eintrag [Benutzername [Kennwort]] | Eintrag /disconnect |\n"
            "        Eintrag /create:Rufnummer [/device:Gerät]]");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(winapi::utf8ToCp1252(argv[i]));
    if (args.empty()) return listConnections();
    if (args.size() == 1 && option(args[0].c_str(), "disconnect")) return disconnect(nullptr);
    const char* entry = args[0].c_str();
    if (args.size() == 2 && option(args[1].c_str(), "disconnect")) return disconnect(entry);
    std::string number;
    if (args.size() >= 2 && option(args[1].c_str(), "create", &number)) {
        std::string device;
        if (args.size() == 3 && !option(args[2].c_str(), "device", &device)) return usage();
        if (args.size() > 3) return usage();
        return create(entry, number, device);
    }
    if (args.size() > 3 || entry[0] == '/') return usage();
    return dial(entry, args.size() > 1 ? args[1].c_str() : nullptr,
                args.size() > 2 ? args[2].c_str() : nullptr);
}
