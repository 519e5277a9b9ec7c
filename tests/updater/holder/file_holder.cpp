// file_holder: holds a file open the way a running program holds its own files, so that nobody
// can delete it, until the test releases it.
//   file_holder FILE FLAG
// Opens FILE without sharing, creates FLAG.ready, waits until FLAG exists, then ends with FILE
// still open, as a program does that leaves its files to the system.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const std::string ready = std::string(argv[2]) + ".ready";
    HANDLE marker = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    while (GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    return 0;
}
