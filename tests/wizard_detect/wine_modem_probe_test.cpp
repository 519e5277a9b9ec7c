// The modem search of the Windows build under Wine, whose serial ports are terminals too: the
// simulated modem (the Linux build's modemsim, started from here as Wine starts Linux programs)
// is linked as a COM port of the Wine prefix and reached through Wine's own serial port functions.
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
    }

    // Only the modem's port is listed. A prefix Wine has only just made may still be listing its
    // ports when the test begins, so the list is written once the modem is linked.
    static void listOnly(int port) {
        HKEY key;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
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
        const std::string device = "\\Device\\Serial" + std::to_string(port - 1);
        const std::string com = "COM" + std::to_string(port);
        RegSetValueExA(key, device.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(com.c_str()),
                       static_cast<DWORD>(com.size() + 1));
        RegCloseKey(key);
    }

    // Starts a simulated modem on a port for up to a minute and waits until the port is linked.
    // Each test takes a port of its own: a Linux program started through Wine may outlive the
    // test's end by its time limit.
    bool startModem(const char* answer, int port) {
        link_ = windowsPathOfUnix(prefix_ + "/dosdevices/com" + std::to_string(port));
        DeleteFileA(link_.c_str());
        std::string line = windowsPathOfUnix(modemsim_) + " --answer " + answer + " --prefix " +
                           prefix_ + " --port " + std::to_string(port) + " --exit-after 60";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return false;
        for (int waited = 0; waited < 10000; waited += 50) {
            if (GetFileAttributesA(link_.c_str()) != INVALID_FILE_ATTRIBUTES) {
                listOnly(port);
                return true;
            }
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

    // The modem search as the wizard runs it. A Wine prefix made moments ago may still be setting
    // up its devices, which lists the ports anew and hides the modem's port from the first
    // search; the port is listed again and the search repeated, a few times at most.
    int probe(int port, std::vector<int>* steps, std::string& command) {
        int found = 0;
        for (int attempt = 0; attempt < 3 && found == 0; ++attempt) {
            if (attempt) {
                Sleep(1000);
                listOnly(port);
            }
            if (steps) steps->clear();
            command.clear();
            found = probeModemPorts([&](int n) { if (steps) steps->push_back(n); }, command);
        }
        return found;
    }

    std::string prefix_, modemsim_, link_;
    PROCESS_INFORMATION process_{};
};

TEST_F(WineModemProbe, TheModemOnCom3IsFoundAfterThreeSteps) {
    ASSERT_TRUE(startModem("ok", 3));
    std::vector<int> steps;
    std::string command;
    EXPECT_EQ(probe(3, &steps, command), 3);
    EXPECT_EQ(command, "&F1");
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
}

TEST_F(WineModemProbe, AnErrorForAndF1AndOkForAndFFindsTheModemWithAndF) {
    ASSERT_TRUE(startModem("f-only", 2));
    std::string command;
    EXPECT_EQ(probe(2, nullptr, command), 2);
    EXPECT_EQ(command, "&F");
}

}  // namespace
