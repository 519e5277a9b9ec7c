// rasman: the remote-access service of a prefix. rasapi32 starts it on demand; it owns the name
// org.lumora.RasMan on the prefix bus and the connections of the prefix, and ends with the bus
// (when the prefix goes), when another instance already owns the name, or by itself after the
// prefix's idle time without callers on the bus, connections up or dials in progress.
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include "auto_dial.h"
#include "bus_daemon.h"
#include "connections.h"
#include "cp1252.h"
#include "ras_service_protocol.h"

#include <gio/gio.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace winapi::ras;

constexpr const char* kIntrospection =
    "<node><interface name='org.lumora.RasMan'>"
    "<method name='Dial'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='s' direction='in'/><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='s' direction='in'/><arg type='u' direction='in'/>"
    "<arg type='u' direction='out'/><arg type='u' direction='out'/></method>"
    "<method name='HangUp'><arg type='u' direction='in'/><arg type='u' direction='out'/></method>"
    "<method name='Status'><arg type='u' direction='in'/><arg type='u' direction='out'/>"
    "<arg type='u' direction='out'/><arg type='u' direction='out'/>"
    "<arg type='s' direction='out'/><arg type='s' direction='out'/></method>"
    "<method name='List'><arg type='a(usss)' direction='out'/></method>"
    "<method name='Projection'><arg type='u' direction='in'/><arg type='u' direction='out'/>"
    "<arg type='u' direction='out'/><arg type='s' direction='out'/></method>"
    "<method name='AutoDial'><arg type='u' direction='out'/><arg type='b' direction='out'/>"
    "</method>"
    "</interface></node>";

struct Service {
    GMainLoop* loop = nullptr;
    GDBusConnection* bus = nullptr;
    rasman::Connections connections;
    rasman::AutoDialer autoDialer{connections};
    std::map<std::string, guint> watches;  // the processes that called, while they are on the bus
    guint idleLimit = 60;                  // seconds
    guint idleFor = 0;
    bool ending = false;
};

std::string toSystem(const gchar* utf8) { return winapi::utf8ToCp1252(utf8); }
std::string toBus(const std::string& text) { return winapi::cp1252ToUtf8(text); }

void watchCaller(Service& service, const std::string& owner) {
    if (service.watches.count(owner)) return;
    struct Watch {
        Service* service;
        std::string owner;
    };
    service.watches[owner] = g_bus_watch_name_on_connection(
        service.bus, owner.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
        [](GDBusConnection*, const gchar*, gpointer data) {
            auto* w = static_cast<Watch*>(data);
            auto it = w->service->watches.find(w->owner);
            if (it == w->service->watches.end()) return;
            const guint id = it->second;
            w->service->watches.erase(it);
            w->service->connections.ownerGone(w->owner);
            g_bus_unwatch_name(id);  // frees w
        },
        new Watch{&service, owner}, [](gpointer data) { delete static_cast<Watch*>(data); });
}

void onCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
            const gchar* method, GVariant* args, GDBusMethodInvocation* invocation,
            gpointer data) {
    auto& service = *static_cast<Service*>(data);
    if (service.ending) {
        g_dbus_method_invocation_return_dbus_error(invocation, kServiceEnding,
                                                   "the remote-access service is ending");
        return;
    }
    if (sender) watchCaller(service, sender);
    const std::string name = method;
    if (name == "Dial") {
        const gchar *entry, *phone, *user, *password, *domain, *notify;
        guint32 window;
        g_variant_get(args, "(&s&s&s&s&s&su)", &entry, &phone, &user, &password, &domain,
                      &notify, &window);
        rasman::DialRequest request{toSystem(entry), toSystem(phone),  toSystem(user),
                                    toSystem(password), toSystem(domain), notify,
                                    window,          sender ? sender : ""};
        if (!request.owner.empty()) service.connections.ownerPresent(request.owner);
        DWORD handle = 0;
        const DWORD error = service.connections.dial(request, handle);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(uu)", error, handle));
    } else if (name == "HangUp") {
        guint32 handle;
        g_variant_get(args, "(u)", &handle);
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(u)", service.connections.hangUp(handle)));
    } else if (name == "Status") {
        guint32 handle;
        g_variant_get(args, "(u)", &handle);
        const rasman::ConnectionInfo* c = service.connections.find(handle);
        g_dbus_method_invocation_return_value(
            invocation,
            c ? g_variant_new("(uuuss)", 0u, c->state, c->error, toBus(c->deviceType).c_str(),
                              toBus(c->deviceName).c_str())
              : g_variant_new("(uuuss)", static_cast<guint32>(ERROR_INVALID_HANDLE), 0u, 0u, "",
                              ""));
    } else if (name == "List") {
        GVariantBuilder list;
        g_variant_builder_init(&list, G_VARIANT_TYPE("a(usss)"));
        for (const rasman::ConnectionInfo& c : service.connections.active())
            g_variant_builder_add(&list, "(usss)", c.handle, toBus(c.entry).c_str(),
                                  toBus(c.deviceType).c_str(), toBus(c.deviceName).c_str());
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(a(usss))", &list));
    } else if (name == "Projection") {
        guint32 handle;
        g_variant_get(args, "(u)", &handle);
        const rasman::ConnectionInfo* c = service.connections.find(handle);
        DWORD error = ERROR_SUCCESS;
        if (!c) error = ERROR_INVALID_HANDLE;
        else if (c->state != RASCS_Connected) error = ERROR_PROJECTION_NOT_COMPLETE;
        g_dbus_method_invocation_return_value(
            invocation,
            g_variant_new("(uus)", error, 0u, c && !error ? c->ipAddress.c_str() : ""));
    } else if (name == "AutoDial") {
        service.autoDialer.request(invocation);
    } else {
        g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR,
                                              G_DBUS_ERROR_UNKNOWN_METHOD, "unknown method");
    }
}

// Once a second: after the idle time without callers, connections or dials the service gives
// up its name, answers what reached it before that with kServiceEnding, and ends.
gboolean checkIdle(gpointer data) {
    auto& service = *static_cast<Service*>(data);
    const bool idle = service.watches.empty() && service.connections.active().empty() &&
                      !service.autoDialer.busy();
    service.idleFor = idle ? service.idleFor + 1 : 0;
    if (service.idleFor < service.idleLimit) return G_SOURCE_CONTINUE;
    service.ending = true;
    GVariant* released = g_dbus_connection_call_sync(
        service.bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "ReleaseName", g_variant_new("(s)", kServiceName), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (released) g_variant_unref(released);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    g_dbus_connection_flush_sync(service.bus, nullptr, nullptr);
    g_main_loop_quit(service.loop);
    return G_SOURCE_REMOVE;
}

}  // namespace

int main() {
    Service service;
    bool missing = false;
    service.bus = winapi::user32::connectPrefixBus(false, &missing);
    if (!service.bus) {
        if (missing) std::fprintf(stderr, "rasman: the prefix has no message bus\n");
        return 1;
    }
    GError* error = nullptr;
    // The connections end with the bus: the prefix is gone.
    g_dbus_connection_set_exit_on_close(service.bus, TRUE);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    static const GDBusInterfaceVTable vtable = {&onCall, nullptr, nullptr, {}};
    if (!g_dbus_connection_register_object(service.bus, kServicePath, node->interfaces[0],
                                           &vtable, &service, nullptr, &error)) {
        std::fprintf(stderr, "rasman: %s\n", error->message);
        g_error_free(error);
        return 1;
    }
    service.loop = g_main_loop_new(nullptr, FALSE);
    service.idleLimit = winapi::user32::serviceIdleSeconds();
    g_timeout_add_seconds(1, &checkIdle, &service);
    g_bus_own_name_on_connection(
        service.bus, kServiceName, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, nullptr,
        [](GDBusConnection*, const gchar*, gpointer data) {
            // Another instance serves the prefix (or the bus refused the name).
            g_main_loop_quit(static_cast<Service*>(data)->loop);
        },
        &service, nullptr);
    g_main_loop_run(service.loop);
    g_dbus_node_info_unref(node);
    return 0;
}
