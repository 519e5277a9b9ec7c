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
        } else {
            break;
        }
    }
    return 0;
}
