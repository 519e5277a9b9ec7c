// A 4-byte counter in named shared memory that the processes of one program share, so that a
// process knows whether it is the first or the last one running. Not locked: the programs only
// count their own starts and ends.
#pragma once

#include <windows.h>

#include <string>

class InstanceCounter {
public:
    // The value attach() reports when the shared block cannot be created or mapped.
    static constexpr LONG kUnavailable = 1234;

    explicit InstanceCounter(std::string name);
    ~InstanceCounter();
    InstanceCounter(const InstanceCounter&) = delete;
    InstanceCounter& operator=(const InstanceCounter&) = delete;

    // Creates or opens the block and counts this process in; returns the new value.
    LONG attach();
    // The current value; 0 when not attached.
    LONG read() const;
    // Counts this process out and unmaps the block; returns the new value (0 when not attached).
    LONG release();

private:
    std::string name_;
    HANDLE mapping_ = nullptr;
    LONG* value_ = nullptr;
};
