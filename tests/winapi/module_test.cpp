// Modules: libraries found by their Windows names ignoring case, functions looked up by name
// (only the module's own), reference counting, and module file names with the truncation rule.
#include <windows.h>

#include "testenv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A looked-up function in its real type (through the generic function pointer type).
template <class F>
F function(FARPROC address) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(address));
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(Modules, LibraryIsFoundByItsWindowsNameIgnoringCase) {
    HMODULE module = LoadLibraryA("testmod.dll");
    ASSERT_NE(module, nullptr) << GetLastError();
    // The same module again, however it is named.
    const std::string explicitPath = lumora_test::binaryDir() + "testmod.dll";
    for (const char* name : {"TESTMOD.DLL", "TestMod", explicitPath.c_str()}) {
        HMODULE again = LoadLibraryA(name);
        EXPECT_EQ(again, module) << name;
        EXPECT_TRUE(FreeLibrary(again));
    }
    EXPECT_EQ(GetModuleHandleA("TestMod.dll"), module);

    using Answer = int (*)();
    using Add = int (*)(int, int);
    auto answer = function<Answer>(GetProcAddress(module, "testmod_answer"));
    auto add = function<Add>(GetProcAddress(module, "testmod_add"));
    ASSERT_NE(answer, nullptr);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(add(2, 3), 5);

    // A module handle is no kernel object handle.
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(module));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetModuleHandleA("testmod.dll"), module);

    EXPECT_TRUE(FreeLibrary(module));
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("testmod.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(Modules, GetProcAddressKnowsOnlyTheModulesOwnFunctions) {
    HMODULE module = LoadLibraryA("testmod.dll");
    ASSERT_NE(module, nullptr) << GetLastError();
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "testmod_missing"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    // testmod calls GetLastError but does not export it.
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "GetLastError"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Modules, SystemLibrariesAreAlwaysLoaded) {
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    ASSERT_NE(kernel, nullptr);
    EXPECT_NE(GetProcAddress(kernel, "GetLastError"), nullptr);
    HMODULE again = LoadLibraryA("kernel32");
    EXPECT_EQ(again, kernel);
    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), kernel);
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    ASSERT_NE(advapi, nullptr);
    EXPECT_NE(GetProcAddress(advapi, "RegOpenKeyExA"), nullptr);
    EXPECT_TRUE(FreeLibrary(advapi));
}

TEST(Modules, MissingLibrariesAndBadInput) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("no_such_library_x1.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    const std::string missingPath = lumora_test::scratchDir() + "testmod.dll";
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(missingPath.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_NE(GetLastError(), 0u);
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("no_such_library_x1.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(Modules, FileNamesOfProgramAndLibrary) {
    char path[MAX_PATH];
    SetLastError(12345);
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_GT(length, 0u);
    EXPECT_EQ(length, strlen(path));
    EXPECT_EQ(lower(path), lower(lumora_test::builtProgram("winapi_tests")));
    EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(nullptr), path, sizeof path), length);

    HMODULE module = LoadLibraryA("testmod.dll");
    ASSERT_NE(module, nullptr);
    char library[MAX_PATH];
    const DWORD libraryLength = GetModuleFileNameA(module, library, sizeof library);
    ASSERT_GT(libraryLength, 0u);
    const std::string name = lower(library);
    EXPECT_EQ(name.rfind(lower(lumora_test::binaryDir()), 0), 0u) << name;
    EXPECT_NE(name.find("testmod"), std::string::npos) << name;
    FreeLibrary(module);
}

TEST(Modules, FileNameIsCutToTheBuffer) {
    char full[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
    ASSERT_GT(length, 5u);
    char cut[8];
    std::memset(cut, 'x', sizeof cut);
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(nullptr, cut, 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(cut, 4), std::string(full, 4));
    EXPECT_EQ(cut[5], 'x');
    // Windows XP and later terminate the cut name; Wine copies nSize characters unterminated.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(cut[4], '\0');
    }
}

}  // namespace
