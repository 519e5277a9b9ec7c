// A mutex for sections that last a few microseconds (a table look-up, a lock call): a thread
// that finds it taken spins a little before it sleeps, since putting a thread to sleep and waking
// it costs more than such a section. Used where threads of one program make files side by side.
#pragma once

#include <pthread.h>

namespace winapi {

class BriefMutex {
public:
    BriefMutex() {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
        pthread_mutex_init(&mutex_, &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    ~BriefMutex() { pthread_mutex_destroy(&mutex_); }
    BriefMutex(const BriefMutex&) = delete;
    BriefMutex& operator=(const BriefMutex&) = delete;

    void lock() { pthread_mutex_lock(&mutex_); }
    bool try_lock() { return pthread_mutex_trylock(&mutex_) == 0; }
    void unlock() { pthread_mutex_unlock(&mutex_); }

private:
    pthread_mutex_t mutex_;
};

}  // namespace winapi
