// The process's handle table.
#include "handles.h"

namespace winapi {

HandleTable& HandleTable::instance() {
    static HandleTable table;
    return table;
}

uint32_t HandleTable::add(std::shared_ptr<KernelObject> object) {
    std::lock_guard lock(mutex_);
    // Windows hands out multiples of four; so do we, skipping values still in use after a wrap.
    for (;;) {
        uint32_t value = next_;
        next_ = (next_ >= 0x7FFFFFF0u) ? 0x100 : next_ + 4;
        if (!objects_.count(value)) {
            objects_.emplace(value, std::move(object));
            return value;
        }
    }
}

std::shared_ptr<KernelObject> HandleTable::get(uint32_t value) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(value);
    return it == objects_.end() ? nullptr : it->second;
}

bool HandleTable::remove(uint32_t value) {
    std::shared_ptr<KernelObject> doomed;  // destroyed outside the lock
    std::lock_guard lock(mutex_);
    auto it = objects_.find(value);
    if (it == objects_.end()) return false;
    doomed = std::move(it->second);
    objects_.erase(it);
    return true;
}

}  // namespace winapi
