// Serial ports on Linux: "COMn" as the prefix's link to a terminal, here a pseudo-terminal whose
// other side the test plays. The Windows build's ports are tested under Wine through the modem
// search (tests/wizard_detect).
#ifndef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

class SerialPorts : public ::testing::Test {
protected:
    void SetUp() override {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        const std::string folder = std::string(std::getenv("LUMORA_PREFIX")) + "/dosdevices";
        std::filesystem::create_directories(folder);
        link = folder + "/com5";
        std::filesystem::create_symlink(::ptsname(master), link);
    }
    void TearDown() override {
        std::filesystem::remove(link);
        ::close(master);
    }
    HANDLE open() {
        return CreateFileA("COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    void send(const std::string& text) { ASSERT_EQ(::write(master, text.data(), text.size()), ssize_t(text.size())); }
    std::string readFrom(HANDLE port, DWORD size) {
        std::string buffer(size, '\0');
        DWORD read = 0;
        EXPECT_TRUE(ReadFile(port, buffer.data(), size, &read, nullptr));
        buffer.resize(read);
        return buffer;
    }
    static void setTimeouts(HANDLE port, DWORD interval, DWORD multiplier, DWORD constant) {
        COMMTIMEOUTS t{interval, multiplier, constant, 0, 0};
        ASSERT_TRUE(SetCommTimeouts(port, &t));
    }

    int master = -1;
    std::string link;
};

TEST_F(SerialPorts, APortIsHeldByOneHandleAndNeedsItsLink) {
    HANDLE port = open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(port);
    port = CreateFileA("\\\\.\\com5", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
    CloseHandle(port);
    EXPECT_EQ(CreateFileA("COM6", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // A file handle is no port.
    EXPECT_FALSE(PurgeComm(GetCurrentProcess(), PURGE_RXCLEAR));
}

TEST_F(SerialPorts, SettingsAreKeptAndBadOnesRefused) {
    HANDLE port = open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(port, &dcb));
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = TWOSTOPBITS;
    ASSERT_TRUE(SetCommState(port, &dcb));
    DCB back{};
    ASSERT_TRUE(GetCommState(port, &back));
    EXPECT_EQ(back.BaudRate, 9600u);
    EXPECT_EQ(back.ByteSize, 7);
    EXPECT_EQ(back.Parity, EVENPARITY);
    dcb.ByteSize = 9;
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    dcb.ByteSize = 8;
    dcb.BaudRate = 12345;
    EXPECT_FALSE(SetCommState(port, &dcb));
    CloseHandle(port);
}

TEST_F(SerialPorts, ReadsEndAsTheTimeoutsSay) {
    HANDLE port = open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    // MAXDWORD interval alone: what is there, at once.
    setTimeouts(port, MAXDWORD, 0, 0);
    EXPECT_EQ(readFrom(port, 16), "");
    send("abc");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    COMSTAT stat{};
    DWORD errors = 1;
    ASSERT_TRUE(ClearCommError(port, &errors, &stat));
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(stat.cbInQue, 3u);
    EXPECT_EQ(readFrom(port, 16), "abc");

    // MAXDWORD interval and multiplier with a constant: the first bytes to come end the read.
    setTimeouts(port, MAXDWORD, MAXDWORD, 5000);
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        send("x");
    });
    EXPECT_EQ(readFrom(port, 16), "x");
    later.join();

    // A total time-out ends the read with success and the bytes that came.
    setTimeouts(port, 0, 0, 200);
    send("1234");
    EXPECT_EQ(readFrom(port, 10), "1234");

    // No time-outs: the read waits for every byte, across pauses.
    setTimeouts(port, 0, 0, 0);
    std::thread pieces([&] {
        send("hello ");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        send("world");
    });
    EXPECT_EQ(readFrom(port, 11), "hello world");
    pieces.join();

    // Purging drops what has come and not been read.
    send("stale");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR));
    setTimeouts(port, MAXDWORD, 0, 0);
    EXPECT_EQ(readFrom(port, 16), "");
    CloseHandle(port);
}

TEST_F(SerialPorts, WritesReachTheDeviceRaw) {
    HANDLE port = open();
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, "AT&F\r\n", 6, &written, nullptr));
    EXPECT_EQ(written, 6u);
    EXPECT_TRUE(FlushFileBuffers(port));
    char buffer[16] = {};
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // No line discipline between: the carriage return and line feed arrive as written.
    EXPECT_EQ(::read(master, buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "AT&F\r\n");
    CloseHandle(port);
}

}  // namespace
#endif
