// The message bus's library (GIO, and GObject under it), loaded when a program first uses the bus
// rather than with every program: loading and starting the two and what they bring along made a
// start take 4.5 ms instead of 2.0, and many programs (the updater's unpacking, packdat, regedit)
// never post a message to another process. The few functions of theirs that winapi calls are
// defined here, hidden inside winapi so that no other library finds them, and call the loaded
// ones. Should the library not load, the calls fail as calls to a bus that cannot be reached fail.
#include "loaded_symbols.h"

#include <gio/gio.h>

#include <mutex>

namespace {

struct Gio {
    decltype(&g_dbus_address_escape_value) addressEscapeValue = nullptr;
    decltype(&g_dbus_connection_call_sync) callSync = nullptr;
    decltype(&g_dbus_connection_emit_signal) emitSignal = nullptr;
    decltype(&g_dbus_connection_flush_sync) flushSync = nullptr;
    decltype(&g_dbus_connection_get_unique_name) getUniqueName = nullptr;
    decltype(&g_dbus_connection_is_closed) isClosed = nullptr;
    decltype(&g_dbus_connection_new_for_address_sync) newForAddressSync = nullptr;
    decltype(&g_dbus_connection_set_exit_on_close) setExitOnClose = nullptr;
    decltype(&g_dbus_connection_signal_subscribe) signalSubscribe = nullptr;
    decltype(&g_dbus_connection_signal_unsubscribe) signalUnsubscribe = nullptr;
    decltype(&g_dbus_error_get_remote_error) getRemoteError = nullptr;
    decltype(&(g_object_ref)) objectRef = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;
    decltype(&g_signal_connect_data) signalConnectData = nullptr;
    decltype(&g_signal_handlers_disconnect_matched) signalHandlersDisconnectMatched = nullptr;
};

// The loaded functions, or null when the library cannot be loaded whole.
const Gio* gio() {
    static Gio loaded;
    static bool found = false;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        using winapi::resolveSymbol;
        Gio f;
        found = resolveSymbol(library, "g_dbus_address_escape_value", f.addressEscapeValue) &&
                resolveSymbol(library, "g_dbus_connection_call_sync", f.callSync) &&
                resolveSymbol(library, "g_dbus_connection_emit_signal", f.emitSignal) &&
                resolveSymbol(library, "g_dbus_connection_flush_sync", f.flushSync) &&
                resolveSymbol(library, "g_dbus_connection_get_unique_name", f.getUniqueName) &&
                resolveSymbol(library, "g_dbus_connection_is_closed", f.isClosed) &&
                resolveSymbol(library, "g_dbus_connection_new_for_address_sync", f.newForAddressSync) &&
                resolveSymbol(library, "g_dbus_connection_set_exit_on_close", f.setExitOnClose) &&
                resolveSymbol(library, "g_dbus_connection_signal_subscribe", f.signalSubscribe) &&
                resolveSymbol(library, "g_dbus_connection_signal_unsubscribe", f.signalUnsubscribe) &&
                resolveSymbol(library, "g_dbus_error_get_remote_error", f.getRemoteError) &&
                resolveSymbol(library, "g_object_ref", f.objectRef) &&
                resolveSymbol(library, "g_object_unref", f.objectUnref) &&
                resolveSymbol(library, "g_signal_connect_data", f.signalConnectData) &&
                resolveSymbol(library, "g_signal_handlers_disconnect_matched", f.signalHandlersDisconnectMatched);
        if (found) loaded = f;
    });
    return found ? &loaded : nullptr;
}

void notLoaded(GError** error) {
    g_set_error_literal(error, g_quark_from_static_string("lumora-bus-library"), 0,
                        "the message bus library (libgio-2.0.so.0) could not be loaded");
}

// A call that fails takes its floating parameters as the library would.
void dropParameters(GVariant* parameters) {
    if (parameters) g_variant_unref(g_variant_ref_sink(parameters));
}

}  // namespace

#define LMR_HIDDEN __attribute__((visibility("hidden")))

