// The "-importini" run.
#include "version_import.h"

#include <windows.h>

#include <vector>

#include "registry.h"

namespace {

constexpr DWORD kKeyListSize = 8192;
constexpr DWORD kVersionSize = 512;

}  // namespace

int importVersionNumbers(const std::string& installDir, const std::string& programName,
                         const std::string& listName) {
    std::string path = installDir + listName;
    std::string key = "Software\\" + programName + "\\Updates";
    // The key names, each ended by a zero, the list by an empty name; one extra zero keeps the
    // walk inside the buffer whatever the profile function left in it.
    std::vector<char> names(kKeyListSize + 1, '\0');
    GetPrivateProfileStringA("Update", nullptr, "", names.data(), kKeyListSize, path.c_str());
    int written = 0;
    for (size_t at = 0; at < kKeyListSize && names[at];) {
        std::string name(names.data() + at);
        at += name.size() + 1;
        char version[kVersionSize];
        GetPrivateProfileStringA("Update", name.c_str(), "", version, sizeof version,
                                 path.c_str());
        if (regWriteString(key.c_str(), name.c_str(), version)) ++written;
    }
    return written;
}
