// Finding, starting, replacing and connecting to the prefix's bus daemon.
#include "bus_daemon.h"

#include "prefix.h"
#include "read_key.h"

#include <gio/gio.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace winapi::user32 {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(5);
// The bus is cheap to start again and outlives its last process only so long: what keeps a prefix
// busy for a while (rasman with its own idle time) stays connected to it.
constexpr DWORD kBusIdleLimitSeconds = 5;

enum class SocketState { Live, Dead, Missing };

SocketState probe(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return SocketState::Dead;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int error = errno;
    ::close(fd);
    // EAGAIN: the daemon is there but its backlog is full, so it is alive and busy.
    if (rc == 0 || error == EAGAIN || error == EINPROGRESS) return SocketState::Live;
    return error == ENOENT ? SocketState::Missing : SocketState::Dead;
}

std::string addressOf(const std::string& path) {
    gchar* escaped = g_dbus_address_escape_value(path.c_str());
    std::string address = std::string("unix:path=") + escaped;
    g_free(escaped);
    return address;
}

bool writeConfig(const std::string& file, const std::string& address) {
    gchar* listen = g_markup_escape_text(address.c_str(), -1);
    std::string text =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig>\n"
        "  <type>lumora-prefix</type>\n"
        "  <listen>" + std::string(listen) + "</listen>\n"
        "  <auth>EXTERNAL</auth>\n"
        "  <policy context=\"default\">\n"
        "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
        "    <allow eavesdrop=\"true\"/>\n"
        "    <allow own=\"*\"/>\n"
        "  </policy>\n"
        // A receiver that stops reading may hold up to this much before the bus drops for it.
        "  <limit name=\"max_outgoing_bytes\">100000000</limit>\n"
        "  <limit name=\"max_incoming_bytes\">100000000</limit>\n"
        "</busconfig>\n";
    g_free(listen);
    const std::string temporary = file + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "w");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok && std::rename(temporary.c_str(), file.c_str()) == 0;
}

// The daemon runs under a small shell ("lumora-bus"), detached from this process (GLib
// double-forks), that reads nothing and writes only to the log. Every half second it ends the
// daemon when the socket is gone (the prefix was removed), and asks the bus who is connected:
// when for the idle time nobody but that question has been, it takes the connect lock, asks once
// more, removes the socket and ends the daemon before it lets go of the lock. A process that
// holds the lock while it connects is never cut off; one that comes later starts a new daemon.
bool spawnDaemon(const std::string& daemon, const std::string& config, const std::string& socket,
                 const std::string& log, const std::string& address, const std::string& lock) {
    static const char* script =
        "exec </dev/null >/dev/null 2>>\"$4\"\n"
        "\"$1\" --nofork --nopidfile --config-file=\"$2\" &\n"
        "d=$!\n"
        "trap 'kill $d 2>/dev/null; exit 0' HUP INT TERM\n"
        "n=0\n"
        "while kill -0 $d 2>/dev/null && [ ! -S \"$3\" ] && [ $n -lt 100 ]; do\n"
        "  sleep 0.1; n=$((n + 1))\n"
        "done\n"
        "address=$5\n"
        "connected() {\n"
        "  dbus-send --bus=\"$address\" --print-reply --dest=org.freedesktop.DBus\\\n"
        "    /org/freedesktop/DBus org.freedesktop.DBus.ListNames 2>/dev/null | grep -c 'string \":'\n"
        "}\n"
        "idle=0\n"
        "while kill -0 $d 2>/dev/null && [ -S \"$3\" ]; do\n"
        "  sleep 0.5\n"
        "  if [ \"$(connected)\" -gt 1 ]; then idle=0; continue; fi\n"
        "  idle=$((idle + 1))\n"
        "  [ $idle -ge $(($7 * 2)) ] || continue\n"
        "  { command exec 9>>\"$6\"; } 2>/dev/null || break\n"
        "  if flock -n 9 && [ \"$(connected)\" -le 1 ]; then rm -f \"$3\"; break; fi\n"
        "  exec 9>&-\n"
        "done\n"
        "kill $d 2>/dev/null\n"
        "wait $d\n";
    const std::string idle = std::to_string(std::min(serviceIdleSeconds(), kBusIdleLimitSeconds));
    const gchar* argv[] = {"/bin/sh",       "-c",          script,          "lumora-bus",
                           daemon.c_str(),  config.c_str(), socket.c_str(), log.c_str(),
                           address.c_str(), lock.c_str(),  idle.c_str(),   nullptr};
    GError* error = nullptr;
    const auto flags = static_cast<GSpawnFlags>(G_SPAWN_STDIN_FROM_DEV_NULL |
                                                G_SPAWN_STDOUT_TO_DEV_NULL |
                                                G_SPAWN_STDERR_TO_DEV_NULL);
    if (!g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr, flags, nullptr, nullptr,
                       nullptr, &error)) {
        std::fprintf(stderr, "winapi: cannot start the message bus: %s\n", error->message);
        g_error_free(error);
        return false;
    }
    return true;
}

