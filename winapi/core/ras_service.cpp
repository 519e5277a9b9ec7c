// Reaching the remote-access service: a connection of the process's own to the prefix bus (the
// daemon is started when there is none), and the service program started when nobody owns its
// name. Two processes that start it at once start two; the second finds the name taken and ends.
// A service that ends after its idle time while it is called is replaced by a new one.
#include "ras_service.h"

#include <ras.h>
#include <raserror.h>

#include "bus_daemon.h"
#include "prefix.h"
#include "ras_service_protocol.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace winapi::ras {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(5);

std::mutex linkMutex;
GDBusConnection* link = nullptr;

GDBusConnection* connectLocked() {
    if (link && !g_dbus_connection_is_closed(link)) return link;
    if (link) g_object_unref(link);
    link = nullptr;
    link = user32::connectPrefixBus(true);
    if (link) g_dbus_connection_set_exit_on_close(link, FALSE);
    return link;
}

bool serviceRunning(GDBusConnection* bus) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", kServiceName), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, kServiceCallTimeoutMs, nullptr, nullptr);
    if (!reply) return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

std::string serviceProgram() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&serviceRunning), &info) || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    return path + kServiceProgram;
}

// The service is a daemon of the prefix: it writes to the prefix's log, not to the terminal or
// pipe of whoever happened to start it.
void detachOutput(gpointer logPath) {
    int fd = ::open(static_cast<const char*>(logPath), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ::setsid();
}

bool startService(GDBusConnection* bus) {
    const std::string program = serviceProgram();
    std::string log = prefixFile("run/rasman.log");
    const gchar* argv[] = {program.c_str(), nullptr};
    GError* error = nullptr;
    if (!g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr,
                       G_SPAWN_STDIN_FROM_DEV_NULL, &detachOutput, log.data(), nullptr, &error)) {
        std::fprintf(stderr, "rasapi32: cannot start %s: %s\n", program.c_str(), error->message);
        g_error_free(error);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (serviceRunning(bus)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::fprintf(stderr, "rasapi32: the remote-access service did not start (see %s)\n",
                 log.c_str());
    return false;
}

// The service ended after its idle time just as the call was made: it either answered that it is
// ending, or had already given up its name. The call is made again, to the next instance.
bool reachedEndingService(GError* failure) {
    gchar* remote = g_dbus_error_get_remote_error(failure);
    const std::string name = remote ? remote : "";
    g_free(remote);
    return name == kServiceEnding || name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
           name == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

}  // namespace

GVariant* callService(const char* method, GVariant* args, const char* replyType, DWORD& error,
                      int timeoutMs) {
    g_variant_ref_sink(args);
    GVariant* reply = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!reply) {
        // The link is set up under the lock; the call itself is not, so that a long call (an
        // AutoDial waiting for the customer) does not hold up the process's other calls.
        GDBusConnection* bus = nullptr;
        {
            std::lock_guard lock(linkMutex);
            bus = connectLocked();
            if (!bus || !(serviceRunning(bus) || startService(bus))) break;
            g_object_ref(bus);
        }
        GError* failure = nullptr;
        reply = g_dbus_connection_call_sync(bus, kServiceName, kServicePath, kServiceInterface,
                                            method, args, G_VARIANT_TYPE(replyType),
                                            G_DBUS_CALL_FLAGS_NONE, timeoutMs, nullptr, &failure);
        g_object_unref(bus);
        if (reply) break;
        if (!reachedEndingService(failure) || std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "rasapi32: %s: %s\n", method, failure->message);
            g_error_free(failure);
            break;
        }
        g_error_free(failure);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    g_variant_unref(args);
    error = reply ? ERROR_SUCCESS : ERROR_RASMAN_CANNOT_INITIALIZE;
    return reply;
}

std::string serviceOwner() {
    std::lock_guard lock(linkMutex);
    GDBusConnection* bus = connectLocked();
    if (!bus) return {};
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner",
        g_variant_new("(s)", kServiceName), G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, kServiceCallTimeoutMs,
        nullptr, nullptr);
    if (!reply) return {};
    const gchar* owner = nullptr;
    g_variant_get(reply, "(&s)", &owner);
    std::string result = owner;
    g_variant_unref(reply);
    return result;
}

DialStanding dialStanding(const std::string& owner, DWORD handle, DWORD& state) {
    std::lock_guard lock(linkMutex);
    GDBusConnection* bus = connectLocked();
    if (!bus) return DialStanding::Gone;
    // Asked by its unique name, a replaced instance is not reached in place of the dead one.
    GVariant* reply = g_dbus_connection_call_sync(bus, owner.c_str(), kServicePath, kServiceInterface, "Status",
                                                  g_variant_new("(u)", handle), G_VARIANT_TYPE("(uuuss)"),
                                                  G_DBUS_CALL_FLAGS_NONE, kServiceCallTimeoutMs, nullptr, nullptr);
    if (!reply) return DialStanding::Gone;
    guint32 answer, error;
    g_variant_get(reply, "(uuu&s&s)", &answer, &state, &error, nullptr, nullptr);
    g_variant_unref(reply);
    // An unknown handle is a dial hung up meanwhile; an error or a final state was posted by the
    // service itself.
    if (answer || error || state == RASCS_Connected || state == RASCS_Disconnected) return DialStanding::Ended;
    return DialStanding::Dialling;
}

}  // namespace winapi::ras
