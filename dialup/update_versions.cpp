// The update list and the recorded versions.
#include "update_versions.h"

#include <windows.h>

#include "registry.h"
#include "trace.h"

namespace {

constexpr DWORD kKeyListSize = 8192;
constexpr DWORD kVersionSize = 512;

}  // namespace

std::vector<std::string> updateListKeys(const std::string& listPath) {
    // The key names, each ended by a zero, the list by an empty name; one extra zero keeps the
    // walk inside the buffer whatever the profile function left in it.
    std::vector<char> names(kKeyListSize + 1, '\0');
    GetPrivateProfileStringA("Update", nullptr, "", names.data(), kKeyListSize, listPath.c_str());
    std::vector<std::string> keys;
    for (size_t at = 0; at < kKeyListSize && names[at];) {
        keys.emplace_back(names.data() + at);
        at += keys.back().size() + 1;
    }
    return keys;
}

std::string updateListVersion(const std::string& listPath, const std::string& key,
                              const char* defaultVersion) {
    char version[kVersionSize] = {};
    GetPrivateProfileStringA("Update", key.c_str(), defaultVersion, version, sizeof version,
                             listPath.c_str());
    return version;
}

std::string recordedVersionsKey(const std::string& programName) {
    return "Software\\" + programName + "\\Updates";
}

void storeRemoteFileVersionNumber(const std::string& installDir, const std::string& programName,
                                  const std::string& listName, const std::string& key) {
    const std::string path = installDir + listName;
    traceLine("storeRemoteFileVersionNumber (%s)\n", path.c_str());
    const std::string version = updateListVersion(path, key, "0");
    traceLine("version number is: %s\n", version.c_str());
    regWriteString(recordedVersionsKey(programName).c_str(), key.c_str(), version.c_str());
}

int importVersionNumbers(const std::string& installDir, const std::string& programName,
                         const std::string& listName) {
    const std::string path = installDir + listName;
    const std::string key = recordedVersionsKey(programName);
    int written = 0;
    for (const std::string& name : updateListKeys(path))
        if (regWriteString(key.c_str(), name.c_str(), updateListVersion(path, name, "").c_str()))
            ++written;
    return written;
}
