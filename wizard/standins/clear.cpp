// Stand-in for the provider's clean-up helper ("clear.exe SHORTNAME"), which the wizard runs
// after it was cancelled: it removes the variables file SHORTNAME.dat from the Windows folder,
// so that the next start begins afresh. A short name that is not a plain file name is refused.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    const std::string line = GetCommandLineA();
    const size_t blank = line.rfind(' ');
    const std::string name = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos || name == "." ||
        name == "..") {
        std::fprintf(stderr, "clear: no plain short name given\n");
        return 2;
    }
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    std::string file = folder;
    if (!file.empty() && file.back() != '\\') file += '\\';
    file += name + ".dat";
    return DeleteFileA(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : 1;
}
