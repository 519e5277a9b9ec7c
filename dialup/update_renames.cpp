// Renaming files through the updater.
#include "update_renames.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "archive.h"
#include "process.h"
#include "trace.h"

namespace {

constexpr DWORD kKeyListSize = 8192;
constexpr DWORD kValueSize = 512;
constexpr size_t kCommandLineSize = 512;

// The names come from a file from outside: each must name a file inside the program folder.
bool staysInFolder(std::string name) {
    for (char& c : name)
        if (c == '/') c = '\\';
    return isContainedArchiveName(name.c_str());
}

}  // namespace

int renameFilesViaUpdater(const std::string& installDir, const std::string& filePath,
                          const std::string& section) {
    std::vector<char> names(kKeyListSize + 1, '\0');
    GetPrivateProfileStringA(section.c_str(), nullptr, "", names.data(), kKeyListSize,
                             filePath.c_str());
    int started = 0;
    for (size_t at = 0; at < kKeyListSize && names[at];) {
        const std::string source(names.data() + at);
        at += source.size() + 1;
        char destination[kValueSize] = {};
        GetPrivateProfileStringA(section.c_str(), source.c_str(), "", destination,
                                 sizeof destination, filePath.c_str());
        if (!staysInFolder(source) || !staysInFolder(destination)) {
            traceLine("renameFilesViaUpdater: \"%s\" -> \"%s\" leaves the program folder: skipped\n",
                      source.c_str(), destination);
            continue;
        }
        char line[kCommandLineSize];
        const int length = std::snprintf(line, sizeof line, "-r\"%s%s\" -l\"%s%s\" -x\"3\"",
                                         installDir.c_str(), source.c_str(), installDir.c_str(),
                                         destination);
        if (length < 0 || static_cast<size_t>(length) >= sizeof line) continue;
        if (runProgram("TnUpdate.exe", line, SW_HIDE, false)) ++started;
    }
    return started;
}
