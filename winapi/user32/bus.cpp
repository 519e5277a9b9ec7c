// The process's connection to the prefix bus, owned by a thread of its own with its own GLib
// main context: signals are received there and handed to the thread queues, and callers of the
// message functions hand it work and wait a bounded time.
#include "bus.h"

#include "bus_daemon.h"
#include "cp1252.h"
#include "handles.h"

#include <gio/gio.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>

namespace winapi::user32 {
namespace {

constexpr const char* kPath = "/org/lumora/Messages";
constexpr const char* kInterface = "org.lumora.Messages";
// Joining may have to start the daemon (up to 5 s); sending never waits longer than this.
constexpr auto kJoinTimeout = std::chrono::seconds(8);
constexpr auto kSendTimeout = std::chrono::seconds(2);
constexpr guint kRetryFirstMs = 1000;
constexpr guint kRetryMaxMs = 60000;

enum class Link { Connected, NoBus, Failed };

class Bus {
public:
    static Bus& instance() {
        static Bus* bus = new Bus;  // its thread runs until the process ends
        return *bus;
    }

    bool join() {
        bool joined = false;
        bool finished = run([this] {
            listening_ = true;
            if (connect(true) != Link::Connected) return false;
            if (!subscribed_) subscribe();  // connected earlier only to post
            return subscribed_;
        }, kJoinTimeout, joined);
        if (!finished) std::fprintf(stderr, "winapi: the message bus did not answer in time\n");
        if (!joined) {
            static bool told = false;
            if (!told)
                std::fprintf(stderr, "winapi: no message bus for this prefix: broadcasts of "
                                     "other processes do not reach this one\n");
            told = true;
        }
        return joined;
    }

    std::string uniqueName() {
        std::lock_guard lock(nameMutex_);
        return uniqueName_;
    }

    // Emits a signal (to `destination`, or to all when empty) and flushes it to the bus.
    bool emit(const std::string& destination, const char* member, GVariant* args,
              const std::string& what) {
        // The work owns what it uses: after a timeout it still runs, when this call is gone.
        std::shared_ptr<GVariant> owned(g_variant_ref_sink(args), &g_variant_unref);
        bool sent = false;
        bool finished = run([this, destination, member, owned] {
            Link link = connect(false);
            if (link == Link::NoBus) return destination.empty();  // nobody else to reach
            if (link == Link::Failed) return false;
            GError* error = nullptr;
            if (!g_dbus_connection_emit_signal(connection_,
                                               destination.empty() ? nullptr : destination.c_str(),
                                               kPath, kInterface, member, owned.get(), &error) ||
                !g_dbus_connection_flush_sync(connection_, nullptr, &error)) {
                std::fprintf(stderr, "winapi: message bus: %s\n", error->message);
                g_error_free(error);
                return false;
            }
            return true;
        }, kSendTimeout, sent);
        if (!finished)
            std::fprintf(stderr, "winapi: the message bus did not take %s in time; it may be "
                                 "lost\n", what.c_str());
        else if (!sent)
            std::fprintf(stderr, "winapi: %s dropped: no connection to the message bus\n",
                         what.c_str());
        return finished && sent;
    }

private:
    struct Job {
        std::function<bool()> work;
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool result = false;
    };

    Bus() : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {
        // Deliveries touch the handle table: it must outlive them, so it is made before the exit
        // handler that stops them is registered (exit runs them in reverse order).
        HandleTable::instance();
        std::atexit([] {
            std::unique_lock lock(deliveryMutex());
            deliveriesStopped() = true;
        });
        std::thread([this] {
            g_main_context_push_thread_default(context_);
            g_main_loop_run(loop_);
        }).detach();
    }

    // Runs work on the bus thread; false when it did not finish within the timeout (it still
    // runs later, so it must own its data).
    bool run(std::function<bool()> work, std::chrono::steady_clock::duration timeout,
             bool& result) {
        auto job = std::make_shared<Job>();
        job->work = std::move(work);
        g_main_context_invoke_full(
            context_, G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                auto& j = *static_cast<std::shared_ptr<Job>*>(data);
                bool r = false;
                try {
                    r = j->work();
                } catch (...) {
                    r = false;
                }
                {
                    std::lock_guard lock(j->mutex);
                    j->finished = true;
                    j->result = r;
                }
                j->done.notify_all();
                return G_SOURCE_REMOVE;
            },
            new std::shared_ptr<Job>(job),
            [](gpointer data) { delete static_cast<std::shared_ptr<Job>*>(data); });
        std::unique_lock lock(job->mutex);
        if (!job->done.wait_for(lock, timeout, [&] { return job->finished; })) return false;
        result = job->result;
        return true;
    }

    // Bus thread.
    // A process with windows always wants a bus: it starts a daemon when there is none and keeps
    // trying in the background while that fails.
    Link connect(bool start) {
        if (connection_ && !g_dbus_connection_is_closed(connection_)) return Link::Connected;
        drop();
        start = start || listening_;
        bool missing = false;
        connection_ = connectPrefixBus(start, &missing);
        if (!connection_) {
            if (listening_) scheduleReconnect();
            return missing ? Link::NoBus : Link::Failed;
        }
        g_dbus_connection_set_exit_on_close(connection_, FALSE);
        g_signal_connect(connection_, "closed", G_CALLBACK(&Bus::onClosed), this);
        {
            std::lock_guard lock(nameMutex_);
            uniqueName_ = g_dbus_connection_get_unique_name(connection_);
        }
        if (listening_) subscribe();
        return Link::Connected;
    }

