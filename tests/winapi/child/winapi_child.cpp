// winapi_child: a small program the conformance tests start as a real second process. It runs
// the commands of its argument list in order; the first word that is not a command ends the list
// (so tests can append arbitrary command-line text). When WINAPI_CHILD_REPORT names a file, it
// first writes its GetCommandLineA, its argument count and its arguments there, one per line.
//
// Commands:
//   exit CODE               end with ExitProcess(CODE)
//   sleep MS                Sleep(MS)
//   touch FILE              create FILE (tests wait for it to know the child got this far)
//   mapwrite NAME VALUE     create or open the 4-byte mapping NAME, store VALUE, keep it open
//   mapread NAME FILE       open the mapping NAME and write its value (or "missing ERROR") to FILE
//   open FILE SHARE         open FILE for reading and writing (OPEN_ALWAYS) with the share mode
//                           (FILE_SHARE_* bits) and keep it open until the process ends;
//                           exit code 5 when it cannot be opened
//   hold FILE SHARE MS      the same, closing it again after MS milliseconds
//   regset KEY VALUE DATA   store DATA as the REG_SZ VALUE of KEY (HKLM\... or HKCU\...)
//   regget KEY VALUE FILE   write that value (or "missing ERROR") to FILE
//   create FILE             CreateFileA(FILE, CREATE_NEW) and close it; exit code 7 when it fails
//   delete FILE             DeleteFileA(FILE); exit code 8 when it fails
//   move FROM TO            MoveFileA(FROM, TO); exit code 9 when it fails
//   mkdir FOLDER            CreateDirectoryA(FOLDER); exit code 10 when it fails
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool writeFile(const char* path, const std::string& text) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return true;
}

void report(int argc, char** argv) {
    char path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("WINAPI_CHILD_REPORT", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    std::string text = GetCommandLineA();
    text += "\n" + std::to_string(argc) + "\n";
    for (int i = 0; i < argc; ++i) text += std::string(argv[i]) + "\n";
    writeFile(path, text);
}

DWORD number(const char* text) { return static_cast<DWORD>(std::strtoul(text, nullptr, 0)); }

// HKLM\Software\x -> the root key and Software\x; null for an unknown root.
HKEY splitKey(const std::string& path, std::string& subKey) {
    const size_t slash = path.find('\\');
    const std::string root = path.substr(0, slash);
    subKey = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    if (root == "HKLM") return HKEY_LOCAL_MACHINE;
    if (root == "HKCU") return HKEY_CURRENT_USER;
    return nullptr;
}

bool setValue(const char* keyPath, const char* name, const char* data) {
    std::string subKey;
    HKEY root = splitKey(keyPath, subKey);
    HKEY key = nullptr;
    if (!root || RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                          static_cast<DWORD>(std::strlen(data) + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string getValue(const char* keyPath, const char* name) {
    std::string subKey;
    HKEY root = splitKey(keyPath, subKey);
    if (!root) return "missing " + std::to_string(ERROR_INVALID_HANDLE);
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) return "missing " + std::to_string(status);
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return "missing " + std::to_string(status);
    return data;
}

HANDLE openShared(const char* path, DWORD share) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    report(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string command = argv[i];
        const int left = argc - i - 1;
        if (command == "exit" && left >= 1) {
            ExitProcess(number(argv[i + 1]));
        } else if (command == "sleep" && left >= 1) {
            Sleep(number(argv[++i]));
        } else if (command == "touch" && left >= 1) {
            if (!writeFile(argv[++i], "")) return 3;
        } else if (command == "mapwrite" && left >= 2) {
            // The handle stays open until the process ends, which keeps the object alive.
            HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                sizeof(DWORD), argv[i + 1]);
            void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)) : nullptr;
            if (!view) return 4;
            *static_cast<volatile DWORD*>(view) = number(argv[i + 2]);
            i += 2;
        } else if (command == "mapread" && left >= 2) {
            std::string text;
            HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, argv[i + 1]);
            void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(DWORD)) : nullptr;
            if (view) text = std::to_string(*static_cast<volatile DWORD*>(view));
            else text = "missing " + std::to_string(GetLastError());
            if (view) UnmapViewOfFile(view);
            if (mapping) CloseHandle(mapping);
            if (!writeFile(argv[i + 2], text)) return 3;
            i += 2;
        } else if (command == "open" && left >= 2) {
            if (openShared(argv[i + 1], number(argv[i + 2])) == INVALID_HANDLE_VALUE) return 5;
            i += 2;
        } else if (command == "hold" && left >= 3) {
            HANDLE file = openShared(argv[i + 1], number(argv[i + 2]));
            if (file == INVALID_HANDLE_VALUE) return 5;
            Sleep(number(argv[i + 3]));
            CloseHandle(file);
            i += 3;
        } else if (command == "regset" && left >= 3) {
            if (!setValue(argv[i + 1], argv[i + 2], argv[i + 3])) return 6;
            i += 3;
        } else if (command == "regget" && left >= 3) {
            if (!writeFile(argv[i + 3], getValue(argv[i + 1], argv[i + 2]))) return 3;
            i += 3;
        } else if (command == "create" && left >= 1) {
            HANDLE file = CreateFileA(argv[++i], GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) return 7;
            CloseHandle(file);
        } else if (command == "delete" && left >= 1) {
            if (!DeleteFileA(argv[++i])) return 8;
        } else if (command == "move" && left >= 2) {
            if (!MoveFileA(argv[i + 1], argv[i + 2])) return 9;
            i += 2;
        } else if (command == "mkdir" && left >= 1) {
            if (!CreateDirectoryA(argv[++i], nullptr)) return 10;
        } else {
            break;
        }
    }
    return 0;
}