std::string startLocked(const std::string& socket) {
    if (probe(socket) == SocketState::Live) return addressOf(socket);
    gchar* found = g_find_program_in_path("dbus-daemon");
    if (!found) {
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "winapi: dbus-daemon is not installed: broadcasts stay inside "
                                 "each process\n");
        told = true;
        return {};
    }
    const std::string daemon = found;
    g_free(found);
    ::unlink(socket.c_str());  // a dead daemon's socket
    const std::string address = addressOf(socket);
    const std::string config = prefixFile("run/bus.conf");
    if (!writeConfig(config, address)) {
        std::fprintf(stderr, "winapi: cannot write %s: %s\n", config.c_str(), std::strerror(errno));
        return {};
    }
    if (!spawnDaemon(daemon, config, socket, prefixFile("run/bus.log"), address,
                     prefixFile("run/bus.lock")))
        return {};
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (probe(socket) == SocketState::Live) return address;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::fprintf(stderr, "winapi: the message bus did not come up on %s (see %s)\n", socket.c_str(),
                 prefixFile("run/bus.log").c_str());
    return {};
}

// The connect lock (run/bus.lock): shared while a process connects, exclusive while one starts
// the daemon or the daemon ends.
class ConnectLock {
public:
    ConnectLock() : path_(prefixFile("run/bus.lock")) {
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0)
            std::fprintf(stderr, "winapi: cannot open %s: %s\n", path_.c_str(), std::strerror(errno));
        else
            ::flock(fd_, LOCK_SH);
    }
    ~ConnectLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    ConnectLock(const ConnectLock&) = delete;
    ConnectLock& operator=(const ConnectLock&) = delete;

    explicit operator bool() const { return fd_ >= 0; }
    // Processes of the prefix that start at the same time start one daemon between them.
    void exclusive() { ::flock(fd_, LOCK_EX); }

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace

DWORD serviceIdleSeconds() {
    const DWORD seconds = ReadKey(HKEY_LOCAL_MACHINE, kEmulationKey).number(kServiceIdleValue, 0);
    return seconds >= 1 && seconds <= 86400 ? seconds : 60;
}

GDBusConnection* connectPrefixBus(bool start, bool* missing) {
    if (missing) *missing = false;
    const std::string socket = prefixFile("run/bus");
    if (socket.size() >= sizeof(sockaddr_un::sun_path)) {
        std::fprintf(stderr, "winapi: the prefix path is too long for the bus socket %s\n",
                     socket.c_str());
        return nullptr;
    }
    ConnectLock lock;
    if (!lock) return nullptr;
    std::string address;
    if (probe(socket) == SocketState::Live) {
        address = addressOf(socket);
    } else if (start) {
        lock.exclusive();
        address = startLocked(socket);
    } else {
        if (missing) *missing = true;
        return nullptr;
    }
    if (address.empty()) return nullptr;
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!connection) {
        std::fprintf(stderr, "winapi: cannot connect to the message bus: %s\n", error->message);
        g_error_free(error);
    }
    return connection;
}

}  // namespace winapi::user32
