// Serial ports. "COMn" is the prefix's "dosdevices/comn", a symbolic link to a terminal device
// (/dev/ttyS0, /dev/ttyUSB0, a pseudo-terminal ...), opened exclusively and driven through termios
// with the Windows port settings and time-outs.
#pragma once

#include "file_object.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace winapi {

class SerialPort : public FileObject {
public:
    SerialPort(int fd, std::string hostPath, DWORD access);
    ~SerialPort() override;

    bool getState(DCB& dcb);
    bool setState(const DCB& dcb);
    COMMTIMEOUTS timeouts();
    void setTimeouts(const COMMTIMEOUTS& timeouts);
    bool purge(DWORD flags);
    bool clearError(DWORD* errors, COMSTAT* stat);
    // ReadFile and WriteFile with the port's time-outs: an expired time-out ends the call with
    // success and the bytes moved so far.
    bool read(char* buffer, DWORD size, DWORD& done);
    bool write(const char* buffer, DWORD size, DWORD& done);
    bool drain();

private:
    std::mutex mutex_;
    COMMTIMEOUTS timeouts_{};
    DCB dcb_{};
};

// The port number of a device name CreateFileA opens as a serial port: "COM1" to "COM256",
// in any case, also written "\\.\COM1" or "COM1:". Nothing for any other name.
std::optional<unsigned> serialPortNumber(const char* name);

// Opens port n exclusively; null with the last error set (ERROR_FILE_NOT_FOUND when the prefix
// has no such port, ERROR_ACCESS_DENIED when another handle holds it).
std::shared_ptr<SerialPort> openSerialPort(unsigned number, DWORD desiredAccess);

// The numbers of the ports the prefix has (its "dosdevices/comn" links), ascending.
std::vector<unsigned> serialPortNumbers();

}  // namespace winapi
