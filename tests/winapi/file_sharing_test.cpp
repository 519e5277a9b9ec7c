// Share modes: what an open handle allows other handles, in this process and in others.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "file_helpers.h"
#include "testenv.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>
#endif

using file_test::readText;
using file_test::writeText;

namespace {

class Sharing : public ::testing::Test {
protected:
    std::string dir = lumora_test::scratchDir();
    std::string path = dir + "shared.txt";

    void SetUp() override { ASSERT_TRUE(writeText(path, "content")); }

    HANDLE open(DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
        return CreateFileA(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
    }
    // Starts winapi_child holding `held` open for reading and writing (sharing only reading) for
    // `ms` milliseconds; true once the child has the file open.
    bool startHolder(const std::string& held, int ms, PROCESS_INFORMATION& child) {
        const std::string ready = dir + "ready";
        DeleteFileA(ready.c_str());
        std::string line = "winapi_child open \"" + held + "\" 1 touch \"" + ready + "\" sleep " + std::to_string(ms);
        const std::string program = lumora_test::builtProgram("winapi_child");
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &child))
            return false;
        for (int i = 0; i < 3000 && !file_test::exists(ready); ++i) Sleep(10);
        return file_test::exists(ready);
    }
    // ERROR_SUCCESS when a second open works (it is closed again), else its error.
    DWORD secondOpen(DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
        SetLastError(0xDEAD);
        HANDLE file = open(access, share, disposition);
        if (file == INVALID_HANDLE_VALUE) return GetLastError();
        CloseHandle(file);
        return ERROR_SUCCESS;
    }
};

const DWORD kViolation = ERROR_SHARING_VIOLATION;
const DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

