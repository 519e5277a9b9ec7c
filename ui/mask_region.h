// The shape of a skinned window from its mask bitmap: white pixels (red, green and blue all 255)
// lie outside the window, every other pixel inside.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

// The inside of a mask as one-pixel-high runs, row by row, left to right. `pixels` holds `height`
// rows of `stride` bytes, each pixel `channels` bytes (3 or 4) beginning with red, green, blue.
// An all-white mask gives no runs: an empty region.
std::vector<RECT> maskInsideRuns(const unsigned char* pixels, int width, int height,
                                 std::size_t stride, int channels);