    void drop() {
        if (!connection_) return;
        g_signal_handlers_disconnect_by_data(connection_, this);
        if (subscription_) g_dbus_connection_signal_unsubscribe(connection_, subscription_);
        subscription_ = 0;
        subscribed_ = false;
        g_object_unref(connection_);
        connection_ = nullptr;
        std::lock_guard lock(nameMutex_);
        uniqueName_.clear();
    }

    void subscribe() {
        subscription_ = g_dbus_connection_signal_subscribe(
            connection_, nullptr, kInterface, nullptr, kPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            &Bus::onSignal, this, nullptr);
        // Once the bus has answered a call made after the match rule, it applies the rule: every
        // broadcast sent from now on reaches this process.
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(
            connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "GetId", nullptr, G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, &error);
        if (reply) {
            g_variant_unref(reply);
            subscribed_ = true;
        } else {
            std::fprintf(stderr, "winapi: message bus: %s\n", error->message);
            g_error_free(error);
        }
    }

    static std::shared_mutex& deliveryMutex() {
        static std::shared_mutex* m = new std::shared_mutex;
        return *m;
    }
    static bool& deliveriesStopped() {
        static bool stopped = false;
        return stopped;
    }

    static void onSignal(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                         const gchar* member, GVariant* args, gpointer data) {
        auto* bus = static_cast<Bus*>(data);
        std::shared_lock lock(deliveryMutex());
        if (deliveriesStopped()) return;  // the process is exiting
        try {
            // This process's own broadcasts went to its windows directly.
            if (sender && bus->uniqueName() == sender) return;
            const std::string name = member ? member : "";
            if (name == "Broadcast" && g_variant_is_of_type(args, G_VARIANT_TYPE("(sutx)"))) {
                const gchar* message;
                guint32 msg;
                guint64 wParam;
                gint64 lParam;
                g_variant_get(args, "(&sutx)", &message, &msg, &wParam, &lParam);
                deliverBroadcast(utf8ToCp1252(message), msg, static_cast<WPARAM>(wParam),
                                 static_cast<LPARAM>(lParam));
            } else if (name == "Post" && g_variant_is_of_type(args, G_VARIANT_TYPE("(usutx)"))) {
                guint32 hwnd;
                const gchar* message;
                guint32 msg;
                guint64 wParam;
                gint64 lParam;
                g_variant_get(args, "(u&sutx)", &hwnd, &message, &msg, &wParam, &lParam);
                deliverPost(hwnd, utf8ToCp1252(message), msg, static_cast<WPARAM>(wParam),
                            static_cast<LPARAM>(lParam));
            }
        } catch (...) {
            std::fprintf(stderr, "winapi: a message from the bus was dropped (out of memory)\n");
        }
    }

    // The daemon went away: a process with windows reconnects (starting a new daemon), first
    // after a second, then less and less often while that fails.
    static void onClosed(GDBusConnection*, gboolean, GError*, gpointer data) {
        auto* bus = static_cast<Bus*>(data);
        std::fprintf(stderr, "winapi: lost the message bus\n");
        bus->drop();
        if (bus->listening_) bus->scheduleReconnect();
    }

    void scheduleReconnect() {
        if (retryPending_) return;
        retryPending_ = true;
        GSource* source = g_timeout_source_new(retryMs_);
        g_source_set_callback(
            source,
            [](gpointer data) -> gboolean {
                auto* bus = static_cast<Bus*>(data);
                bus->retryPending_ = false;
                bus->retryMs_ = std::min(bus->retryMs_ * 2, kRetryMaxMs);
                if (bus->connect(true) == Link::Connected) {
                    bus->retryMs_ = kRetryFirstMs;
                    std::fprintf(stderr, "winapi: back on the message bus\n");
                }
                return G_SOURCE_REMOVE;
            },
            this, nullptr);
        g_source_attach(source, context_);
        g_source_unref(source);
    }

    GMainContext* context_;
    GMainLoop* loop_;
    // Bus thread only.
    GDBusConnection* connection_ = nullptr;
    guint subscription_ = 0;
    bool subscribed_ = false;
    bool listening_ = false;
    guint retryMs_ = kRetryFirstMs;
    bool retryPending_ = false;
    // Any thread.
    std::mutex nameMutex_;
    std::string uniqueName_;
};

GVariant* messageArgs(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam) {
    return g_variant_new("(sutx)", cp1252ToUtf8(name).c_str(), static_cast<guint32>(msg),
                         static_cast<guint64>(wParam), static_cast<gint64>(lParam));
}

std::string describe(const std::string& name, UINT msg) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%04x", msg);
    return "message " + (name.empty() ? std::string(number) : name);
}

}  // namespace

bool joinBus() { return Bus::instance().join(); }

std::string busName() { return Bus::instance().uniqueName(); }

bool busBroadcast(const std::string& name, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Bus::instance().emit({}, "Broadcast", messageArgs(name, msg, wParam, lParam),
                                "broadcast " + describe(name, msg));
}

bool busPost(const std::string& target, DWORD hwnd, const std::string& name, UINT msg,
             WPARAM wParam, LPARAM lParam) {
    if (target.empty()) return false;
    GVariant* args = g_variant_new("(usutx)", static_cast<guint32>(hwnd),
                                   cp1252ToUtf8(name).c_str(), static_cast<guint32>(msg),
                                   static_cast<guint64>(wParam), static_cast<gint64>(lParam));
    return Bus::instance().emit(target, "Post", args, describe(name, msg));
}

}  // namespace winapi::user32