TEST_F(Sharing, AReaderThatSharesOnlyReadingKeepsWritersAndDeletersOut) {
    HANDLE reader = open(GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(secondOpen(GENERIC_READ, FILE_SHARE_READ), 0u);
    EXPECT_EQ(secondOpen(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE), 0u);
    EXPECT_EQ(secondOpen(GENERIC_WRITE, kAll), kViolation);
    EXPECT_EQ(secondOpen(GENERIC_WRITE, kAll, CREATE_ALWAYS), kViolation);
    // A newcomer that refuses to share reading cannot join an existing reader.
    EXPECT_EQ(secondOpen(GENERIC_READ, 0), kViolation);
    // Opens without data access never collide.
    EXPECT_EQ(secondOpen(0, 0), 0u);

    SetLastError(0xDEAD);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), kViolation);
    EXPECT_FALSE(MoveFileA(path.c_str(), (dir + "moved.txt").c_str()));
    EXPECT_EQ(GetLastError(), kViolation);
    // Copying only reads.
    EXPECT_TRUE(CopyFileA(path.c_str(), (dir + "copy.txt").c_str(), TRUE));
    CloseHandle(reader);

    EXPECT_EQ(secondOpen(GENERIC_WRITE, 0), 0u);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(Sharing, AnExclusiveOpenRefusesEveryoneUntilClosed) {
    HANDLE owner = open(GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(owner, INVALID_HANDLE_VALUE);
    EXPECT_EQ(secondOpen(GENERIC_READ, kAll), kViolation);
    EXPECT_FALSE(CopyFileA(path.c_str(), (dir + "copy.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), kViolation);
    // Replacing a file that is open without FILE_SHARE_DELETE is refused as Windows refuses it.
    ASSERT_TRUE(writeText(dir + "new.txt", "new"));
    EXPECT_FALSE(MoveFileExA((dir + "new.txt").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(owner);
    EXPECT_EQ(secondOpen(GENERIC_READ, 0), 0u);
    EXPECT_TRUE(MoveFileExA((dir + "new.txt").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(readText(path), "new");
}

TEST_F(Sharing, SharingDeleteLetsOthersDeleteAndRename) {
    HANDLE holder = open(GENERIC_READ, kAll);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::string moved = dir + "moved.txt";
    EXPECT_TRUE(MoveFileA(path.c_str(), moved.c_str()));
    EXPECT_TRUE(DeleteFileA(moved.c_str()));
    // The handle still reads the file it opened.
    char buffer[16];
    DWORD n = 0;
    EXPECT_TRUE(ReadFile(holder, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(std::string(buffer, n), "content");
    CloseHandle(holder);
    EXPECT_FALSE(file_test::exists(moved));
}

// A file held open by another program: the updater waits for exactly this to end. The child
// opens the file for reading and writing, sharing only reading, and ends a little later without
// closing it: what it held must be free once it is gone.
TEST_F(Sharing, AFileHeldByAnotherProcessIsFreedWhenThatProcessEnds) {
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(startHolder(path, 1000, child));

    EXPECT_EQ(secondOpen(GENERIC_WRITE, kAll), kViolation);
    EXPECT_EQ(secondOpen(GENERIC_READ, FILE_SHARE_READ), kViolation) << "the child writes";
    EXPECT_EQ(secondOpen(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE), 0u);
    SetLastError(0xDEAD);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), kViolation);
    EXPECT_EQ(readText(path), "content");

    // Try again until the holder has gone, as the updater does.
    bool deleted = false;
    for (int i = 0; i < 600 && !deleted; ++i) {
        deleted = DeleteFileA(path.c_str());
        if (!deleted) {
            EXPECT_EQ(GetLastError(), kViolation);
            Sleep(50);
        }
    }
    EXPECT_TRUE(deleted);
    EXPECT_EQ(WaitForSingleObject(child.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

// A program's open file keeps its folder where it is: a folder with a file below it (here two
// levels down, among others) that is open without delete sharing cannot be renamed, in this
// process or held by another. Windows refuses; Wine renames such folders all the same, so the
// refusals are asked of the Linux side only.
TEST_F(Sharing, AFolderWithAFileHeldWithoutDeleteSharingBelowItCannotBeRenamed) {
    const std::string skin = dir + "skin";
    ASSERT_TRUE(CreateDirectoryA(skin.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((skin + "\\pages").c_str(), nullptr));
    for (const char* name : {"a.htm", "b.htm", "pages\\c.htm", "pages\\held.htm", "pages\\d.htm"})
        ASSERT_TRUE(writeText(skin + "\\" + name, name));
    const std::string held = skin + "\\pages\\held.htm";
    const std::string moved = dir + "moved";
    const bool refuses = lumora_test::onLinux();

    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetLastError(0xDEAD);
    const bool movedWhileHeld = MoveFileA(skin.c_str(), moved.c_str());
    if (refuses) {
        EXPECT_FALSE(movedWhileHeld);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    if (movedWhileHeld) {
        ASSERT_TRUE(MoveFileA(moved.c_str(), skin.c_str()));
    }
    CloseHandle(file);

    // Sharing deletion lets the folder go; so does closing.
    file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(MoveFileA(skin.c_str(), moved.c_str()));
    CloseHandle(file);
    ASSERT_TRUE(MoveFileA(moved.c_str(), skin.c_str()));

    // Held by another process.
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(startHolder(held, 60000, child));
    SetLastError(0xDEAD);
    const bool movedWhileChildHolds = MoveFileA(skin.c_str(), moved.c_str());
    if (refuses) {
        EXPECT_FALSE(movedWhileChildHolds);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    TerminateProcess(child.hProcess, 0);
    EXPECT_EQ(WaitForSingleObject(child.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (movedWhileChildHolds) {
        ASSERT_TRUE(MoveFileA(moved.c_str(), skin.c_str()));
    }
    ASSERT_TRUE(MoveFileA(skin.c_str(), moved.c_str())) << "free once the holder has gone";
    EXPECT_EQ(readText(moved + "\\pages\\held.htm"), "pages\\held.htm");

    // A folder of a few thousand files is held the same.
    if (refuses) {
        for (int i = 0; i < 2100; ++i) ASSERT_TRUE(writeText(moved + "\\pages\\many" + std::to_string(i) + ".htm", ""));
        file = CreateFileA((moved + "\\pages\\held.htm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetLastError(0xDEAD);
        EXPECT_FALSE(MoveFileA(moved.c_str(), skin.c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        CloseHandle(file);
        EXPECT_TRUE(MoveFileA(moved.c_str(), skin.c_str()));
    }
}

#ifndef _WIN32
// On Linux the files held below a folder are asked of the prefix's processes that record opens,
// each entered in the prefix while it lives: a child of fork() holds what it inherited even once
// its parent let go; an entry nobody holds any more goes at the next question; an entry whose
// process cannot be asked (gone while something still holds its entry) leaves the answer to the
// kernel's list of all locks.
TEST_F(Sharing, HeldFilesBelowAFolderAreFoundThroughTheProcessesThatHoldThem) {
    const std::string skin = dir + "kept";
    const std::string moved = dir + "kept.old";
    const std::string held = skin + "\\held.htm";
    ASSERT_TRUE(CreateDirectoryA(skin.c_str(), nullptr));
    ASSERT_TRUE(writeText(held, "held"));
    const std::string holders = std::string(std::getenv("LUMORA_PREFIX")) + "/run/holders/";

    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    CloseHandle(file);
    SetLastError(0xDEAD);
    EXPECT_FALSE(MoveFileA(skin.c_str(), moved.c_str())) << "the child holds the file";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(std::filesystem::exists(holders + std::to_string(child)));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(MoveFileA(skin.c_str(), moved.c_str())) << "free once the child has gone";
    EXPECT_FALSE(std::filesystem::exists(holders + std::to_string(child)));
    ASSERT_TRUE(MoveFileA(moved.c_str(), skin.c_str()));

    // An entry still held whose process is not there to be asked.
    const std::string orphan = holders + "4194303";
    const int kept = ::open(orphan.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(kept, 0);
    ASSERT_EQ(::flock(kept, LOCK_SH), 0);
    file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(MoveFileA(skin.c_str(), moved.c_str()));
    CloseHandle(file);
    EXPECT_TRUE(MoveFileA(skin.c_str(), moved.c_str()));
    ::close(kept);
    ::unlink(orphan.c_str());
}

// A new file that shares nothing is claimed without the gate. Threads stand in for programs
// here (each open is a handle of its own, as in another process): while one makes the file again
// and again, another keeps deleting it and a third keeps opening it by its name. As long as the
// maker holds the file, it is where it was made and nobody else has it open.
TEST_F(Sharing, AFileJustMadeIsNeitherDeletedNorOpenedUnderItsMaker) {
    const std::string made = dir + "made.txt";
    std::atomic<bool> done{false}, holding{false};
    std::atomic<int> deleted{0}, opened{0}, overlaps{0};
    std::thread deleter([&] {
        while (!done)
            if (DeleteFileA(made.c_str())) ++deleted;
    });
    std::thread opener([&] {
        while (!done) {
            // Not sharing deletion, so that the name holds this file until it is closed.
            HANDLE file = CreateFileA(made.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) continue;
            ++opened;
            if (holding) ++overlaps;
            CloseHandle(file);
        }
    });
    int kept = 0, lost = 0;
    for (int i = 0; i < 4000; ++i) {
        HANDLE file = CreateFileA(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        holding = true;
        ++kept;
        if (!file_test::exists(made)) ++lost;
        holding = false;
        CloseHandle(file);
    }
    done = true;
    deleter.join();
    opener.join();
    EXPECT_EQ(lost, 0) << "deleted while held";
    EXPECT_EQ(overlaps.load(), 0) << "opened by its name while held";
    // The race was run: each side had its way at times.
    EXPECT_GT(kept, 0);
    EXPECT_GT(deleted.load(), 0);
    EXPECT_GT(opened.load(), 0);
}
#endif

}  // namespace
