// Opening, reading, writing and positioning files through handles.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "file_helpers.h"
#include "testenv.h"

#ifndef _WIN32
#include "folder_listing.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#endif

using file_test::readText;
using file_test::writeText;

namespace {

class Files : public ::testing::Test {
protected:
    std::string dir = lumora_test::scratchDir();
    std::string at(const char* name) const { return dir + name; }

    HANDLE open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
        return CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    }
    // The last error of an open that must fail (and closes the handle if it did not).
    DWORD openError(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
        SetLastError(0xDEAD);
        HANDLE file = open(path, access, share, disposition);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 0;
        }
        return GetLastError();
    }
};

TEST_F(Files, CreationDispositionsAndTheirLastErrors) {
    const std::string path = at("data.txt");
    SetLastError(0xDEAD);
    HANDLE file = open(path, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(file);
    EXPECT_EQ(openError(path, GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));

    ASSERT_TRUE(writeText(path, "old content"));
    SetLastError(0xDEAD);
    file = open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    CloseHandle(file);

    ASSERT_TRUE(writeText(path, "kept"));
    SetLastError(0xDEAD);
    file = open(path, GENERIC_READ, 0, OPEN_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(file, nullptr), 4u);
    CloseHandle(file);
    SetLastError(0xDEAD);
    file = open(at("fresh.txt"), GENERIC_READ, 0, OPEN_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(file);

    file = open(path, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    CloseHandle(file);

    EXPECT_EQ(openError(at("missing.txt"), GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(openError(at("missing.txt"), GENERIC_WRITE, 0, TRUNCATE_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(openError(at("nodir\\x.txt"), GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(openError(at("nodir\\x.txt"), GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(openError(path, GENERIC_READ, 0, 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(openError(path, GENERIC_READ, 0, 7), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Files, WindowsPathsFindNamesIgnoringCase) {
    ASSERT_TRUE(CreateDirectoryA(at("Config").c_str(), nullptr));
    ASSERT_TRUE(writeText(at("Config\\Disconnected.htm"), "page"));
    EXPECT_EQ(readText(at("CONFIG\\disconnected.HTM")), "page");
    EXPECT_EQ(readText(at("missing\\..\\config\\.\\DISCONNECTED.htm")), "page");
    // Windows drops trailing dots and blanks of the last component.
    EXPECT_EQ(readText(at("config\\disconnected.htm. ")), "page");
    // Writing through another spelling changes the existing file instead of adding one.
    ASSERT_TRUE(writeText(at("config\\DISCONNECTED.HTM"), "new"));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(at("config\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++files;
            EXPECT_STREQ(data.cFileName, "Disconnected.htm");
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    EXPECT_EQ(files, 1);
    EXPECT_EQ(readText(at("Config\\Disconnected.htm")), "new");
}

// The names in a folder as the system lists them, sorted.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Runs winapi_child with the commands and waits for it; its exit code.
DWORD runChild(const std::string& commands) {
    const std::string program = lumora_test::builtProgram("winapi_child");
    std::string line = "winapi_child " + commands;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return 0xDEAD;
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = 0xDEAD;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return code;
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

// A name that does not exist as spelled is searched for in its folder ignoring case. On Linux the
// folder's listing is then kept for the next searches: whatever another process did to the
// folder since must be seen by the very next look-up, as on Windows, which keeps no such listing.
TEST_F(Files, ChangesAnotherProcessMakesInASearchedFolderAreSeenByTheNextLookUp) {
    const std::string folder = at("Listed");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(writeText(folder + "\\First.txt", "1"));
    ASSERT_TRUE(writeText(folder + "\\Gone.txt", "g"));
    EXPECT_EQ(readText(folder + "\\FIRST.TXT"), "1");
#ifndef _WIN32
    {
        // The folder was searched, so its listing is kept: what follows tests that listing.
        std::string match;
        ASSERT_TRUE(winapi::lookUpInKeptListing(folder.c_str(), "first.TXT", match));
        EXPECT_EQ(match, "First.txt");
    }
#endif

    // Another process adds a name in another spelling: it is there for the next look-up, and a new
    // file of that name is refused rather than made beside it.
    ASSERT_EQ(runChild("create " + quoted(folder + "\\Page.HTM")), 0u);
    EXPECT_EQ(openError(folder + "\\page.htm", GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(openError(folder + "\\PAGE.htm", GENERIC_READ, 0, OPEN_EXISTING), 0u);
    ASSERT_TRUE(writeText(folder + "\\pAGE.hTM", "written"));
    EXPECT_EQ(readText(folder + "\\Page.HTM"), "written");

    // Another process removes a name: a new file takes the spelling it is written with, not the
    // removed one's.
    ASSERT_EQ(runChild("delete " + quoted(folder + "\\gone.TXT")), 0u);
    EXPECT_EQ(openError(folder + "\\GONE.txt", GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(writeText(folder + "\\GONE.txt", "back"));
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"First.txt", "GONE.txt", "Page.HTM"}));

    // Another process renames a file within the folder.
    ASSERT_EQ(runChild("move " + quoted(folder + "\\first.txt") + " " + quoted(folder + "\\Renamed.TXT")), 0u);
    EXPECT_EQ(openError(folder + "\\FIRST.txt", GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(readText(folder + "\\renamed.txt"), "1");

    // Another process moves the folder aside and makes another one under its name: look-ups by
    // the name find the new folder's names, not the old one's, which moved with it.
    ASSERT_EQ(runChild("move " + quoted(folder) + " " + quoted(at("Aside")) + " mkdir " + quoted(folder) +
                       " create " + quoted(folder + "\\Other.txt")),
              0u);
    EXPECT_EQ(openError(folder + "\\OTHER.TXT", GENERIC_READ, 0, OPEN_EXISTING), 0u);
    EXPECT_EQ(openError(folder + "\\renamed.txt", GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(readText(at("ASIDE\\renamed.txt")), "1");
    ASSERT_TRUE(writeText(folder + "\\other.TXT", "o"));
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"Other.txt"}));

#ifndef _WIN32
    // A program that is no Windows program at all changes the folder behind the system's back.
    const std::string hostFolder = folder;
    ASSERT_EQ(std::system(("touch '" + hostFolder + "/Host.TXT'").c_str()), 0);
    EXPECT_EQ(openError(folder + "\\host.txt", GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));
    ASSERT_EQ(std::system(("rm '" + hostFolder + "/Host.TXT'").c_str()), 0);
    EXPECT_EQ(openError(folder + "\\host.txt", GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // Two names exchanged in one step (renameat2 RENAME_EXCHANGE) are both still there.
    ASSERT_TRUE(writeText(folder + "\\Swap.txt", "s"));
    ASSERT_EQ(::renameat2(AT_FDCWD, (hostFolder + "/Swap.txt").c_str(), AT_FDCWD, (hostFolder + "/Other.txt").c_str(),
                          RENAME_EXCHANGE),
              0);
    EXPECT_EQ(readText(folder + "\\swap.TXT"), "o");
    EXPECT_EQ(readText(folder + "\\OTHER.txt"), "s");

    // A child of fork() keeps nothing of its parent's (their change queue is one), and the
    // parent's listings stay current after the child closed its copy of the queue.
    {
        std::string match;
        ASSERT_TRUE(winapi::lookUpInKeptListing(folder.c_str(), "swap.txt", match));
        EXPECT_EQ(match, "Swap.txt");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        std::string match;
        const bool inherited = winapi::lookUpInKeptListing(folder.c_str(), "swap.txt", match) ||
                               winapi::keptListingCount() != 0;
        ::_exit(inherited ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child used its parent's listings";
    ASSERT_EQ(std::system(("touch '" + hostFolder + "/Forked.TXT'").c_str()), 0);
    EXPECT_EQ(openError(folder + "\\forked.txt", GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));
#endif
}

TEST_F(Files, BadNamesFolderNamesAndOverlongPaths) {
    EXPECT_EQ(openError("", GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    for (const char* name : {"a?b", "a*b", "a<b", "a>b", "a|b", "a\"b"})
        EXPECT_EQ(openError(at(name), GENERIC_WRITE, 0, CREATE_ALWAYS), static_cast<DWORD>(ERROR_INVALID_NAME)) << name;
    const std::string overlong = dir + std::string(300, 'x');
    EXPECT_EQ(openError(overlong, GENERIC_WRITE, 0, CREATE_ALWAYS), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(GetFileAttributesA(overlong.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));

    ASSERT_TRUE(CreateDirectoryA(at("folder").c_str(), nullptr));
    EXPECT_EQ(openError(at("folder"), GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(openError(at("folder"), GENERIC_WRITE, 0, CREATE_ALWAYS), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(openError(at("folder"), GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));
    ASSERT_TRUE(writeText(at("plain.txt"), "x"));
    EXPECT_EQ(openError(at("plain.txt\\"), GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(openError(at("newname\\"), GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(Files, ReadAndWriteHonourAccessAndEndOfFile) {
    const std::string path = at("rw.bin");
    HANDLE file = open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(file, "hello ", 6, &n, nullptr));
    EXPECT_EQ(n, 6u);
    ASSERT_TRUE(WriteFile(file, "world", 5, &n, nullptr));
    ASSERT_TRUE(WriteFile(file, "", 0, &n, nullptr));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(GetFileSize(file, nullptr), 11u);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    char buffer[32] = {};
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(std::string(buffer, n), "hello world");
    // At the end of the file a read succeeds with nothing.
    n = 99;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 0u);
    ASSERT_TRUE(FlushFileBuffers(file));
    CloseHandle(file);

    file = open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetLastError(0xDEAD);
    EXPECT_FALSE(WriteFile(file, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(FlushFileBuffers(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    // Wine reports ERROR_INVALID_HANDLE here; Windows denies the access like any change.
    EXPECT_FALSE(SetEndOfFile(file));
    if (lumora_test::onLinux()) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    CloseHandle(file);

    file = open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetLastError(0xDEAD);
    EXPECT_FALSE(ReadFile(file, buffer, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(file);
    EXPECT_EQ(readText(path), "hello world");
}

TEST_F(Files, FilePointerMovesWithWindowsRules) {
    HANDLE file = open(at("seek.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(file, "0123456789", 10, &n, nullptr));
    EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 6u);
    EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_CURRENT), 8u);
    EXPECT_EQ(SetFilePointer(file, -3, nullptr, FILE_CURRENT), 5u);
    SetLastError(0xDEAD);
    EXPECT_EQ(SetFilePointer(file, -6, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 5u) << "a failed move leaves the pointer";
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // Beyond the end the size stays until something is written; SetEndOfFile cuts or extends.
    EXPECT_EQ(SetFilePointer(file, 20, nullptr, FILE_BEGIN), 20u);
    EXPECT_EQ(GetFileSize(file, nullptr), 10u);
    EXPECT_EQ(SetFilePointer(file, 4, nullptr, FILE_BEGIN), 4u);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, nullptr), 4u);
    char buffer[8];
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(std::string(buffer, n), "0123");

    // Positions past 4 GiB travel in two halves.
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 2, &high, FILE_BEGIN), 2u);
    EXPECT_EQ(high, 1);
    ASSERT_TRUE(WriteFile(file, "z", 1, &n, nullptr));
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 3u);
    EXPECT_EQ(sizeHigh, 1u);
    high = -1;
    EXPECT_EQ(SetFilePointer(file, -3, &high, FILE_END), 0u);
    EXPECT_EQ(high, 1);
    ASSERT_TRUE(SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(file));
    CloseHandle(file);
}

TEST_F(Files, OverlappedOffsetReadsAndWritesThere) {
    HANDLE file = open(at("ov.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(file, "abcdef", 6, &n, nullptr));
    OVERLAPPED at2 = {};
    at2.Offset = 2;
    ASSERT_TRUE(WriteFile(file, "XY", 2, &n, &at2));
    char buffer[8] = {};
    OVERLAPPED at1 = {};
    at1.Offset = 1;
    ASSERT_TRUE(ReadFile(file, buffer, 4, &n, &at1));
    EXPECT_EQ(std::string(buffer, n), "bXYe");
    // On a handle without FILE_FLAG_OVERLAPPED the pointer follows the transfer.
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 5u);
    CloseHandle(file);
}

TEST_F(Files, TimesAgreeBetweenHandleAndSearch) {
    const std::string path = at("times.txt");
    ASSERT_TRUE(writeText(path, "t"));
    HANDLE file = open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME created{}, accessed{}, written{};
    ASSERT_TRUE(GetFileTime(file, &created, &accessed, &written));
    CloseHandle(file);
    auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    // Later than 2001-01-01 (FILETIME counts from 1601).
    EXPECT_GT(ticks(written), 126227808000000000ull);
    EXPECT_LE(ticks(created), ticks(written));
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(ticks(data.ftLastWriteTime), ticks(written));
    EXPECT_EQ(data.nFileSizeLow, 1u);
}

TEST_F(Files, InvalidAndClosedHandlesFail) {
    HANDLE file = open(at("h.txt"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // A file handle is no search handle, and stays usable after that mistake.
    SetLastError(0xDEAD);
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(file, "x", 1, &n, nullptr));
    EXPECT_TRUE(CloseHandle(file));

    char buffer[4];
    for (HANDLE bad : {file, static_cast<HANDLE>(nullptr)}) {
        SetLastError(0xDEAD);
        EXPECT_FALSE(ReadFile(bad, buffer, 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(WriteFile(bad, "x", 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(GetFileSize(bad, nullptr), INVALID_FILE_SIZE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(SetFilePointer(bad, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // INVALID_HANDLE_VALUE is also the current process's pseudo handle, which closes harmlessly.
    EXPECT_TRUE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST_F(Files, DeleteOnCloseRemovesTheFileWithItsLastHandle) {
    const std::string path = at("doc.tmp");
    HANDLE file = open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(file_test::exists(path));
    // The open holds delete access, so others must allow deleting.
    EXPECT_EQ(openError(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(file);
    EXPECT_FALSE(file_test::exists(path));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
