// The shape of a skinned window from its mask bitmap.
#include "mask_region.h"

namespace {

bool isWhite(const unsigned char* pixel) {
    return pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255;
}

}  // namespace

std::vector<RECT> maskInsideRuns(const unsigned char* pixels, int width, int height,
                                 std::size_t stride, int channels) {
    std::vector<RECT> runs;
    if (!pixels || width <= 0 || height <= 0 || channels < 3) return runs;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = pixels + static_cast<std::size_t>(y) * stride;
        int x = 0;
        while (x < width) {
            while (x < width && isWhite(row + x * channels)) ++x;
            if (x == width) break;
            int start = x;
            while (x < width && !isWhite(row + x * channels)) ++x;
            runs.push_back(RECT{start, y, x, y + 1});
        }
    }
    return runs;
}
