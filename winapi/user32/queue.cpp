// Thread message queues on the GLib main loop, their timers and messages sent between threads.
#include "queue.h"

#include "window.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <unordered_map>

namespace winapi::user32 {
namespace {

// Windows refuses posts beyond 10,000 waiting messages per thread; so do we, which also bounds
// what a burst of broadcasts can pile up in a program that is not pumping.
constexpr size_t kQueueLimit = 10000;

DWORD currentThreadId() { return static_cast<DWORD>(::syscall(SYS_gettid)); }

struct Registry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::weak_ptr<MessageQueue>> queues;
};

Registry& registry() {
    static Registry* r = new Registry;  // used by the bus thread until exit
    return *r;
}

// Owns the calling thread's queue. When the thread ends, its windows go with it (without
// messages: nobody is left to handle them) and the queue takes no more messages.
struct QueueHolder {
    std::shared_ptr<MessageQueue> queue;
    ~QueueHolder() {
        if (!queue) return;
        {
            std::lock_guard lock(registry().mutex);
            registry().queues.erase(queue->threadId());
        }
        forgetThreadWindows(queue->threadId());
        queue->end();
    }
};
thread_local QueueHolder holder;

struct TimerTick {
    MessageQueue* queue;
    HWND hwnd;
    UINT_PTR id;
};

bool inRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool matchesWindow(HWND msgHwnd, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return msgHwnd == nullptr;
    return msgHwnd && isSelfOrDescendant(filter, msgHwnd);
}

}  // namespace

struct MessageQueue::Sent {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<MessageQueue> sender;
    LRESULT result = 0;
    bool done = false;
};

DWORD tickCount() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}

std::shared_ptr<MessageQueue> MessageQueue::current() {
    if (!holder.queue) {
        holder.queue = std::make_shared<MessageQueue>(currentThreadId());
        std::lock_guard lock(registry().mutex);
        registry().queues[holder.queue->threadId()] = holder.queue;
    }
    return holder.queue;
}

std::shared_ptr<MessageQueue> MessageQueue::ofThread(DWORD threadId) {
    std::lock_guard lock(registry().mutex);
    auto it = registry().queues.find(threadId);
    return it == registry().queues.end() ? nullptr : it->second.lock();
}

MessageQueue::MessageQueue(DWORD threadId) : threadId_(threadId) {
    if (threadId == static_cast<DWORD>(::getpid())) {
        context_ = g_main_context_ref(g_main_context_default());
    } else if (GMainContext* own = g_main_context_get_thread_default()) {
        context_ = g_main_context_ref(own);
    } else {
        // A thread of its own needs a context of its own: the default one belongs to the main
        // thread and cannot be iterated from two threads.
        context_ = g_main_context_new();
        g_main_context_push_thread_default(context_);
    }
}

MessageQueue::~MessageQueue() {
    end();
    g_main_context_unref(context_);
}

void MessageQueue::end() {
    std::deque<std::shared_ptr<Sent>> abandoned;
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
        for (auto& [key, timer] : timers_) {
            g_source_destroy(timer.source);
            g_source_unref(timer.source);
        }
        timers_.clear();
        abandoned.swap(sent_);
    }
    // Senders waiting on a thread that ended get 0, as on Windows.
    for (auto& sent : abandoned) {
        {
            std::lock_guard lock(sent->sender->mutex_);
            sent->done = true;
        }
        sent->sender->changed_.notify_all();
    }
}

void MessageQueue::wake() {
    changed_.notify_all();
    g_main_context_wakeup(context_);
}

bool MessageQueue::post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(mutex_);
        if (ended_) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return false;
        }
        if (posted_.size() >= kQueueLimit) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return false;
        }
        MSG m{};
        m.hwnd = hwnd;
        m.message = msg;
        m.wParam = wParam;
        m.lParam = lParam;
        m.time = tickCount();
        posted_.push_back(m);
    }
    wake();
    return true;
}

void MessageQueue::postQuit(int exitCode) {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        quitCode_ = exitCode;
    }
    wake();
}

void MessageQueue::handleSentMessages() {
    for (;;) {
        std::shared_ptr<Sent> sent;
        {
            std::lock_guard lock(mutex_);
            if (sent_.empty()) return;
            sent = sent_.front();
            sent_.pop_front();
        }
        LRESULT result = SendMessageA(sent->hwnd, sent->msg, sent->wParam, sent->lParam);
        {
            std::lock_guard lock(sent->sender->mutex_);
            sent->result = result;
            sent->done = true;
        }
        sent->sender->changed_.notify_all();
    }
}

