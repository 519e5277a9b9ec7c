// The shared instance counter.
#include "instance_counter.h"

#include <utility>

InstanceCounter::InstanceCounter(std::string name) : name_(std::move(name)) {}

InstanceCounter::~InstanceCounter() {
    if (value_) UnmapViewOfFile(value_);
    if (mapping_) CloseHandle(mapping_);
}

LONG InstanceCounter::attach() {
    if (value_) return ++*value_;
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                  name_.c_str());
    if (!mapping_) return kUnavailable;
    void* view = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG));
    if (!view) {
        CloseHandle(mapping_);
        mapping_ = nullptr;
        return kUnavailable;
    }
    value_ = static_cast<LONG*>(view);
    return ++*value_;
}

LONG InstanceCounter::read() const { return value_ ? *value_ : 0; }

LONG InstanceCounter::release() {
    if (!value_) return 0;
    LONG now = --*value_;
    UnmapViewOfFile(value_);
    CloseHandle(mapping_);
    value_ = nullptr;
    mapping_ = nullptr;
    return now;
}
