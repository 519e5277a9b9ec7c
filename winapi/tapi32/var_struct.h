// The buffer protocol of the TAPI structures: a fixed part (starting with dwTotalSize,
// dwNeededSize, dwUsedSize), then arrays and texts placed after it and found by offset. The
// whole answer is built first; the caller's buffer receives it when dwTotalSize holds it, else
// only dwNeededSize is set (and dwUsedSize covers the fixed part), which is still a success.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace winapi::tapi {

class VarStruct {
public:
    explicit VarStruct(size_t fixedSize) : data_(fixedSize, 0), fixed_(fixedSize) {}

    // Appends raw bytes (4-byte aligned) and returns their offset.
    DWORD append(const void* bytes, size_t size) {
        while (data_.size() % 4) data_.push_back(0);
        const DWORD offset = static_cast<DWORD>(data_.size());
        const auto* p = static_cast<const BYTE*>(bytes);
        data_.insert(data_.end(), p, p + size);
        return offset;
    }
    // Appends a text with its terminating NUL; sets the size and offset members.
    void text(const std::string& value, DWORD& size, DWORD& offset) {
        offset = append(value.c_str(), value.size() + 1);
        size = static_cast<DWORD>(value.size() + 1);
    }
    // Space of `size` bytes, zeroed, for an array filled later through at().
    DWORD reserve(size_t size) {
        std::vector<BYTE> zeros(size, 0);
        return append(zeros.data(), size);
    }
    template <typename T>
    T* at(DWORD offset) {
        return reinterpret_cast<T*>(data_.data() + offset);
    }

    // Hands the answer to the caller's structure, whose dwTotalSize is at least the fixed part.
    void deliver(void* out) {
        DWORD total;
        std::memcpy(&total, out, sizeof total);
        const DWORD needed = static_cast<DWORD>(data_.size());
        std::memcpy(data_.data() + 4, &needed, 4);
        if (total >= needed) {
            std::memcpy(data_.data() + 8, &needed, 4);
            std::memcpy(data_.data(), &total, 4);
            std::memcpy(out, data_.data(), needed);
            return;
        }
        // Only the sizes: the fixed part's other members stay zero.
        std::vector<BYTE> head(fixed_, 0);
        const DWORD used = static_cast<DWORD>(fixed_);
        std::memcpy(head.data(), &total, 4);
        std::memcpy(head.data() + 4, &needed, 4);
        std::memcpy(head.data() + 8, &used, 4);
        std::memcpy(out, head.data(), fixed_);
    }

private:
    std::vector<BYTE> data_;
    size_t fixed_;
};

}  // namespace winapi::tapi
