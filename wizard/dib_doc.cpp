// Checking a packed bitmap against its header and building its palette.
#include "dib_doc.h"

#include <cstring>

namespace {

constexpr DWORD kHeaderSize = 40;

DWORD dwordAt(const std::vector<BYTE>& bytes, size_t at) {
    DWORD value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

WORD wordAt(const std::vector<BYTE>& bytes, size_t at) {
    WORD value = 0;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

void putDword(std::vector<BYTE>& bytes, DWORD value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
}

void putWord(std::vector<BYTE>& bytes, WORD value) {
    bytes.push_back(static_cast<BYTE>(value));
    bytes.push_back(static_cast<BYTE>(value >> 8));
}

// Entries of the colour table: given by biClrUsed, else all colours of 1-, 4- and 8-bit images.
unsigned long long colourCount(WORD bits, DWORD used) {
    if (used) return used;
    return bits <= 8 ? (1ull << bits) : 0;
}

}  // namespace

bool CDibDoc::setPacked(std::vector<BYTE> packed, std::string& error) {
    clear();
    if (packed.size() < kHeaderSize || dwordAt(packed, 0) != kHeaderSize) {
        error = "bitmap without its 40-byte header";
        return false;
    }
    const LONG width = static_cast<LONG>(dwordAt(packed, 4));
    const LONG height = static_cast<LONG>(dwordAt(packed, 8));
    const WORD bits = wordAt(packed, 14);
    const DWORD compression = dwordAt(packed, 16);
    const DWORD sizeImage = dwordAt(packed, 20);
    const DWORD used = dwordAt(packed, 32);
    if (width <= 0 || height <= 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24)) {
        error = "bitmap with a size or colour depth that cannot be shown";
        return false;
    }
    const bool runLength = compression == 1 || compression == 2;
    if (compression != 0 && !runLength) {
        error = "bitmap with an unknown compression";
        return false;
    }
    const unsigned long long colours = colourCount(bits, used);
    if (bits <= 8 && colours > (1ull << bits)) {
        error = "bitmap with more colours than its depth holds";
        return false;
    }
    const unsigned long long image =
        runLength ? sizeImage
                  : (static_cast<unsigned long long>(width) * bits + 31) / 32 * 4 *
                        static_cast<unsigned long long>(height);
    if (kHeaderSize + colours * 4 + image > packed.size()) {
        error = "bitmap shorter than its header says";
        return false;
    }
    // Bytes beyond what the header describes are not part of the picture.
    packed.resize(static_cast<size_t>(kHeaderSize + colours * 4 + image));
    m_Packed = std::move(packed);
    if (bits <= 8) {
        for (unsigned long long i = 0; i < colours; ++i) {
            const size_t at = kHeaderSize + i * 4;  // RGBQUAD: blue, green, red, reserved
            m_Palette.push_back({m_Packed[at + 2], m_Packed[at + 1], m_Packed[at]});
        }
    } else {
        for (int r = 0; r < 8; ++r)
            for (int g = 0; g < 8; ++g)
                for (int b = 0; b < 4; ++b)
                    m_Palette.push_back({static_cast<BYTE>(r * 32), static_cast<BYTE>(g * 32),
                                         static_cast<BYTE>(b * 64)});
    }
    return true;
}

void CDibDoc::clear() {
    m_Packed.clear();
    m_Palette.clear();
}

LONG CDibDoc::width() const { return present() ? static_cast<LONG>(dwordAt(m_Packed, 4)) : 0; }
LONG CDibDoc::height() const { return present() ? static_cast<LONG>(dwordAt(m_Packed, 8)) : 0; }
WORD CDibDoc::bitCount() const { return present() ? wordAt(m_Packed, 14) : 0; }

DWORD CDibDoc::bitsOffset() const {
    if (!present()) return 0;
    return kHeaderSize + static_cast<DWORD>(colourCount(bitCount(), dwordAt(m_Packed, 32))) * 4;
}

DWORD CDibDoc::storedSize() const {
    if (!present()) return 0;
    const DWORD compression = dwordAt(m_Packed, 16);
    const DWORD image = (compression == 1 || compression == 2)
                            ? dwordAt(m_Packed, 20)
                            : static_cast<DWORD>((static_cast<unsigned long long>(width()) * bitCount() + 31) /
                                                 32 * 4 * static_cast<unsigned long long>(height()));
    return bitsOffset() + image;
}

std::vector<BYTE> packDib(LONG width, LONG height, WORD bitCount,
                          const std::vector<CPaletteEntry>& colours, const std::vector<BYTE>& rows) {
    std::vector<BYTE> packed;
    putDword(packed, kHeaderSize);
    putDword(packed, static_cast<DWORD>(width));
    putDword(packed, static_cast<DWORD>(height));
    putWord(packed, 1);
    putWord(packed, bitCount);
    putDword(packed, 0);
    putDword(packed, static_cast<DWORD>(rows.size()));
    putDword(packed, 2835);  // 72 dots per inch
    putDword(packed, 2835);
    putDword(packed, static_cast<DWORD>(colours.size()));
    putDword(packed, 0);
    for (const CPaletteEntry& colour : colours) {
        packed.push_back(colour.blue);
        packed.push_back(colour.green);
        packed.push_back(colour.red);
        packed.push_back(0);
    }
    packed.insert(packed.end(), rows.begin(), rows.end());
    return packed;
}
