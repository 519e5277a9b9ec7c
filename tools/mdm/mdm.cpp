// mdm: a stand-in for the system's modem installation program, which the wizard's device list
// page starts as "mdm.exe" (its "Modem-Assistent" button) and waits for. The real program lies
// outside this system. This one offers what a user expects of it: a small dialog that installs a
// standard modem on a serial port of the user's choice. On OK it records the modem where the
// system's modem installation records modems (the modem class keys of the registry, the Windows
// 9x ones or the NT class, as the system is), so that the dial devices list it from then on;
// Abbrechen installs nothing. Exit code 0 when a modem was installed, 1 when cancelled, 2 when it
// could not be recorded.
#include "dialog.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

constexpr const char* kModemClass9x = "System\\CurrentControlSet\\Services\\Class\\Modem";
constexpr const char* kModemEnum9x = "Enum\\Root\\Modem";
constexpr const char* kModemClassNt =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kSerialPorts = "Hardware\\DeviceMap\\Serialcomm";
constexpr const char* kModel = "Standardmodem";
constexpr int kPorts = 4;

constexpr int IDC_PORT = 100;
constexpr int IDC_NAME = 101;

const ui::DialogTemplate& installTemplate() {
    using ui::ControlClass;
    static const ui::DialogTemplate dialog{
        0, "Modem-Assistent", 220, 106, "MS Sans Serif", 8,
        {{-1, ControlClass::StaticText,
          "Der Modem-Assistent richtet ein Standardmodem (Hayes-kompatibel) ein. W\xe4hlen Sie den "
          "Anschluss, an dem Ihr Modem angeschlossen ist, und klicken Sie auf \x84OK\x93.",
          {8, 8, 204, 34}},
         {-1, ControlClass::StaticText, "&Anschluss:", {8, 48, 50, 10}},
         {IDC_PORT, ControlClass::DropDownList, "", {62, 46, 60, 70}},
         {-1, ControlClass::StaticText, "Name:", {8, 66, 50, 10}},
         {IDC_NAME, ControlClass::StaticText, "", {62, 66, 150, 10}},
         {IDOK, ControlClass::DefaultButton, "OK", {108, 86, 50, 14}},
         {IDCANCEL, ControlClass::PushButton, "Abbrechen", {162, 86, 50, 14}}}};
    return dialog;
}

bool isWindowsNt() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string text(HKEY key, const char* name) {
    char data[256] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return data;
}

bool setText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

// The modems already recorded under the class key: their entry names and their names.
void recordedModems(const char* classPath, std::set<std::string>& entries, std::set<std::string>& names) {
    HKEY classes = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, classPath, 0, KEY_READ, &classes) != ERROR_SUCCESS) return;
    char sub[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof sub;
        if (RegEnumKeyExA(classes, i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        entries.insert(sub);
        HKEY modem = nullptr;
        if (RegOpenKeyExA(classes, sub, 0, KEY_READ, &modem) != ERROR_SUCCESS) continue;
        const std::string friendly = text(modem, "FriendlyName");
        names.insert(friendly.empty() ? text(modem, "DriverDesc") : friendly);
        RegCloseKey(modem);
    }
    RegCloseKey(classes);
}

// The port the system lists first among COM1 to COM4 (0 when it lists none of them).
int firstListedPort() {
    HKEY ports = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialPorts, 0, KEY_READ, &ports) != ERROR_SUCCESS) return 0;
    int first = 0;
    char name[256], data[16];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, size = sizeof data - 1, type = 0;
        std::memset(data, 0, sizeof data);
        if (RegEnumValueA(ports, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            break;
        int port = 0;
        if (type == REG_SZ && std::sscanf(data, "COM%d", &port) == 1 && port >= 1 && port <= kPorts &&
            (first == 0 || port < first))
            first = port;
    }
    RegCloseKey(ports);
    return first;
}

// "Standardmodem an COM3", or with "#2" ... when a modem of that name is already recorded.
std::string modemName(int port) {
    std::set<std::string> entries, names;
    recordedModems(isWindowsNt() ? kModemClassNt : kModemClass9x, entries, names);
    const std::string base = std::string(kModel) + " an COM" + std::to_string(port);
    std::string name = base;
    for (int n = 2; names.count(name); ++n) name = base + " #" + std::to_string(n);
    return name;
}

// Records the modem as the system's modem installation does: a new numbered entry of the modem
// class ("0000", "0001" ...), on Windows 9x with its device entry under "Enum\Root\Modem".
bool installModem(int port, const std::string& name) {
    const bool nt = isWindowsNt();
    const char* classPath = nt ? kModemClassNt : kModemClass9x;
    std::set<std::string> entries, names;
    recordedModems(classPath, entries, names);
    char entry[8] = {};
    for (int n = 0; n < 10000; ++n) {
        std::snprintf(entry, sizeof entry, "%04d", n);
        if (!entries.count(entry)) break;
    }
    const std::string portName = "COM" + std::to_string(port);
    HKEY modem = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(classPath) + "\\" + entry).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &modem, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = setText(modem, "DriverDesc", kModel) && setText(modem, "Manufacturer", "(Standardmodemtypen)") &&
              setText(modem, "Model", kModel) && setText(modem, "AttachedTo", portName) &&
              setText(modem, "FriendlyName", name);
    RegCloseKey(modem);
    if (!ok || nt) return ok;
    HKEY device = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kModemEnum9x) + "\\" + entry).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &device, nullptr) != ERROR_SUCCESS)
        return false;
    ok = setText(device, "Class", "Modem") && setText(device, "DeviceDesc", kModel) &&
         setText(device, "FriendlyName", name) && setText(device, "Driver", std::string("Modem\\") + entry);
    RegCloseKey(device);
    return ok;
}

class InstallDialog : public ui::DialogHandler {
public:
    int port = 0;  // chosen on OK

    void onInit(ui::Dialog& d) override {
        for (int n = 1; n <= kPorts; ++n) d.addItem(IDC_PORT, "COM" + std::to_string(n));
        const int listed = firstListedPort();
        d.setSelection(IDC_PORT, (listed ? listed : 1) - 1);
        showName(d);
        d.setFocus(IDC_PORT);
    }
    bool onCommand(ui::Dialog& d, int id, ui::CommandEvent event) override {
        if (id == IDC_PORT && event == ui::CommandEvent::SelectionChanged) {
            showName(d);
            return true;
        }
        if (id == IDOK) {
            port = d.selection(IDC_PORT) + 1;
            d.end(IDOK);
            return true;
        }
        return false;
    }

private:
    void showName(ui::Dialog& d) { d.setText(IDC_NAME, modemName(d.selection(IDC_PORT) + 1)); }
};

}  // namespace

int main() {
    if (!ui::startDialogs()) {
        std::fprintf(stderr, "mdm: no display for the modem installation\n");
        return 2;
    }
    InstallDialog dialog;
    if (ui::runModal(installTemplate(), dialog) != IDOK || dialog.port < 1) return 1;
    const std::string name = modemName(dialog.port);
    if (!installModem(dialog.port, name)) {
        MessageBoxA(nullptr, "Das Modem konnte nicht eingerichtet werden.", "Modem-Assistent", MB_OK | MB_ICONERROR);
        return 2;
    }
    std::printf("mdm: \"%s\" installed on COM%d\n", name.c_str(), dialog.port);
    return 0;
}
