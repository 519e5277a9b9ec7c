// Browser and mail profiles.
#include "profiles.h"

#include <windows.h>

#include <cstdio>

#include "file_bytes.h"
#include "files.h"
#include "registry.h"
#include "signup_text.h"
#include "standard_browser.h"
#include "text.h"
#include "trace.h"

namespace {

constexpr const char* kNetscapeUsers = "Software\\Netscape\\Netscape Navigator\\Users\\";
constexpr const char* kMailAccounts = "Software\\Microsoft\\Internet Account Manager\\Accounts\\";

void deleteProfile(const std::string& root, const std::string& user) {
    const std::string key = kNetscapeUsers + user;
    regDeleteValue(key.c_str(), "DirRoot", HKEY_LOCAL_MACHINE);
    deleteDirectoryTree((root + "\\Users\\" + user).c_str());
}

}  // namespace

bool isSafeProfileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '\\' || c == '/' || c == ':') return false;
    return name.find("..") == std::string::npos;
}

void brandNetscape(const std::string& copyPath, const std::string& userName,
                   const std::string& storedUserName, const std::string& programFolder) {
    const std::string folder = registeredProgramFolder("NETSCAPE.EXE");
    if (folder.empty()) return;
    std::string text;
    readFileBytes(copyPath, text, kMaxSignupFileSize);
    const std::string bookmarks = rawSection(text, "[Bookmark]");
    const std::string prefs = rawSection(text, "[PrefsJs]");

    std::string root = lowerText(folder);
    if (size_t cut = root.find("\\communi"); cut != std::string::npos) root.resize(cut);
    const std::string program = registeredProgramPath("NETSCAPE.EXE");
    const size_t slash = program.rfind('\\');
    if (slash != std::string::npos) {
        const std::string programDir = program.substr(0, slash + 1);
        for (const char* file : {"little.bmp", "big.bmp", "netscape.cfg"}) {
            const std::string source = programFolder + file;
            if (fileExists(source.c_str())) CopyFileA(source.c_str(), (programDir + file).c_str(), FALSE);
        }
    }

    if (userName.empty()) return;
    // The name becomes a folder that is deleted with everything in it: a name that could
    // reach another folder is never used, though the account keeps it.
    if (!isSafeProfileName(userName)) {
        traceLine("brandNetscape: user name \"%s\" cannot name a profile folder - no profile\n",
                  userName.c_str());
        return;
    }
    if (!storedUserName.empty() && isSafeProfileName(storedUserName))
        deleteProfile(root, storedUserName);
    const std::string profile = root + "\\Users\\" + userName;
    regWriteString((kNetscapeUsers + userName).c_str(), "DirRoot", profile.c_str(),
                   HKEY_LOCAL_MACHINE);
    createDirectoryPath(profile.c_str());
    createDirectoryPath((profile + "\\mail").c_str());
    createDirectoryPath((profile + "\\news").c_str());
    writeFileBytes(profile + "\\bookmark.htm", bookmarks);
    writeFileBytes(profile + "\\prefs.js", prefs);
}

bool matchMailAccount(const std::string& server) {
    traceLine("Searching for matching registry account for: \"%s\"\n", server.c_str());
    if (server.empty()) return false;
    for (int number = 1; number <= 99; ++number) {
        char key[128];
        std::snprintf(key, sizeof key, "%s%08d", kMailAccounts, number);
        const std::string name = regReadString(key, "Account Name", "");
        traceLine("value in: \"%s\": \"%s\"\n", key, name.c_str());
        if (name != server) continue;
        traceLine("found entry at: \"%s\"\n", key);
        const BYTE dialUp[4] = {1, 0, 0, 0};
        regWriteBinary(key, "Connection Type", dialUp, sizeof dialUp);
        return true;
    }
    return false;
}
