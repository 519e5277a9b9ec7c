// The process's handle table: kernel objects (files, processes, mappings, find searches, modules,
// registry keys) live behind 32-bit handle values, as on Windows, so a handle fits a DWORD.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "brief_mutex.h"

namespace winapi {

// Base of every object a handle can refer to.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Whether CloseHandle closes it; registry keys answer false (only RegCloseKey closes them).
    virtual bool closedByCloseHandle() const { return true; }
};

class HandleTable {
public:
    static HandleTable& instance();

    // Stores the object and returns its new handle value (never 0, never INVALID_HANDLE_VALUE).
    uint32_t add(std::shared_ptr<KernelObject> object);
    std::shared_ptr<KernelObject> get(uint32_t value) const;
    // Removes the handle; false when it was not there.
    bool remove(uint32_t value);

    template <class T>
    std::shared_ptr<T> getAs(const void* handle) const {
        return std::dynamic_pointer_cast<T>(get(toValue(handle)));
    }

    static uint32_t toValue(const void* handle) {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
    }
    template <class H>
    static H toHandle(uint32_t value) {
        return reinterpret_cast<H>(static_cast<uintptr_t>(value));
    }

private:
    mutable BriefMutex mutex_;
    std::unordered_map<uint32_t, std::shared_ptr<KernelObject>> objects_;
    uint32_t next_ = 0x100;
};

// Adds the object and returns its handle in the caller's handle type.
template <class H = HANDLE>
H addHandle(std::shared_ptr<KernelObject> object) {
    return HandleTable::toHandle<H>(HandleTable::instance().add(std::move(object)));
}

template <class T>
std::shared_ptr<T> handleObject(const void* handle) {
    return HandleTable::instance().getAs<T>(handle);
}

}  // namespace winapi
