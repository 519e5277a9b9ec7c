// Converting decoded bitmaps for StretchDIBits.
#include "dib.h"

namespace ui::win32 {

Dib dibOf(const Bitmap& bitmap) {
    Dib dib;
    if (bitmap.empty()) return dib;
    dib.info.bmiHeader.biSize = sizeof dib.info.bmiHeader;
    dib.info.bmiHeader.biWidth = bitmap.width;
    dib.info.bmiHeader.biHeight = bitmap.height;  // bottom-up
    dib.info.bmiHeader.biPlanes = 1;
    dib.info.bmiHeader.biBitCount = 24;
    const size_t stride = (static_cast<size_t>(bitmap.width) * 3 + 3) & ~size_t{3};
    dib.bits.assign(stride * static_cast<size_t>(bitmap.height), 0);
    for (int y = 0; y < bitmap.height; ++y) {
        BYTE* row = dib.bits.data() + stride * static_cast<size_t>(bitmap.height - 1 - y);
        for (int x = 0; x < bitmap.width; ++x) {
            const DWORD rgb = bitmap.pixel(x, y);
            row[x * 3] = static_cast<BYTE>(rgb);
            row[x * 3 + 1] = static_cast<BYTE>(rgb >> 8);
            row[x * 3 + 2] = static_cast<BYTE>(rgb >> 16);
        }
    }
    return dib;
}

}  // namespace ui::win32
