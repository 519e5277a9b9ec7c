// Decoded bitmaps as 24-bit bottom-up device-independent bitmaps, the form StretchDIBits draws.
#pragma once

#include <windows.h>

#include <vector>

#include "bitmap.h"

namespace ui::win32 {

struct Dib {
    BITMAPINFO info{};
    std::vector<BYTE> bits;
};

// The bitmap's pixels as a 24-bit DIB (an empty bitmap gives an empty one).
Dib dibOf(const Bitmap& bitmap);

}  // namespace ui::win32
