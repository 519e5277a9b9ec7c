// The serial modem search: each listed port is opened exclusively, set to 9600 baud 8N1 with
// bounded time-outs, and sent "AT&F1" and then "AT&F"; an answer holding "OK\r\n" finds the modem.
#include "modem_probe.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kSerialComm = "Hardware\\DeviceMap\\Serialcomm";
constexpr int kFirstPort = 1;
constexpr int kLastPort = 4;
constexpr DWORD kAnswerSize = 256;

bool configurePort(HANDLE port) {
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return false;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(port, &dcb)) return false;
    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = 500;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutMultiplier = 500;
    timeouts.WriteTotalTimeoutConstant = 1000;
    return SetCommTimeouts(port, &timeouts) != FALSE;
}

// Sends "AT<command>\r\n" and reads the answer once; an answer counts only with 2 bytes or more.
bool sendCommand(HANDLE port, const char* command, char* answer, DWORD& length) {
    length = 0;
    PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    char line[32];
    const int size = std::snprintf(line, sizeof line, "AT%s\r\n", command);
    DWORD written = 0;
    if (!WriteFile(port, line, static_cast<DWORD>(size), &written, nullptr) ||
        written != static_cast<DWORD>(size))
        return false;
    FlushFileBuffers(port);
    DWORD read = 0;
    const BOOL ok = ReadFile(port, answer, kAnswerSize, &read, nullptr);
    DWORD errors = 0;
    COMSTAT stat;
    ClearCommError(port, &errors, &stat);
    if (!ok || read < 2) return false;
    length = read;
    return true;
}

bool answersOk(HANDLE port, const char* command) {
    char answer[kAnswerSize];
    DWORD length = 0;
    // The answer may hold NUL bytes (line noise): look for "OK\r\n" over all of it.
    if (!sendCommand(port, command, answer, length)) return false;
    for (DWORD i = 0; i + 4 <= length; ++i)
        if (std::memcmp(answer + i, "OK\r\n", 4) == 0) return true;
    return false;
}

}  // namespace

bool isSerialPortListed(int port) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialComm, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char name[16];
    std::snprintf(name, sizeof name, "COM%d", port);
    bool listed = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    // Windows 9x names the values after the ports; NT names them after the devices
    // ("\Device\Serial0" = "COM1") and older drivers "Serial0": a value of any name whose data is
    // the port lists it.
    for (DWORD i = 0; !listed; ++i) {
        char valueName[256];
        DWORD nameLength = sizeof valueName;
        char data[256] = {};
        DWORD size = sizeof data - 1;
        DWORD type = 0;
        const LONG result = RegEnumValueA(key, i, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &size);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS && type == REG_SZ) listed = lstrcmpiA(data, name) == 0;
    }
    RegCloseKey(key);
    return listed;
}

int probeModemPorts(const ProbeStep& step, std::string& acceptedCommand) {
    acceptedCommand.clear();
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        if (step) step(n);
        if (!isSerialPortListed(n)) continue;
        char name[16];
        std::snprintf(name, sizeof name, "COM%d", n);
        HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        if (port == INVALID_HANDLE_VALUE) continue;
        if (configurePort(port)) {
            for (const char* command : {"&F1", "&F"}) {
                if (answersOk(port, command)) {
                    acceptedCommand = command;
                    CloseHandle(port);
                    return n;
                }
            }
        }
        CloseHandle(port);
    }
    return 0;
}
