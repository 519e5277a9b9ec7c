// A thread's message queue on the GLib main loop: the thread's GMainContext (the global default
// one on the main thread, so that GTK shares it) wakes the thread for posted messages, sent
// messages from other threads and timers. Any thread may post; only the owner retrieves.
#pragma once

#include <windows.h>

#include <glib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace winapi::user32 {

class MessageQueue {
public:
    // The calling thread's queue, created on first use.
    static std::shared_ptr<MessageQueue> current();
    // The queue of a thread of this process that has one, or null.
    static std::shared_ptr<MessageQueue> ofThread(DWORD threadId);

    explicit MessageQueue(DWORD threadId);
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    DWORD threadId() const { return threadId_; }
    // The thread ended: timers stop, senders waiting on it get 0, posts fail.
    void end();

    // Any thread. False with ERROR_NOT_ENOUGH_QUOTA when the queue is full (10,000 messages, as
    // on Windows) or ERROR_INVALID_THREAD_ID when the thread has ended.
    bool post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void postQuit(int exitCode);

    // Owner thread: runs what is due on the main context without blocking, handles messages sent
    // from other threads, then looks for a message as PeekMessageA does (posted messages, then
    // the quit message, then due timers).
    bool peek(MSG& msg, HWND filter, UINT first, UINT last, UINT flags);
    // Owner thread: blocks until something may have arrived.
    void wait();

    // Another thread sends to a window of this queue's thread and waits for the result while
    // handling messages sent to its own thread.
    LRESULT sendFromOtherThread(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Owner thread. The timer of (hwnd, id) is replaced when it exists; hwnd NULL with an unknown
    // id makes a new id. Returns the id, or 0.
    UINT_PTR setTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
    bool killTimer(HWND hwnd, UINT_PTR id);
    void killWindowTimers(HWND hwnd);
    // Drops the posted messages of a window that is being destroyed.
    void purgeWindow(HWND hwnd);
    // The procedure of a live timer, for DispatchMessageA (which only calls known procedures).
    bool isTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc);

    // Owner thread: handles messages that other threads are waiting on.
    void handleSentMessages();

private:
    struct Timer {
        GSource* source = nullptr;
        TIMERPROC proc = nullptr;
        bool due = false;
        uint64_t dueOrder = 0;
    };
    struct Sent;
    using TimerKey = std::pair<HWND, UINT_PTR>;

    static gboolean onTimer(gpointer data);
    void wake();

    const DWORD threadId_;
    GMainContext* context_;
    std::mutex mutex_;
    std::condition_variable changed_;  // sent messages arrived or a reply came back
    std::deque<MSG> posted_;
    bool quit_ = false;
    int quitCode_ = 0;
    std::deque<std::shared_ptr<Sent>> sent_;
    std::map<TimerKey, Timer> timers_;
    uint64_t dueCounter_ = 0;
    UINT_PTR nextThreadTimer_ = 0x7FF0;
    bool ended_ = false;
};

// Milliseconds since an arbitrary start, for MSG.time and timer procedures.
DWORD tickCount();

}  // namespace winapi::user32
