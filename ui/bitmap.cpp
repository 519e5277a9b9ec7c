// Decoding device-independent bitmaps through their colour tables. Every size and offset is
// checked against the data before it is read: a damaged bitmap from a configuration block or a
// file gives false, never a read past its end.
#include "bitmap.h"

#include <windows.h>


namespace ui {
namespace {

std::uint32_t readLe(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

struct Header {
    int width = 0;
    int height = 0;  // negative: rows top-down
    int bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t colours = 0;
    std::uint32_t headerSize = 0;
};

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

// Run-length encoded pixels into an index image (rows bottom-up as stored); false when the
// stream runs past the data or the image, or ends without its end mark.
bool decodeRle(const std::uint8_t* p, std::size_t size, int width, int height, bool four,
               std::vector<std::uint8_t>& indices) {
    indices.assign(static_cast<std::size_t>(width) * height, 0);
    int x = 0, y = 0;
    std::size_t i = 0;
    auto put = [&](std::uint8_t v) {
        if (x < width && y < height) indices[static_cast<std::size_t>(y) * width + x] = v;
        ++x;
    };
    while (i + 1 < size) {
        const std::uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(four ? static_cast<std::uint8_t>(k % 2 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (i + 1 >= size) return false;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {  // absolute run of `value` pixels, padded to a word
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (i + bytes > size) return false;
            for (int k = 0; k < value; ++k)
                put(four ? static_cast<std::uint8_t>(k % 2 ? p[i + k / 2] & 0x0F : p[i + k / 2] >> 4)
                         : p[i + k]);
            i += (bytes + 1) & ~std::size_t{1};
        }
        if (y > height) return false;
    }
    return false;  // no end mark: the bitmap was cut short
}

}  // namespace

std::uint32_t Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

bool decodePackedBitmap(const std::uint8_t* data, std::size_t size, Bitmap& out) {
    if (!data || size < 40) return false;
    Header h;
    h.headerSize = readLe(data, 4);
    if (h.headerSize < 40 || h.headerSize > size) return false;
    h.width = static_cast<std::int32_t>(readLe(data + 4, 4));
    h.height = static_cast<std::int32_t>(readLe(data + 8, 4));
    h.bits = static_cast<int>(readLe(data + 14, 2));
    h.compression = readLe(data + 16, 4);
    h.colours = readLe(data + 32, 4);
    const bool topDown = h.height < 0;
    const int height = topDown ? -h.height : h.height;
    if (h.width <= 0 || height <= 0 || h.width > 16384 || height > 16384) return false;

    std::size_t tableEntries = 0;
    if (h.bits == 1 || h.bits == 4 || h.bits == 8) {
        tableEntries = h.colours ? h.colours : (1u << h.bits);
        if (tableEntries > 256) return false;
    } else if (h.bits != 24 && h.bits != 32) {
        return false;
    }
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    if (rle && ((h.compression == kRle8) != (h.bits == 8) || (h.compression == kRle4) != (h.bits == 4) ||
                topDown))
        return false;
    if (!rle && h.compression != kRgb && !(h.compression == kBitfields && h.bits == 32)) return false;
    std::size_t offset = h.headerSize + (h.compression == kBitfields && h.headerSize == 40 ? 12 : 0);
    const std::uint8_t* table = data + offset;
    offset += tableEntries * 4;
    if (offset > size) return false;
    const std::uint8_t* pixels = data + offset;
    const std::size_t available = size - offset;

    Bitmap result;
    result.width = h.width;
    result.height = height;
    result.rgb.resize(static_cast<std::size_t>(h.width) * height * 3);
    auto setFromTable = [&](std::uint8_t* to, unsigned index) {
        if (index >= tableEntries) index = 0;  // out-of-table indices show the first colour
        to[0] = table[index * 4 + 2];
        to[1] = table[index * 4 + 1];
        to[2] = table[index * 4 + 0];
    };

    if (rle) {
        std::vector<std::uint8_t> indices;
        if (!decodeRle(pixels, available, h.width, height, h.compression == kRle4, indices))
            return false;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < h.width; ++x)
                setFromTable(&result.rgb[(static_cast<std::size_t>(height - 1 - y) * h.width + x) * 3],
                             indices[static_cast<std::size_t>(y) * h.width + x]);
    } else {
        const std::size_t stride = ((static_cast<std::size_t>(h.width) * h.bits + 31) / 32) * 4;
        if (stride * height > available) return false;
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* src = pixels + stride * row;
            const int y = topDown ? row : height - 1 - row;
            std::uint8_t* dst = &result.rgb[static_cast<std::size_t>(y) * h.width * 3];
            for (int x = 0; x < h.width; ++x, dst += 3) {
                switch (h.bits) {
                case 1: setFromTable(dst, (src[x / 8] >> (7 - x % 8)) & 1); break;
                case 4: setFromTable(dst, x % 2 ? src[x / 2] & 0x0F : src[x / 2] >> 4); break;
                case 8: setFromTable(dst, src[x]); break;
                default: {
                    const std::uint8_t* px = src + static_cast<std::size_t>(x) * (h.bits / 8);
                    dst[0] = px[2];
                    dst[1] = px[1];
                    dst[2] = px[0];
                }
                }
            }
        }
    }
    out = std::move(result);
    return true;
}

bool decodeBitmapFile(const std::uint8_t* data, std::size_t size, Bitmap& out) {
    if (!data || size < 14 + 40 || data[0] != 'B' || data[1] != 'M') return false;
    const std::uint32_t bitsOffset = readLe(data + 10, 4);
    if (bitsOffset < 14 + 40 || bitsOffset > size) return false;
    // The packed form runs from the info header on; the file's own offset to the pixels tells
    // where they start, which the packed form derives from the colour table's size.
    const std::uint8_t* info = data + 14;
    const std::uint32_t headerSize = readLe(info, 4);
    const int bits = static_cast<int>(readLe(info + 14, 2));
    const std::uint32_t colours = readLe(info + 32, 4);
    const std::size_t entries = bits <= 8 ? (colours ? colours : (1u << bits)) : 0;
    const std::uint32_t compression = readLe(info + 16, 4);
    const std::size_t masks = compression == kBitfields && headerSize == 40 ? 12 : 0;
    const std::size_t expected = 14 + headerSize + masks + entries * 4;
    if (expected == bitsOffset) return decodePackedBitmap(info, size - 14, out);
    if (expected > bitsOffset || expected > size) return false;
    // A gap between the colour table and the pixels: close it for the packed decoder.
    std::vector<std::uint8_t> packed(info, data + expected);
    packed.insert(packed.end(), data + bitsOffset, data + size);
    return decodePackedBitmap(packed.data(), packed.size(), out);
}

namespace {

// The bytes of a file named by a Windows path (CreateFileA resolves it, a prefix path on Linux);
// false when it cannot be read or is beyond any picture's size.
bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::uint8_t buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (bytes.size() > (64u << 20)) {
            ok = false;
            break;
        }
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

bool loadBitmapFile(const std::string& path, Bitmap& out) {
    std::vector<std::uint8_t> bytes;
    return readFile(path, bytes) && decodeBitmapFile(bytes.data(), bytes.size(), out);
}

bool decodeIconFile(const std::uint8_t* data, std::size_t size, Bitmap& out) {
    if (!data || size < 6 || readLe(data, 2) != 0 || readLe(data + 2, 2) != 1) return false;
    const std::size_t count = readLe(data + 4, 2);
    if (size < 6 + count * 16) return false;
    Bitmap best;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = data + 6 + i * 16;
        const std::size_t bytes = readLe(entry + 8, 4), offset = readLe(entry + 12, 4);
        if (offset > size || bytes > size - offset || bytes < 40) continue;
        // An image is a packed bitmap whose height counts its mask too.
        std::vector<std::uint8_t> image(data + offset, data + offset + bytes);
        const std::int32_t height = static_cast<std::int32_t>(readLe(image.data() + 8, 4)) / 2;
        for (int b = 0; b < 4; ++b) image[8 + b] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) >> (8 * b));
        Bitmap candidate;
        if (decodePackedBitmap(image.data(), image.size(), candidate) &&
            candidate.width * candidate.height > best.width * best.height)
            best = std::move(candidate);
    }
    if (best.empty()) return false;
    out = std::move(best);
    return true;
}

bool loadIconFile(const std::string& path, Bitmap& out) {
    std::vector<std::uint8_t> bytes;
    return readFile(path, bytes) && decodeIconFile(bytes.data(), bytes.size(), out);
}

}  // namespace ui
