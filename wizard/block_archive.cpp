// The binary encodings of the configuration block: little-endian WORDs and DWORDs, archive
// strings with their escalating length forms, counted bitmaps and lists.
#include "block_archive.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kNoBitmap = 0xFFFFFFFF;
constexpr WORD kUtf16Marker = 0xFFFE;

std::string at(const char* key, size_t position) {
    return std::string(key) + " (byte " + std::to_string(position) + ")";
}

}  // namespace

void CBlockArchive::signedDword(const char* key, LONG& value) {
    DWORD raw = static_cast<DWORD>(value);
    dword(key, raw);
    value = static_cast<LONG>(raw);
}

void CBlockArchive::helper(const char* key, CAnwendung& value) {
    const std::string name(key);
    text(key, value.m_CommandLine);
    dword((name + ".Show").c_str(), value.m_ShowMode);
    dword((name + ".Wait").c_str(), value.m_Wait);
}

bool CBlockReader::take(const char* key, void* out, size_t count) {
    if (failed()) return false;
    if (count > m_Size - m_Position) {
        fail("the configuration ends early, in " + at(key, m_Position));
        return false;
    }
    std::memcpy(out, m_Data + m_Position, count);
    m_Position += count;
    return true;
}

void CBlockReader::word(const char* key, WORD& value) {
    BYTE bytes[2];
    if (take(key, bytes, 2)) value = static_cast<WORD>(bytes[0] | bytes[1] << 8);
}

void CBlockReader::dword(const char* key, DWORD& value) {
    BYTE bytes[4];
    if (take(key, bytes, 4))
        value = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
                static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
}

// A length: one byte below 0xFF; else 0xFF and a WORD below 0xFFFF; else WORD 0xFFFF and a DWORD.
// WORD 0xFFFE in the second place announces UTF-16 text whose length follows in the same scheme.
bool CBlockReader::readLength(const char* key, DWORD& length, bool& utf16) {
    BYTE first = 0;
    if (!take(key, &first, 1)) return false;
    if (first < 0xFF) {
        length = first;
        return true;
    }
    WORD second = 0;
    word(key, second);
    if (failed()) return false;
    if (second == kUtf16Marker && !utf16) {
        utf16 = true;
        return readLength(key, length, utf16);
    }
    if (second < 0xFFFF) {
        length = second;
        return true;
    }
    dword(key, length);
    return !failed();
}

void CBlockReader::text(const char* key, std::string& value) {
    DWORD length = 0;
    bool utf16 = false;
    if (!readLength(key, length, utf16)) return;
    const unsigned long long bytes = utf16 ? 2ull * length : length;
    if (bytes > m_Size - m_Position) {
        fail("the configuration ends early, in the text of " + at(key, m_Position));
        return;
    }
    const char* start = reinterpret_cast<const char*>(m_Data + m_Position);
    m_Position += bytes;
    if (!utf16) {
        value.assign(start, length);
        return;
    }
    std::string narrow;
    if (length) {
        std::vector<WCHAR> wide(length);
        std::memcpy(wide.data(), start, bytes);
        const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length),
                                             nullptr, 0, nullptr, nullptr);
        narrow.resize(size > 0 ? static_cast<size_t>(size) : 0);
        if (size > 0)
            WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length), narrow.data(),
                                size, nullptr, nullptr);
    }
    value = narrow;
}

void CBlockReader::bitmap(const char* key, CDibDoc& value) {
    DWORD count = 0;
    dword(key, count);
    if (failed()) return;
    if (count == kNoBitmap) {
        value.clear();
        return;
    }
    if (count > m_Size - m_Position) {
        fail("the configuration ends early, in the bitmap of " + at(key, m_Position));
        return;
    }
    std::vector<BYTE> packed(m_Data + m_Position, m_Data + m_Position + count);
    std::string error;
    if (!value.setPacked(std::move(packed), error)) {
        fail("damaged " + at(key, m_Position) + ": " + error);
        return;
    }
    m_Position += count;
}

void CBlockReader::options(const char* key, std::vector<CSetupData>& value) {
    WORD count = 0;
    word(key, count);
    std::vector<CSetupData> read;
    for (WORD i = 0; i < count && !failed(); ++i) {
        CSetupData option;
        text(key, option.m_Name);
        text(key, option.m_Description);
        read.push_back(option);
    }
    if (!failed()) value = std::move(read);
}

void CBlockReader::bitmaps(const char* key, std::vector<CDibDoc>& value) {
    WORD count = 0;
    word(key, count);
    std::vector<CDibDoc> read;
    for (WORD i = 0; i < count && !failed(); ++i) {
        read.emplace_back();
        bitmap(key, read.back());
    }
    if (!failed()) value = std::move(read);
}

void CBlockReader::nodes(const char* key, std::vector<CKnoten>& value) {
    DWORD count = 0;
    dword(key, count);
    // Each node takes at least three bytes, so a count beyond that is an early end, found
    // before anything is reserved for it.
    if (!failed() && count > (m_Size - m_Position) / 3) {
        fail("the configuration ends early, in the nodes of " + at(key, m_Position));
        return;
    }
    std::vector<CKnoten> read;
    for (DWORD i = 0; i < count && !failed(); ++i) {
        CKnoten node;
        text(key, node.m_Name);
        text(key, node.m_Text2);
        text(key, node.m_Text3);
        read.push_back(node);
    }
    if (!failed()) value = std::move(read);
}

void CBlockWriter::put(const void* data, size_t count) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    m_Bytes.insert(m_Bytes.end(), bytes, bytes + count);
}

void CBlockWriter::word(const char*, WORD& value) {
    const BYTE bytes[2] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8)};
    put(bytes, 2);
}

void CBlockWriter::dword(const char*, DWORD& value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    put(bytes, 4);
}

// A text of exactly 0xFFFE bytes takes the DWORD form: its WORD form would read as the UTF-16
// marker.
void CBlockWriter::text(const char* key, std::string& value) {
    const size_t length = value.size();
    if (length < 0xFF) {
        const BYTE byte = static_cast<BYTE>(length);
        put(&byte, 1);
    } else {
        const BYTE escape = 0xFF;
        put(&escape, 1);
        if (length < kUtf16Marker) {
            WORD small = static_cast<WORD>(length);
            word(key, small);
        } else {
            WORD wide = 0xFFFF;
            word(key, wide);
            DWORD large = static_cast<DWORD>(length);
            dword(key, large);
        }
    }
    put(value.data(), length);
}

void CBlockWriter::bitmap(const char* key, CDibDoc& value) {
    DWORD count = value.present() ? value.storedSize() : kNoBitmap;
    dword(key, count);
    if (value.present()) put(value.packed().data(), count);
}

void CBlockWriter::options(const char* key, std::vector<CSetupData>& value) {
    WORD count = static_cast<WORD>(value.size());
    word(key, count);
    for (WORD i = 0; i < count; ++i) {
        text(key, value[i].m_Name);
        text(key, value[i].m_Description);
    }
}

void CBlockWriter::bitmaps(const char* key, std::vector<CDibDoc>& value) {
    WORD count = static_cast<WORD>(value.size());
    word(key, count);
    for (WORD i = 0; i < count; ++i) bitmap(key, value[i]);
}

void CBlockWriter::nodes(const char* key, std::vector<CKnoten>& value) {
    DWORD count = static_cast<DWORD>(value.size());
    dword(key, count);
    for (CKnoten& node : value) {
        text(key, node.m_Name);
        text(key, node.m_Text2);
        text(key, node.m_Text3);
    }
}
