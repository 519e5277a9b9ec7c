// Serial ports on termios: the device behind the prefix's "dosdevices/comn" link, opened without
// becoming the controlling terminal, held exclusively (TIOCEXCL against other programs, an flock
// against other handles and processes of ours, since TIOCEXCL does not stop a privileged user),
// in raw mode, with reads and writes bounded by the Windows time-outs.
#include "serial_port.h"

#include "file_sharing.h"
#include "paths.h"
#include "prefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace winapi {
namespace {

using Clock = std::chrono::steady_clock;

struct Speed {
    DWORD baud;
    speed_t code;
};
constexpr Speed kSpeeds[] = {{110, B110},       {300, B300},       {600, B600},
                             {1200, B1200},     {2400, B2400},     {4800, B4800},
                             {9600, B9600},     {19200, B19200},   {38400, B38400},
                             {57600, B57600},   {115200, B115200}, {230400, B230400},
                             {460800, B460800}, {921600, B921600}};

std::string portLink(unsigned number) { return prefixFile("dosdevices/com" + std::to_string(number)); }

// Milliseconds left until the deadline, for poll(): -1 without one, 0 when it has passed.
int remainingMs(const std::optional<Clock::time_point>& deadline) {
    if (!deadline) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

std::optional<Clock::time_point> totalDeadline(Clock::time_point start, DWORD multiplier,
                                               DWORD constant, DWORD bytes) {
    const unsigned long long total =
        static_cast<unsigned long long>(multiplier) * bytes + constant;
    if (!total) return std::nullopt;
    return start + std::chrono::milliseconds(total);
}

std::optional<Clock::time_point> earlier(const std::optional<Clock::time_point>& a,
                                         const std::optional<Clock::time_point>& b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

}  // namespace

SerialPort::SerialPort(int fd, std::string hostPath, DWORD access)
    : FileObject(fd, std::move(hostPath), access, false) {
    dcb_.DCBlength = sizeof(DCB);
    dcb_.fBinary = 1;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        const speed_t speed = ::cfgetospeed(&tio);
        for (const Speed& s : kSpeeds)
            if (s.code == speed) dcb_.BaudRate = s.baud;
        switch (tio.c_cflag & CSIZE) {
        case CS5: dcb_.ByteSize = 5; break;
        case CS6: dcb_.ByteSize = 6; break;
        case CS7: dcb_.ByteSize = 7; break;
        default: dcb_.ByteSize = 8; break;
        }
        dcb_.Parity = !(tio.c_cflag & PARENB) ? NOPARITY : (tio.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
        dcb_.StopBits = (tio.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    }
}

bool SerialPort::getState(DCB& dcb) {
    std::lock_guard lock(mutex_);
    dcb = dcb_;
    return true;
}

bool SerialPort::setState(const DCB& dcb) {
    std::lock_guard lock(mutex_);
    const Speed* speed = nullptr;
    for (const Speed& s : kSpeeds)
        if (s.baud == dcb.BaudRate) speed = &s;
    if (!speed || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
        dcb.StopBits > TWOSTOPBITS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd(), &tio) != 0) {
        SetLastError(errnoToWin32(errno));
        return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, speed->code);
    ::cfsetospeed(&tio, speed->code);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= kSizes[dcb.ByteSize - 5] | CREAD | CLOCAL;
    switch (dcb.Parity) {
    case ODDPARITY: tio.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: tio.c_cflag |= PARENB; break;
    case MARKPARITY: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // termios knows no 1.5 stop bits; the nearest is two.
    if (dcb.StopBits != ONESTOPBIT) tio.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF);
    if (dcb.fOutX) tio.c_iflag |= IXON;
    if (dcb.fInX) tio.c_iflag |= IXOFF;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd(), TCSANOW, &tio) != 0) {
        SetLastError(errnoToWin32(errno));
        return false;
    }
    dcb_ = dcb;
    return true;
}

COMMTIMEOUTS SerialPort::timeouts() {
    std::lock_guard lock(mutex_);
    return timeouts_;
}

void SerialPort::setTimeouts(const COMMTIMEOUTS& timeouts) {
    std::lock_guard lock(mutex_);
    timeouts_ = timeouts;
}

