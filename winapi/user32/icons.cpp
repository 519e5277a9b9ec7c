// user32: icon objects, made from the icon files libraries carry and read by the toolkit that
// draws them (icons.h).
#include "icons.h"

#include "handles.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace winapi {
namespace {

class IconObject final : public KernelObject {
public:
    explicit IconObject(IconImage image) : image_(std::move(image)) {}
    bool closedByCloseHandle() const override { return false; }
    const IconImage& image() const { return image_; }

private:
    IconImage image_;
};

constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER

std::uint32_t read16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | p[1] << 8); }
std::uint32_t read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One image of the file: a packed bitmap of twice the icon's height, the colour rows (bottom-up,
// four bytes a pixel) followed by the mask rows (one bit a pixel, rows padded to four bytes).
bool decodeImage(const std::uint8_t* data, std::size_t size, IconImage& out) {
    if (size < kInfoHeaderSize || read32(data) < kInfoHeaderSize) return false;
    const auto width = static_cast<std::int32_t>(read32(data + 4));
    const auto doubleHeight = static_cast<std::int32_t>(read32(data + 8));
    if (read16(data + 14) != 32 || read32(data + 16) != 0) return false;  // 32 bits, uncompressed
    if (width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512 || doubleHeight % 2) return false;
    const int height = doubleHeight / 2;
    const std::size_t colourRow = static_cast<std::size_t>(width) * 4;
    const std::size_t maskRow = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    const std::size_t pixels = read32(data);
    if (pixels > size || (size - pixels) / height < colourRow + maskRow) return false;
    const std::uint8_t* colours = data + pixels;
    const std::uint8_t* mask = colours + colourRow * static_cast<std::size_t>(height);
    IconImage image;
    image.width = width;
    image.height = height;
    image.argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = colours + colourRow * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;  // blue, green, red, alpha
            anyAlpha = anyAlpha || p[3] != 0;
            image.argb[static_cast<std::size_t>(y * width + x)] =
                static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[2]) << 16 |
                static_cast<std::uint32_t>(p[1]) << 8 | p[0];
        }
    }
    // An image without alpha is shaped by its mask: a set bit is a transparent pixel.
    if (!anyAlpha)
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = mask + maskRow * static_cast<std::size_t>(height - 1 - y);
            for (int x = 0; x < width; ++x) {
                const bool transparent = (row[x / 8] >> (7 - x % 8)) & 1;
                std::uint32_t& pixel = image.argb[static_cast<std::size_t>(y * width + x)];
                pixel = transparent ? 0 : (pixel | 0xFF000000u);
            }
        }
    out = std::move(image);
    return true;
}

}  // namespace

HICON iconFromFile(const std::uint8_t* data, std::size_t size, int wantedSize) {
    if (!data || size < kDirectorySize || read16(data) != 0 || read16(data + 2) != 1) return nullptr;
    const std::size_t count = read16(data + 4);
    if ((size - kDirectorySize) / kEntrySize < count) return nullptr;
    IconImage best;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = data + kDirectorySize + i * kEntrySize;
        const std::size_t bytes = read32(entry + 8), offset = read32(entry + 12);
        IconImage image;
        if (offset > size || bytes > size - offset || !decodeImage(data + offset, bytes, image)) continue;
        const int distance = std::abs(image.width - wantedSize);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = std::move(image);
        }
    }
    if (best.argb.empty()) return nullptr;
    return addHandle<HICON>(std::make_shared<IconObject>(std::move(best)));
}

bool iconImage(HICON icon, IconImage& out) {
    const auto object = handleObject<IconObject>(icon);
    if (!object) return false;
    out = object->image();
    return true;
}

}  // namespace winapi