extern "C" {

LMR_HIDDEN gchar* g_dbus_address_escape_value(const gchar* string) {
    const Gio* f = gio();
    return f ? f->addressEscapeValue(string) : g_strdup(string);
}

LMR_HIDDEN GVariant* g_dbus_connection_call_sync(GDBusConnection* connection, const gchar* bus_name,
                                                 const gchar* object_path, const gchar* interface_name,
                                                 const gchar* method_name, GVariant* parameters,
                                                 const GVariantType* reply_type, GDBusCallFlags flags,
                                                 gint timeout_msec, GCancellable* cancellable, GError** error) {
    if (const Gio* f = gio())
        return f->callSync(connection, bus_name, object_path, interface_name, method_name, parameters, reply_type,
                           flags, timeout_msec, cancellable, error);
    dropParameters(parameters);
    notLoaded(error);
    return nullptr;
}

LMR_HIDDEN gboolean g_dbus_connection_emit_signal(GDBusConnection* connection, const gchar* destination_bus_name,
                                                  const gchar* object_path, const gchar* interface_name,
                                                  const gchar* signal_name, GVariant* parameters, GError** error) {
    if (const Gio* f = gio())
        return f->emitSignal(connection, destination_bus_name, object_path, interface_name, signal_name, parameters,
                             error);
    dropParameters(parameters);
    notLoaded(error);
    return FALSE;
}

LMR_HIDDEN gboolean g_dbus_connection_flush_sync(GDBusConnection* connection, GCancellable* cancellable,
                                                 GError** error) {
    if (const Gio* f = gio()) return f->flushSync(connection, cancellable, error);
    notLoaded(error);
    return FALSE;
}

LMR_HIDDEN const gchar* g_dbus_connection_get_unique_name(GDBusConnection* connection) {
    const Gio* f = gio();
    return f ? f->getUniqueName(connection) : nullptr;
}

LMR_HIDDEN gboolean g_dbus_connection_is_closed(GDBusConnection* connection) {
    const Gio* f = gio();
    return f ? f->isClosed(connection) : TRUE;
}

LMR_HIDDEN GDBusConnection* g_dbus_connection_new_for_address_sync(const gchar* address, GDBusConnectionFlags flags,
                                                                   GDBusAuthObserver* observer,
                                                                   GCancellable* cancellable, GError** error) {
    if (const Gio* f = gio()) return f->newForAddressSync(address, flags, observer, cancellable, error);
    notLoaded(error);
    return nullptr;
}

LMR_HIDDEN void g_dbus_connection_set_exit_on_close(GDBusConnection* connection, gboolean exit_on_close) {
    if (const Gio* f = gio()) f->setExitOnClose(connection, exit_on_close);
}

LMR_HIDDEN guint g_dbus_connection_signal_subscribe(GDBusConnection* connection, const gchar* sender,
                                                    const gchar* interface_name, const gchar* member,
                                                    const gchar* object_path, const gchar* arg0,
                                                    GDBusSignalFlags flags, GDBusSignalCallback callback,
                                                    gpointer user_data, GDestroyNotify user_data_free_func) {
    if (const Gio* f = gio())
        return f->signalSubscribe(connection, sender, interface_name, member, object_path, arg0, flags, callback,
                                  user_data, user_data_free_func);
    if (user_data_free_func) user_data_free_func(user_data);
    return 0;
}

LMR_HIDDEN void g_dbus_connection_signal_unsubscribe(GDBusConnection* connection, guint subscription_id) {
    if (const Gio* f = gio()) f->signalUnsubscribe(connection, subscription_id);
}

LMR_HIDDEN gchar* g_dbus_error_get_remote_error(const GError* error) {
    const Gio* f = gio();
    return f ? f->getRemoteError(error) : nullptr;
}

// The name in parentheses: GLib's headers also define g_object_ref as a macro.
LMR_HIDDEN gpointer(g_object_ref)(gpointer object) {
    const Gio* f = gio();
    return f ? f->objectRef(object) : object;
}

LMR_HIDDEN void g_object_unref(gpointer object) {
    if (const Gio* f = gio()) f->objectUnref(object);
}

LMR_HIDDEN gulong g_signal_connect_data(gpointer instance, const gchar* detailed_signal, GCallback c_handler,
                                        gpointer data, GClosureNotify destroy_data, GConnectFlags connect_flags) {
    if (const Gio* f = gio())
        return f->signalConnectData(instance, detailed_signal, c_handler, data, destroy_data, connect_flags);
    return 0;
}

LMR_HIDDEN guint g_signal_handlers_disconnect_matched(gpointer instance, GSignalMatchType mask, guint signal_id,
                                                      GQuark detail, GClosure* closure, gpointer func,
                                                      gpointer data) {
    const Gio* f = gio();
    return f ? f->signalHandlersDisconnectMatched(instance, mask, signal_id, detail, closure, func, data) : 0;
}

}  // extern "C"
