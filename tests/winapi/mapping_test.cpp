// Named shared memory on the paging file: creation and ERROR_ALREADY_EXISTS, opening, sharing
// between two real processes, and the Windows lifetime (the name lives while anyone holds a
// handle, also across processes; afterwards a new object starts zeroed, also when the last holder
// was killed). Views of disk files: the file's own bytes, sizes and access rights.
#include <windows.h>

#include "testenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string uniqueName(const char* hint) {
    static int counter = 0;
    return std::string("LumoraTest-") + hint + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

HANDLE create(const std::string& name, DWORD size = sizeof(DWORD)) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
}

volatile DWORD* view(HANDLE mapping, DWORD access = FILE_MAP_ALL_ACCESS) {
    return static_cast<volatile DWORD*>(MapViewOfFile(mapping, access, 0, 0, sizeof(DWORD)));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (std::ifstream(path).good()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

PROCESS_INFORMATION startChild(const std::string& arguments, void* environment = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = "child " + arguments;
    const std::string program = lumora_test::builtProgram("winapi_child");
    EXPECT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                               environment, nullptr, &startup, &info))
        << GetLastError();
    return info;
}

void finish(const PROCESS_INFORMATION& info) {
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST(FileMapping, SecondCreateFindsTheExistingObject) {
    const std::string name = uniqueName("exists");
    SetLastError(12345);
    HANDLE first = create(name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    volatile DWORD* a = view(first);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(*a, 0u);

    HANDLE second = create(name);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(second, first);
    volatile DWORD* b = view(second);
    ASSERT_NE(b, nullptr);
    *a = 0x12345678;
    EXPECT_EQ(*b, 0x12345678u);

    HANDLE opened = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    volatile DWORD* c = view(opened, FILE_MAP_READ);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(*c, 0x12345678u);
    // A handle opened for reading gives no writable view.
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(opened, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    for (volatile DWORD* v : {a, b, c}) EXPECT_TRUE(UnmapViewOfFile(const_cast<DWORD*>(v)));
    for (HANDLE h : {first, second, opened}) EXPECT_TRUE(CloseHandle(h));
}

TEST(FileMapping, NamesAreCaseSensitive) {
    const std::string name = uniqueName("Case");
    HANDLE mapping = create(name);
    ASSERT_NE(mapping, nullptr);
    std::string upper = name;
    for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    SetLastError(0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, upper.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    CloseHandle(mapping);
}

TEST(FileMapping, NameLivesWhileAHandleIsHeldAndANewObjectStartsZeroed) {
    const std::string name = uniqueName("life");
    HANDLE mapping = create(name);
    ASSERT_NE(mapping, nullptr);
    volatile DWORD* value = view(mapping);
    ASSERT_NE(value, nullptr);
    *value = 7;
    HANDLE opened = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(CloseHandle(mapping));
    // The second handle keeps the object and its contents.
    volatile DWORD* other = view(opened);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(*other, 7u);
    EXPECT_TRUE(UnmapViewOfFile(const_cast<DWORD*>(other)));
    EXPECT_TRUE(CloseHandle(opened));

    // A view keeps its memory, but with the last handle the name is gone.
    SetLastError(0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    *value = 8;
    EXPECT_EQ(*value, 8u);

    SetLastError(12345);
    HANDLE fresh = create(name);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    volatile DWORD* zero = view(fresh);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(*zero, 0u);
    *zero = 9;
    EXPECT_EQ(*value, 8u);
    EXPECT_TRUE(UnmapViewOfFile(const_cast<DWORD*>(value)));
    EXPECT_TRUE(UnmapViewOfFile(const_cast<DWORD*>(zero)));
    CloseHandle(fresh);
}

TEST(FileMapping, TwoProcessesSeeEachOthersWrites) {
    const std::string name = uniqueName("shared");
    const std::string folder = lumora_test::scratchDir();
    HANDLE mapping = create(name);
    ASSERT_NE(mapping, nullptr);
    volatile DWORD* value = view(mapping);
    ASSERT_NE(value, nullptr);
    *value = 1234;
    finish(startChild("mapread " + name + " " + folder + "read.txt"));
    EXPECT_EQ(readFile(folder + "read.txt"), "1234");

    // The child writes into the object it opened; this process sees it.
    finish(startChild("mapwrite " + name + " 99"));
    EXPECT_EQ(*value, 99u);
    UnmapViewOfFile(const_cast<DWORD*>(value));
    CloseHandle(mapping);
}

TEST(FileMapping, DiesWithTheLastProcessHoldingIt) {
    const std::string name = uniqueName("killed");
    const std::string ready = lumora_test::scratchDir() + "ready";
    PROCESS_INFORMATION child = startChild("mapwrite " + name + " 5 touch " + ready + " sleep 60000");
    ASSERT_TRUE(waitForFile(ready));
    HANDLE opened = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    volatile DWORD* value = view(opened, FILE_MAP_READ);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, 5u);
    UnmapViewOfFile(const_cast<DWORD*>(value));
    CloseHandle(opened);

    EXPECT_TRUE(TerminateProcess(child.hProcess, 1));
    finish(child);
    SetLastError(0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

#ifndef _WIN32
// Each prefix is a machine of its own: a process of another prefix does not see the object.
TEST(FileMapping, InvisibleToOtherPrefixes) {
    const std::string name = uniqueName("prefix");
    const std::string folder = lumora_test::scratchDir();
    HANDLE mapping = create(name);
    ASSERT_NE(mapping, nullptr);
    std::string block = "LUMORA_PREFIX=" + folder + "other";
    block += '\0';
    block += '\0';
    finish(startChild("mapread " + name + " " + folder + "read.txt", block.data()));
    EXPECT_EQ(readFile(folder + "read.txt"), "missing 2");
    CloseHandle(mapping);
}
#endif

HANDLE openForMapping(const std::string& path, DWORD access, const char* content) {
    HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE && *content)
        WriteFile(file, content, static_cast<DWORD>(std::strlen(content)), &written, nullptr);
    return file;
}

// A view of a file shows the file, and one that may write changes the file itself; the mapping
// keeps the file while its handle is closed. A mapping cannot be bigger than a file it may not
// write, cannot map an empty file, and gives no more than the file handle's rights.
TEST(FileMapping, ViewsOfAFileAreTheFileItself) {
    const std::string folder = lumora_test::scratchDir();
    const std::string path = folder + "mapped.bin";
    HANDLE file = openForMapping(path, GENERIC_READ | GENERIC_WRITE, "packed entries");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    HANDLE readOnly = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(readOnly, nullptr) << GetLastError();
    const char* shown = static_cast<const char*>(MapViewOfFile(readOnly, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(shown, nullptr) << GetLastError();
    EXPECT_EQ(std::string(shown, 14), "packed entries");
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(readOnly, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 4096, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

    // Bigger than the file and writable: the file grows, and what the view writes is in it.
    HANDLE writable = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 8192, nullptr);
    ASSERT_NE(writable, nullptr) << GetLastError();
    CloseHandle(file);
    char* written = static_cast<char*>(MapViewOfFile(writable, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(written, nullptr) << GetLastError();
    std::memcpy(written, "PACKED", 6);
    written[8191] = 'z';
    EXPECT_EQ(std::string(shown, 14), "PACKED entries");  // both views are the file's pages
    EXPECT_TRUE(UnmapViewOfFile(written));
    EXPECT_TRUE(UnmapViewOfFile(shown));
    CloseHandle(writable);
    CloseHandle(readOnly);
    const std::string content = readFile(path);
    ASSERT_EQ(content.size(), 8192u);
    EXPECT_EQ(content.substr(0, 14), "PACKED entries");
    EXPECT_EQ(content.back(), 'z');

    HANDLE reader = openForMapping(path, GENERIC_READ, "");
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingA(reader, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(reader);

    HANDLE empty = openForMapping(folder + "empty.bin", GENERIC_READ | GENERIC_WRITE, "");
    ASSERT_NE(empty, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingA(empty, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
    CloseHandle(empty);
}

TEST(FileMapping, RejectsBadInput) {
    SetLastError(0);
    EXPECT_EQ(create(uniqueName("empty"), 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    SetLastError(0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, uniqueName("missing").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, nullptr), nullptr);
    EXPECT_NE(GetLastError(), 0u);

    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7ff0));
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(bogus, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    int local = 0;
    SetLastError(0);
    EXPECT_FALSE(UnmapViewOfFile(&local));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));

    HANDLE mapping = create(uniqueName("bounds"), 4096);
    ASSERT_NE(mapping, nullptr);
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4096, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MAPPED_ALIGNMENT));
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 1 << 20), nullptr);
    EXPECT_NE(GetLastError(), 0u);
    CloseHandle(mapping);
}

}  // namespace