LRESULT MessageQueue::sendFromOtherThread(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto self = current();
    auto sent = std::make_shared<Sent>(Sent{hwnd, msg, wParam, lParam, self});
    {
        std::lock_guard lock(mutex_);
        if (ended_) return 0;
        sent_.push_back(sent);
    }
    wake();
    // While waiting, this thread still answers messages sent to it, so two threads sending to
    // each other do not deadlock.
    std::unique_lock lock(self->mutex_);
    while (!sent->done) {
        if (!self->sent_.empty()) {
            lock.unlock();
            self->handleSentMessages();
            lock.lock();
            continue;
        }
        self->changed_.wait(lock);
    }
    return sent->result;
}

bool MessageQueue::peek(MSG& msg, HWND filter, UINT first, UINT last, UINT flags) {
    handleSentMessages();
    g_main_context_iteration(context_, FALSE);
    handleSentMessages();

    std::lock_guard lock(mutex_);
    const bool remove = (flags & PM_REMOVE) != 0;
    for (auto it = posted_.begin(); it != posted_.end(); ++it) {
        if (!inRange(it->message, first, last) || !matchesWindow(it->hwnd, filter)) continue;
        msg = *it;
        if (remove) posted_.erase(it);
        return true;
    }
    if (quit_ && inRange(WM_QUIT, first, last)) {
        msg = MSG{};
        msg.message = WM_QUIT;
        msg.wParam = static_cast<WPARAM>(quitCode_);
        msg.time = tickCount();
        if (remove) quit_ = false;
        return true;
    }
    if (!inRange(WM_TIMER, first, last)) return false;
    Timer* chosen = nullptr;
    const TimerKey* chosenKey = nullptr;
    for (auto& [key, timer] : timers_) {
        if (!timer.due || !matchesWindow(key.first, filter)) continue;
        if (!chosen || timer.dueOrder < chosen->dueOrder) {
            chosen = &timer;
            chosenKey = &key;
        }
    }
    if (!chosen) return false;
    msg = MSG{};
    msg.hwnd = chosenKey->first;
    msg.message = WM_TIMER;
    msg.wParam = chosenKey->second;
    msg.lParam = reinterpret_cast<LPARAM>(chosen->proc);
    msg.time = tickCount();
    if (remove) chosen->due = false;
    return true;
}

void MessageQueue::wait() {
    {
        std::lock_guard lock(mutex_);
        if (!sent_.empty()) return;
    }
    g_main_context_iteration(context_, TRUE);
}

gboolean MessageQueue::onTimer(gpointer data) {
    auto* tick = static_cast<TimerTick*>(data);
    MessageQueue* q = tick->queue;
    std::lock_guard lock(q->mutex_);
    auto it = q->timers_.find({tick->hwnd, tick->id});
    // A timer that elapses again before its WM_TIMER was retrieved keeps its place in line: like
    // Windows, one WM_TIMER at most waits per timer.
    if (it != q->timers_.end() && !it->second.due) {
        it->second.due = true;
        it->second.dueOrder = ++q->dueCounter_;
    }
    return G_SOURCE_CONTINUE;
}

UINT_PTR MessageQueue::setTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    std::lock_guard lock(mutex_);
    if (!hwnd && (id == 0 || !timers_.count({nullptr, id}))) {
        do {
            id = nextThreadTimer_++;
            if (nextThreadTimer_ == 0) nextThreadTimer_ = 1;
        } while (timers_.count({nullptr, id}));
    }
    Timer& timer = timers_[{hwnd, id}];
    if (timer.source) {
        g_source_destroy(timer.source);
        g_source_unref(timer.source);
    }
    // Setting an existing timer restarts its interval and withdraws a WM_TIMER not yet retrieved.
    timer.due = false;
    timer.proc = proc;
    timer.source = g_timeout_source_new(elapse);
    g_source_set_callback(timer.source, &MessageQueue::onTimer, new TimerTick{this, hwnd, id},
                          [](gpointer p) { delete static_cast<TimerTick*>(p); });
    g_source_attach(timer.source, context_);
    return id;
}

bool MessageQueue::killTimer(HWND hwnd, UINT_PTR id) {
    std::lock_guard lock(mutex_);
    auto it = timers_.find({hwnd, id});
    if (it == timers_.end()) return false;
    g_source_destroy(it->second.source);
    g_source_unref(it->second.source);
    timers_.erase(it);
    return true;
}

void MessageQueue::killWindowTimers(HWND hwnd) {
    std::lock_guard lock(mutex_);
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.first == hwnd) {
            g_source_destroy(it->second.source);
            g_source_unref(it->second.source);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

void MessageQueue::purgeWindow(HWND hwnd) {
    std::lock_guard lock(mutex_);
    std::erase_if(posted_, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

bool MessageQueue::isTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc) {
    std::lock_guard lock(mutex_);
    auto it = timers_.find({hwnd, id});
    return it != timers_.end() && it->second.proc == proc;
}

}  // namespace winapi::user32
