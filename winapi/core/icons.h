// Icons behind HICON handles, shared inside winapi and with the toolkit that draws them: user32
// keeps an icon's pixels (32 bits, straight alpha) in the process's handle table, so that a
// library handing out icons (the telephony library's line icons) and the dialog layer showing
// them agree on one object. Icons made here are shared icons: they live as long as the process,
// as icons a module loads from its resources do.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace winapi {

struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;  // rows top-down, 0xAARRGGBB, alpha not premultiplied
};

// An icon from the bytes of an icon file (.ico) a library carries, as a Windows module carries
// its icon resources: the image whose size is nearest `size` pixels. Only images of 32 bits a
// pixel count (their alpha, or their mask when the alpha is empty). Null when there is none or
// the file is malformed.
HICON iconFromFile(const std::uint8_t* data, std::size_t size, int wantedSize);

// The pixels of an icon; false (and `out` untouched) when the handle is no icon.
bool iconImage(HICON icon, IconImage& out);

}  // namespace winapi
