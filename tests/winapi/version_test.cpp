// The Windows version: the structure sizes GetVersionExA accepts, GetVersion agreeing with it,
// and (on Linux, where the prefix chooses the emulated system) the real values of each system.
#include <windows.h>

#include "testenv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Version, GetVersionAgreesWithGetVersionEx) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    const DWORD packed = GetVersion();
    EXPECT_EQ(LOBYTE(LOWORD(packed)), info.dwMajorVersion);
    EXPECT_EQ(HIBYTE(LOWORD(packed)), info.dwMinorVersion);
    EXPECT_EQ((packed & 0x80000000) != 0, info.dwPlatformId != VER_PLATFORM_WIN32_NT);
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        EXPECT_EQ(HIWORD(packed), info.dwBuildNumber & 0x7FFF);
    }
}

TEST(Version, RejectsUnknownStructureSizes) {
    for (DWORD size : {static_cast<DWORD>(0), static_cast<DWORD>(sizeof(OSVERSIONINFOA) - 1),
                       static_cast<DWORD>(sizeof(OSVERSIONINFOA) + 1),
                       static_cast<DWORD>(sizeof(OSVERSIONINFOEXA) + 4)}) {
        OSVERSIONINFOEXA info{};
        info.dwOSVersionInfoSize = size;
        SetLastError(0);
        EXPECT_FALSE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info))) << size;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << size;
    }
}

TEST(Version, ExtendedStructureOnNt) {
    OSVERSIONINFOA shortInfo{};
    shortInfo.dwOSVersionInfoSize = sizeof shortInfo;
    ASSERT_TRUE(GetVersionExA(&shortInfo));
    ASSERT_EQ(shortInfo.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info)));
    EXPECT_EQ(info.dwMajorVersion, shortInfo.dwMajorVersion);
    EXPECT_EQ(info.dwBuildNumber, shortInfo.dwBuildNumber);
    EXPECT_STREQ(info.szCSDVersion, shortInfo.szCSDVersion);
    EXPECT_NE(info.wProductType, 0);
}

#ifndef _WIN32
// The emulated system is chosen by the prefix's registry value.
void emulate(const char* version) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\Lumora", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (version) {
        ASSERT_EQ(RegSetValueExA(key, "WindowsVersion", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(version),
                                 static_cast<DWORD>(std::strlen(version) + 1)),
                  ERROR_SUCCESS);
    } else {
        RegDeleteValueA(key, "WindowsVersion");
    }
    RegCloseKey(key);
}

TEST(Version, AnswersTheEmulatedSystemWithItsRealValues) {
    struct Case {
        const char* setting;
        DWORD major, minor, build, platform;
        const char* servicePack;
        DWORD packed;
    } cases[] = {
        {"95", 4, 0, 0x040003B6, VER_PLATFORM_WIN32_WINDOWS, "", 0xC0000004},
        {"98", 4, 10, 0x040A07CE, VER_PLATFORM_WIN32_WINDOWS, "", 0xC0000A04},
        {"NT4", 4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6", 0x05650004},
        {"2000", 5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4", 0x08930005},
        {"nt4", 4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6", 0x05650004},
        {"3.11", 5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4", 0x08930005},
        {nullptr, 5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4", 0x08930005},
    };
    for (const Case& c : cases) {
        emulate(c.setting);
        const std::string label = c.setting ? c.setting : "(none)";
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        ASSERT_TRUE(GetVersionExA(&info)) << label;
        EXPECT_EQ(info.dwMajorVersion, c.major) << label;
        EXPECT_EQ(info.dwMinorVersion, c.minor) << label;
        EXPECT_EQ(info.dwBuildNumber, c.build) << label;
        EXPECT_EQ(info.dwPlatformId, c.platform) << label;
        EXPECT_STREQ(info.szCSDVersion, c.servicePack) << label;
        EXPECT_EQ(GetVersion(), c.packed) << label;

        // Windows 9x knows only the short structure.
        OSVERSIONINFOEXA ex{};
        ex.dwOSVersionInfoSize = sizeof ex;
        const BOOL extended = GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&ex));
        EXPECT_EQ(extended != FALSE, c.platform == VER_PLATFORM_WIN32_NT) << label;
        if (extended) {
            EXPECT_EQ(ex.wServicePackMajor, c.major == 5 ? 4 : 6) << label;
        }
    }
}

// The version is the prefix's: another process that switches it switches it for everyone.
TEST(Version, AnotherProcessOfThePrefixSwitchesIt) {
    emulate("2000");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = "child regset HKLM\\System\\Lumora WindowsVersion 98";
    const std::string program = lumora_test::builtProgram("winapi_child");
    ASSERT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info));
    ASSERT_EQ(WaitForSingleObject(info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_EQ(GetVersion(), 0xC0000A04u);
}
#endif

}  // namespace
