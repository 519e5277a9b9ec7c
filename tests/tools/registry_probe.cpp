// registry_probe: makes the registry calls named on its command line in the prefix of its
// environment and prints one line per call, for tests that run a registry user as a process.
//   get KEY NAME      prints "STATUS DATA" (strings as text, dwords in decimal)
//   set KEY NAME TEXT prints "STATUS"
//   count KEY N       sets values v0 .. vN-1 one by one and prints each index once it is set
// KEY starts with HKLM\ or HKCU\.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HKEY openKey(const std::string& path, LSTATUS& status) {
    HKEY root = path.rfind("HKLM\\", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = nullptr;
    status = RegCreateKeyExA(root, path.substr(5).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr);
    return key;
}

void get(const std::string& path, const char* name) {
    LSTATUS status;
    HKEY key = openKey(path, status);
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS && type == REG_DWORD) {
        DWORD number;
        std::memcpy(&number, data, sizeof number);
        std::printf("%ld %lu\n", static_cast<long>(status), static_cast<unsigned long>(number));
    } else {
        std::printf("%ld %s\n", static_cast<long>(status), status == ERROR_SUCCESS ? data : "");
    }
}

void set(const std::string& path, const char* name, const char* text) {
    LSTATUS status;
    HKEY key = openKey(path, status);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                static_cast<DWORD>(std::strlen(text) + 1));
        RegCloseKey(key);
    }
    std::printf("%ld\n", static_cast<long>(status));
}

int count(const std::string& path, long n) {
    LSTATUS status;
    HKEY key = openKey(path, status);
    for (long i = 0; status == ERROR_SUCCESS && i < n; ++i) {
        const std::string name = "v" + std::to_string(i);
        const std::string data = std::to_string(i);
        status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>(data.size() + 1));
        if (status == ERROR_SUCCESS) {
            std::printf("%ld\n", i);
            std::fflush(stdout);
        }
    }
    if (status != ERROR_SUCCESS) std::printf("error %ld\n", static_cast<long>(status));
    return status == ERROR_SUCCESS ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc;) {
        const std::string command = argv[i];
        if (command == "get" && i + 2 < argc) {
            get(argv[i + 1], argv[i + 2]);
            i += 3;
        } else if (command == "set" && i + 3 < argc) {
            set(argv[i + 1], argv[i + 2], argv[i + 3]);
            i += 4;
        } else if (command == "count" && i + 2 < argc) {
            return count(argv[i + 1], std::strtol(argv[i + 2], nullptr, 10));
        } else {
            std::fprintf(stderr, "registry_probe: bad command %s\n", command.c_str());
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}
