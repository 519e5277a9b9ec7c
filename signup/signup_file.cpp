// Applying a signup file.
#include "signup_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "file_bytes.h"
#include "files.h"
#include "process.h"
#include "profiles.h"
#include "ras_calls.h"
#include "registry.h"
#include "signup_text.h"
#include "standard_browser.h"
#include "trace.h"
#include "update_renames.h"

namespace {

constexpr const char* kConnectionsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr DWORD kProxyValueSize = 60;
constexpr DWORD kProxyHeaderSize = 16;
constexpr DWORD kValueSize = 256;
constexpr DWORD kStartupModeSize = 512;

std::string profileText(const std::string& file, const char* section, const char* key,
                        DWORD size = kValueSize) {
    std::string value(size, '\0');
    const DWORD length =
        GetPrivateProfileStringA(section, key, "", value.data(), size, file.c_str());
    value.resize(length);
    return value;
}

void brandInternetExplorer(const std::string& copy, const std::string& proxy,
                           SignupAccount& account) {
    std::string target = registeredProgramFolder("IEXPLORE.EXE");
    if (target.empty() || !minimalIEPresent()) return;
    if (target.back() != '\\') target += '\\';
    target += "Signup\\";
    createDirectoryPath(target.c_str());
    const std::string branding = target + "install.ins";
    CopyFileA(copy.c_str(), branding.c_str(), FALSE);
    const std::string folder = account.programFolder();
    for (const char* bitmap : {"ie22.bmp", "ie22_ani.bmp", "ie38.bmp", "ie38_ani.bmp", "tb.bmp"}) {
        const std::string source = folder + bitmap;
        if (!fileExists(source.c_str())) continue;
        const std::string destination = target + bitmap;
        traceLine("copying: \"%s\" --> \"%s\"\n", source.c_str(), destination.c_str());
        CopyFileA(source.c_str(), destination.c_str(), FALSE);
    }
    if (!proxy.empty()) {
        const std::string entry = account.entryName();
        traceLine("activating proxy settings \"%s\" for connection \"%s\"\n", proxy.c_str(),
                  entry.c_str());
        activateProxy(proxy, entry);
    }
    char fallback[kValueSize] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_SIGNUP_COMMAND, fallback, sizeof fallback);
    const std::string key = "Software\\" + account.programName();
    std::string command = regReadString(key.c_str(), "SignupCommand", fallback);
    if (!command.empty()) runProgram(nullptr, command.c_str(), SW_SHOWNORMAL, true);
    DeleteFileA(branding.c_str());
}

}  // namespace

std::string normaliseSignupCopy(const std::string& path, const std::string& folder) {
    char temporary[MAX_PATH] = {};
    if (!GetTempFileNameA(folder.c_str(), "tni", 0, temporary)) {
        traceLine("no temporary file in \"%s\"\n", folder.c_str());
        return "";
    }
    std::string bytes;
    bool tooLarge = false;
    bool read = readFileBytes(path, bytes, kMaxSignupFileSize, &tooLarge);
    if (!read && !tooLarge && CopyFileA(path.c_str(), temporary, FALSE))
        read = readFileBytes(temporary, bytes, kMaxSignupFileSize);
    const std::string problem = tooLarge ? std::string("larger than 1 MiB")
                                : read   ? signupTextProblem(bytes)
                                         : std::string("unreadable");
    if (!problem.empty()) {
        traceLine("signup file \"%s\" refused: %s - nothing applied\n", path.c_str(),
                  problem.c_str());
        DeleteFileA(temporary);
        return "";
    }
    if (!writeFileBytes(temporary, normaliseLineEnds(bytes))) {
        DeleteFileA(temporary);
        return "";
    }
    return temporary;
}

void activateProxy(const std::string& proxy, const std::string& entryName) {
    BYTE value[kProxyValueSize] = {};
    // The text fills the value after the four numbers and keeps a closing zero; the length
    // number gives what is stored, so a reader never reads past the value.
    const DWORD length = static_cast<DWORD>(
        proxy.size() < kProxyValueSize - kProxyHeaderSize ? proxy.size()
                                                          : kProxyValueSize - kProxyHeaderSize - 1);
    const DWORD header[4] = {kProxyValueSize, 1, 3, length};
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b) value[i * 4 + b] = static_cast<BYTE>(header[i] >> (8 * b));
    std::memcpy(value + kProxyHeaderSize, proxy.data(), length);
    regWriteBinary(kConnectionsKey, entryName.c_str(), value, kProxyValueSize);
}

bool parseTNIFile(const std::string& customerLabel, const std::string& path, bool closeAll,
                  SignupAccount& account) {
    traceLine("parseTNIFile() - kunde=\"%s\" fileName=\"%s\"\n", customerLabel.c_str(),
              path.c_str());
    const std::string folder = account.programFolder();
    const std::string copy = normaliseSignupCopy(path, folder);
    if (copy.empty()) return false;

    renameFilesViaUpdater(folder, copy, "RenameFiles");

    const std::string phoneNumber = profileText(copy, "Phone", "Phone_Number");
    const std::string areaCode = profileText(copy, "Phone", "Area_Code");
    const std::string countryCode = profileText(copy, "Phone", "Country_Code");
    const std::string name = profileText(copy, "User", "Name");
    const std::string password = profileText(copy, "User", "Password");
    const std::string startupMode = profileText(copy, "User", "StartupMode", kStartupModeSize);
    const std::string proxy = profileText(copy, "User", "Proxy");
    const std::string imapServer = profileText(copy, "Internet_Mail", "IMAP_Server");
    const std::string popServer = profileText(copy, "Internet_Mail", "POP3_Server");

    if (!startupMode.empty()) account.storeStartupMode(startupMode);
    if (!phoneNumber.empty()) {
        const std::string number = "+" + countryCode + " (" + areaCode + ") " + phoneNumber;
        account.storePhoneNumber(number);
        traceLine("parse INI sections set and save RasPhoneNumber -- %s\n ", number.c_str());
    }
    // The account is about to change under an open connection.
    if (!getConnectedEntries().empty()) closeRasConnection(account.entryName().c_str());
    if (!name.empty()) account.storeUserName(name);
    if (!password.empty()) account.storePassword(password);
    account.makeAutoDial();

    if (closeAll) {
        traceLine("closing all application windows...\n");
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("WM_TN_TERM_APP"), 0, 0);
        traceLine("...done\n");
        traceLine("...closing all IE / NC windows...\n");
        closeBrowserWindows();
        traceLine("...done\n");
    }

    brandInternetExplorer(copy, proxy, account);
    brandNetscape(copy, name, account.userName(), folder);
    if (!imapServer.empty())
        matchMailAccount(imapServer);
    else if (!popServer.empty())
        matchMailAccount(popServer);

    DeleteFileA(copy.c_str());
    return true;
}