bool SerialPort::purge(DWORD flags) {
    if (flags & ~DWORD(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // No transfer is ever pending on another thread's behalf here, so the abort flags have
    // nothing to end.
    const bool in = flags & PURGE_RXCLEAR, out = flags & PURGE_TXCLEAR;
    if ((in || out) && ::tcflush(fd(), in && out ? TCIOFLUSH : in ? TCIFLUSH : TCOFLUSH) != 0) {
        SetLastError(errnoToWin32(errno));
        return false;
    }
    return true;
}

bool SerialPort::clearError(DWORD* errors, COMSTAT* stat) {
    // termios reports no line errors in raw mode without PARMRK, so there is never one to clear.
    if (errors) *errors = 0;
    if (stat) {
        std::memset(stat, 0, sizeof *stat);
        int in = 0, out = 0;
        if (::ioctl(fd(), FIONREAD, &in) == 0 && in > 0) stat->cbInQue = static_cast<DWORD>(in);
        if (::ioctl(fd(), TIOCOUTQ, &out) == 0 && out > 0) stat->cbOutQue = static_cast<DWORD>(out);
    }
    return true;
}

bool SerialPort::read(char* buffer, DWORD size, DWORD& done) {
    done = 0;
    const COMMTIMEOUTS t = timeouts();
    const auto start = Clock::now();
    // MAXDWORD interval with no total: take what is there and return at once. MAXDWORD interval
    // and multiplier with a constant: wait up to the constant for the first byte, then return
    // with what has come.
    const bool immediate = t.ReadIntervalTimeout == MAXDWORD && !t.ReadTotalTimeoutMultiplier &&
                           !t.ReadTotalTimeoutConstant;
    const bool firstByte = t.ReadIntervalTimeout == MAXDWORD &&
                           t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                           t.ReadTotalTimeoutConstant && t.ReadTotalTimeoutConstant != MAXDWORD;
    std::optional<Clock::time_point> total;
    if (firstByte)
        total = start + std::chrono::milliseconds(t.ReadTotalTimeoutConstant);
    else if (!immediate)
        total = totalDeadline(start, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, size);
    const bool useInterval = t.ReadIntervalTimeout && t.ReadIntervalTimeout != MAXDWORD;
    std::optional<Clock::time_point> interval;
    while (done < size) {
        const ssize_t n = ::read(fd(), buffer + done, size - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
            if (firstByte) break;
            if (useInterval)
                interval = Clock::now() + std::chrono::milliseconds(t.ReadIntervalTimeout);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            SetLastError(errnoToWin32(errno));
            return false;
        }
        if (immediate) break;
        const int wait = remainingMs(earlier(total, interval));
        if (wait == 0) break;
        pollfd p{fd(), POLLIN, 0};
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno != EINTR) {
            SetLastError(errnoToWin32(errno));
            return false;
        }
        // A hang-up without data (the other end of a pseudo-terminal closed) is not waited out
        // byte by byte: the next read reports it.
        if (ready > 0 && (p.revents & (POLLHUP | POLLERR)) && !(p.revents & POLLIN)) {
            SetLastError(ERROR_NOT_READY);
            return false;
        }
    }
    return true;
}

bool SerialPort::write(const char* buffer, DWORD size, DWORD& done) {
    done = 0;
    const COMMTIMEOUTS t = timeouts();
    const auto total = totalDeadline(Clock::now(), t.WriteTotalTimeoutMultiplier,
                                     t.WriteTotalTimeoutConstant, size);
    while (done < size) {
        const ssize_t n = ::write(fd(), buffer + done, size - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            SetLastError(errnoToWin32(errno));
            return false;
        }
        const int wait = remainingMs(total);
        if (wait == 0) break;  // the time-out ends the write with success and fewer bytes
        pollfd p{fd(), POLLOUT, 0};
        if (::poll(&p, 1, wait) < 0 && errno != EINTR) {
            SetLastError(errnoToWin32(errno));
            return false;
        }
    }
    return true;
}

bool SerialPort::drain() {
    if (::tcdrain(fd()) != 0) {
        SetLastError(errnoToWin32(errno));
        return false;
    }
    return true;
}

std::optional<unsigned> serialPortNumber(const char* name) {
    if (!name) return std::nullopt;
    std::string_view text(name);
    if (text.substr(0, 4) == "\\\\.\\") text.remove_prefix(4);
    if (!text.empty() && text.back() == ':') text.remove_suffix(1);
    if (text.size() < 4 || text.size() > 6) return std::nullopt;
    if (std::tolower(static_cast<unsigned char>(text[0])) != 'c' ||
        std::tolower(static_cast<unsigned char>(text[1])) != 'o' ||
        std::tolower(static_cast<unsigned char>(text[2])) != 'm' || text[3] == '0')
        return std::nullopt;
    unsigned number = 0;
    for (char c : text.substr(3)) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number < 1 || number > 256) return std::nullopt;
    return number;
}

std::shared_ptr<SerialPort> openSerialPort(unsigned number, DWORD desiredAccess) {
    const std::string link = portLink(number);
    const bool reads = desiredAccess & (GENERIC_READ | GENERIC_ALL);
    const bool writes = desiredAccess & (GENERIC_WRITE | GENERIC_ALL);
    const int mode = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    const int fd = ::open(link.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND
                     : errno == EBUSY                   ? ERROR_ACCESS_DENIED
                                                        : errnoToWin32(errno));
        return nullptr;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    ::ioctl(fd, TIOCEXCL);
    DWORD access = 0;
    if (reads) access |= kAccessRead;
    if (writes) access |= kAccessWrite;
    auto port = std::make_shared<SerialPort>(fd, link, access);
    // Raw from the start: no line editing, echo or character translation between the program
    // and the device, whatever the device was left with.
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CREAD | CLOCAL;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return port;
}

SerialPort::~SerialPort() { ::ioctl(fd(), TIOCNXCL); }

std::vector<unsigned> serialPortNumbers() {
    std::vector<unsigned> numbers;
    const std::string folder = prefixFile("dosdevices");
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return numbers;
    while (const dirent* entry = ::readdir(dir)) {
        const auto number = serialPortNumber(entry->d_name);
        if (!number || std::string_view(entry->d_name).find(':') != std::string_view::npos)
            continue;
        struct stat st;
        if (::stat((folder + "/" + entry->d_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode))
            numbers.push_back(*number);
    }
    ::closedir(dir);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

}  // namespace winapi
