// The shape of a skinned window from its mask: white is outside, everything else inside.
#include "mask_region.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Mask {
    int width, height, channels;
    std::vector<unsigned char> pixels;
    Mask(int w, int h, int c) : width(w), height(h), channels(c), pixels(w * h * c, 255) {}
    void set(int x, int y, unsigned char r, unsigned char g, unsigned char b) {
        unsigned char* p = &pixels[(y * width + x) * channels];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
    std::vector<RECT> runs() const {
        return maskInsideRuns(pixels.data(), width, height,
                              static_cast<size_t>(width) * channels, channels);
    }
};

TEST(MaskRegion, AllWhiteMaskGivesAnEmptyRegion) {
    EXPECT_TRUE(Mask(40, 30, 3).runs().empty());
    EXPECT_TRUE(Mask(40, 30, 4).runs().empty());
}

TEST(MaskRegion, InsidePixelsBecomeRowRuns) {
    Mask mask(6, 3, 3);
    // Row 0: two runs; row 1: nearly white still counts as inside; row 2: all white.
    mask.set(0, 0, 0, 0, 0);
    mask.set(1, 0, 10, 20, 30);
    mask.set(4, 0, 255, 255, 0);
    mask.set(5, 0, 0, 255, 255);
    mask.set(2, 1, 255, 255, 254);
    std::vector<RECT> runs = mask.runs();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].left, 0);
    EXPECT_EQ(runs[0].right, 2);
    EXPECT_EQ(runs[0].top, 0);
    EXPECT_EQ(runs[0].bottom, 1);
    EXPECT_EQ(runs[1].left, 4);
    EXPECT_EQ(runs[1].right, 6);
    EXPECT_EQ(runs[2].left, 2);
    EXPECT_EQ(runs[2].right, 3);
    EXPECT_EQ(runs[2].top, 1);
}

TEST(MaskRegion, RowStrideAndAlphaAreRespected) {
    // Four channels, rows padded to 20 bytes: the padding and the alpha are never read as pixels.
    std::vector<unsigned char> pixels(20 * 2, 255);
    pixels[16] = 0;              // padding of row 0
    pixels[20 + 3 * 4 + 3] = 0;  // alpha of the last pixel of row 1
    pixels[20 + 1 * 4] = 0;      // red of pixel 1 of row 1
    std::vector<RECT> runs = maskInsideRuns(pixels.data(), 4, 2, 20, 4);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].left, 1);
    EXPECT_EQ(runs[0].right, 2);
    EXPECT_EQ(runs[0].top, 1);
}

TEST(MaskRegion, NoPixelsGiveNoRuns) {
    EXPECT_TRUE(maskInsideRuns(nullptr, 10, 10, 30, 3).empty());
    unsigned char black[3] = {0, 0, 0};
    EXPECT_TRUE(maskInsideRuns(black, 0, 1, 3, 3).empty());
}

}  // namespace
