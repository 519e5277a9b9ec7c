// Device-independent bitmaps as the system stores them (packed: BITMAPINFOHEADER, colour table,
// rows bottom-up) or as .bmp files, decoded through their own colour table into RGB pixels, so
// that an 8-bit bitmap shows its own colours on any display. 1-, 4-, 8-, 24- and 32-bit images,
// uncompressed or run-length encoded (8- and 4-bit).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top-down, 3 bytes a pixel, no padding

    bool empty() const { return width <= 0 || height <= 0; }
    // The pixel at (x, y) from the top left as 0xRRGGBB.
    std::uint32_t pixel(int x, int y) const;
};

// Decodes a packed bitmap; false (and `out` untouched) for anything malformed or truncated.
bool decodePackedBitmap(const std::uint8_t* data, std::size_t size, Bitmap& out);
// Decodes the bytes of a .bmp file (a BITMAPFILEHEADER before the packed bitmap).
bool decodeBitmapFile(const std::uint8_t* data, std::size_t size, Bitmap& out);
// Reads and decodes a .bmp file named by a Windows path.
bool loadBitmapFile(const std::string& path, Bitmap& out);
// The largest image of an icon file's bytes (.ico with device-independent images; its mask is
// not applied).
bool decodeIconFile(const std::uint8_t* data, std::size_t size, Bitmap& out);
bool loadIconFile(const std::string& path, Bitmap& out);

}  // namespace ui
