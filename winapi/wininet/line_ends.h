// ASCII FTP transfers and libcurl's line ends: libcurl hands an ASCII download over with Unix
// line ends and turns every line feed of an ASCII upload into CR LF. WinInet moves the bytes as
// the network (download) or the file (upload) has them, so these undo libcurl's conversion, also
// across the blocks a transfer comes in.
#pragma once

#include <cstddef>
#include <string>

namespace wininet {

class AsciiDownload {
public:
    // Appends the block to `out` with each lone line feed preceded by a CR again.
    void convert(const char* data, size_t size, std::string& out) {
        out.reserve(out.size() + size + size / 16);
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == '\n' && !lastWasCr_) out += '\r';
            out += data[i];
            lastWasCr_ = data[i] == '\r';
        }
    }

private:
    bool lastWasCr_ = false;
};

class AsciiUpload {
public:
    // Copies the file's block into `out` (room for size + 1 bytes) without the CR of each CR LF,
    // for libcurl to put back; `end` says the file has no more. Returns the bytes written.
    size_t convert(const char* data, size_t size, bool end, char* out) {
        size_t n = 0;
        if (heldCr_ && (end || size == 0 || data[0] != '\n')) out[n++] = '\r';
        heldCr_ = false;
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == '\r') {
                if (i + 1 == size && !end) {
                    heldCr_ = true;
                    continue;
                }
                if (i + 1 < size && data[i + 1] == '\n') continue;
            }
            out[n++] = data[i];
        }
        return n;
    }

private:
    bool heldCr_ = false;  // a CR at the end of the last block, waiting to see what follows
};

}  // namespace wininet
