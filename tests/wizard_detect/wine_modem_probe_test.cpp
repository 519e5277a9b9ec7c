// The modem search of the Windows build under Wine, whose serial ports are terminals too: the
// simulated modem (the Linux build's modemsim, started from here as Wine starts Linux programs)
// is linked as COM3 of the Wine prefix and reached through Wine's own serial port functions.
// Wine's mount manager lists the links it finds when it starts; this link comes later, so the
// test lists it the same way ("\Device\Serial2" = "COM3") and takes the other ports out of the
// list, so that no terminal of the host is ever opened. On Windows itself there is nothing to
// simulate with, and the test is skipped.
#include "modem_probe.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using UnixName = char*(CDECL*)(LPCWSTR);

// The Unix path of a Windows path, through Wine's own conversion; empty outside Wine.
std::string unixPath(const std::string& windowsPath) {
    const auto convert = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* name = convert(wide.c_str());
    if (!name) return {};
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

std::string windowsPathOfUnix(const std::string& path) {
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

class WineModemProbe : public ::testing::Test {
protected:
    void SetUp() override {
        char prefix[MAX_PATH] = {};
        if (unixPath("C:\\").empty() ||
            !GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix))
            GTEST_SKIP() << "not under Wine";
        prefix_ = prefix;
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        std::string dir = self;
        dir.erase(dir.find_last_of('\\') + 1);
        modemsim_ = unixPath(dir + "..\\..\\linux\\bin\\modemsim");
        ASSERT_NE(GetFileAttributesA(windowsPathOfUnix(modemsim_).c_str()), INVALID_FILE_ATTRIBUTES)
            << "the Linux build's modemsim is needed: " << modemsim_;
        // Only COM3 is listed.
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                                  REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        std::vector<std::string> names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof name;
            if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.push_back(name);
        }
        for (const std::string& n : names) RegDeleteValueA(key, n.c_str());
        RegSetValueExA(key, "\\Device\\Serial2", 0, REG_SZ, reinterpret_cast<const BYTE*>("COM3"), 5);
        RegCloseKey(key);
    }

    // Starts a simulated modem on COM3 for up to a minute and waits until the port is linked.
    bool startModem(const char* answer) {
        link_ = windowsPathOfUnix(prefix_ + "/dosdevices/com3");
        DeleteFileA(link_.c_str());
        std::string line = windowsPathOfUnix(modemsim_) + " --answer " + answer + " --prefix " +
                           prefix_ + " --port 3 --exit-after 60";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return false;
        for (int waited = 0; waited < 10000; waited += 50) {
            if (GetFileAttributesA(link_.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            Sleep(50);
        }
        return false;
    }

    void TearDown() override {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 0);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        if (!link_.empty()) DeleteFileA(link_.c_str());
    }

    std::string prefix_, modemsim_, link_;
    PROCESS_INFORMATION process_{};
};

TEST_F(WineModemProbe, TheModemOnCom3IsFoundAfterThreeSteps) {
    ASSERT_TRUE(startModem("ok"));
    std::vector<int> steps;
    std::string command;
    EXPECT_EQ(probeModemPorts([&](int n) { steps.push_back(n); }, command), 3);
    EXPECT_EQ(command, "&F1");
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
}

TEST_F(WineModemProbe, AnErrorForAndF1AndOkForAndFFindsTheModemWithAndF) {
    ASSERT_TRUE(startModem("f-only"));
    std::string command;
    EXPECT_EQ(probeModemPorts(nullptr, command), 3);
    EXPECT_EQ(command, "&F");
}

}  // namespace
