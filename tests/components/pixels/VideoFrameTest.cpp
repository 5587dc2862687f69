// Frame layouts and the conversion to 32-bit bottom-up pixels.
#include <gtest/gtest.h>

#include <vector>

#include "components/filterkit/VideoFrame.h"

namespace filterkit {
namespace {

TEST(FrameLayoutTest, RowOrderFollowsTheSignOfTheHeightExceptForYuy2) {
    FrameLayout layout;
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Rgb32, 4, 3, layout));
    EXPECT_FALSE(layout.topDown);
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Rgb24, 4, -3, layout));
    EXPECT_TRUE(layout.topDown);
    EXPECT_EQ(layout.height, 3);
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Yuy2, 4, 3, layout));
    EXPECT_TRUE(layout.topDown);
}

TEST(FrameLayoutTest, RejectsZeroOddYuy2AndAbsurdSizes) {
    FrameLayout layout;
    EXPECT_FALSE(MakeFrameLayout(PixelFormat::Rgb32, 0, 10, layout));
    EXPECT_FALSE(MakeFrameLayout(PixelFormat::Rgb32, 10, 0, layout));
    EXPECT_FALSE(MakeFrameLayout(PixelFormat::Rgb32, -4, 10, layout));
    EXPECT_FALSE(MakeFrameLayout(PixelFormat::Yuy2, 5, 10, layout));
    EXPECT_FALSE(MakeFrameLayout(PixelFormat::Rgb32, 100000, 10, layout));
    EXPECT_FALSE(MakeFrameLayout(PixelFormat::Rgb32, 10, INT32_MIN, layout));
}

TEST(FrameLayoutTest, Rgb24RowsArePaddedToFourBytes) {
    FrameLayout layout;
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Rgb24, 5, 2, layout));
    EXPECT_EQ(RowStride(layout), 16u);  // 15 bytes of pixels, one of padding
    EXPECT_EQ(FrameBytes(layout), 32u);
}

TEST(ConvertTest, TopDownRgb24BecomesBottomUpBgraWithPaddingSkipped) {
    FrameLayout layout;
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Rgb24, 1, -2, layout));
    // Stride 4: top row pixel (1,2,3), bottom row pixel (4,5,6).
    const std::vector<uint8_t> src = {1, 2, 3, 99, 4, 5, 6, 99};
    std::vector<uint8_t> dst(8, 0);
    ASSERT_TRUE(ConvertToBottomUpRgb32(src.data(), src.size(), layout, dst.data(), dst.size()));
    EXPECT_EQ(dst, (std::vector<uint8_t>{4, 5, 6, 0xFF, 1, 2, 3, 0xFF}));
}

TEST(ConvertTest, BottomUpRgb32IsCopiedRowForRowWithOpaqueAlpha) {
    FrameLayout layout;
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Rgb32, 1, 2, layout));
    const std::vector<uint8_t> src = {1, 2, 3, 0, 4, 5, 6, 0};
    std::vector<uint8_t> dst(8, 0);
    ASSERT_TRUE(ConvertToBottomUpRgb32(src.data(), src.size(), layout, dst.data(), dst.size()));
    EXPECT_EQ(dst, (std::vector<uint8_t>{1, 2, 3, 0xFF, 4, 5, 6, 0xFF}));
}

TEST(ConvertTest, Yuy2WhiteAndBlackRoundTripAndRowsAreFlipped) {
    FrameLayout layout;
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Yuy2, 2, 2, layout));
    const uint8_t white[3] = {255, 255, 255}, black[3] = {0, 0, 0};
    std::vector<uint8_t> src(8);
    RgbToYuy2(white, white, src.data());      // top row
    RgbToYuy2(black, black, src.data() + 4);  // bottom row
    std::vector<uint8_t> dst(16, 0x11);
    ASSERT_TRUE(ConvertToBottomUpRgb32(src.data(), src.size(), layout, dst.data(), dst.size()));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dst[i], 0) << i;        // first row out is the bottom row
        EXPECT_EQ(dst[8 + i], 255) << i;  // last row out is the top row
    }
}

TEST(ConvertTest, Yuy2ColoursComeBackWithinRounding) {
    const uint8_t colours[][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {40, 120, 200}};
    for (const auto& c : colours) {
        uint8_t pair[4];
        RgbToYuy2(c, c, pair);
        uint8_t a[4], b[4];
        Yuy2ToBgra(pair, a, b);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(a[i], c[i], 4) << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
            EXPECT_EQ(a[i], b[i]);
        }
        EXPECT_EQ(a[3], 0xFF);
    }
}

// Exact values where a coefficient or a rounding step shows: every channel of an
// asymmetric pixel, a luma at a rounding edge (grey 32), chroma averaged from two pixels
// whose blue sum is even.
TEST(ConvertTest, Yuy2ValuesAreExactWhereRoundingShows) {
    uint8_t a[4], b[4];
    const uint8_t in[4] = {128, 90, 200, 170};
    Yuy2ToBgra(in, a, b);
    EXPECT_EQ(std::vector<uint8_t>(a, a + 4), (std::vector<uint8_t>{54, 111, 197, 0xFF}));
    EXPECT_EQ(std::vector<uint8_t>(b, b + 4), (std::vector<uint8_t>{138, 195, 255, 0xFF}));
    const uint8_t grey32[3] = {32, 32, 32}, red[3] = {0, 60, 200};
    uint8_t pair[4];
    RgbToYuy2(grey32, red, pair);
    EXPECT_EQ(std::vector<uint8_t>(pair, pair + 4), (std::vector<uint8_t>{44, 104, 98, 161}));
}

TEST(ConvertTest, ShortSourceOrTargetWritesNothing) {
    FrameLayout layout;
    ASSERT_TRUE(MakeFrameLayout(PixelFormat::Rgb32, 2, 2, layout));
    std::vector<uint8_t> src(16, 7);
    std::vector<uint8_t> dst(16, 0x22);
    EXPECT_FALSE(ConvertToBottomUpRgb32(src.data(), 15, layout, dst.data(), dst.size()));
    EXPECT_FALSE(ConvertToBottomUpRgb32(src.data(), src.size(), layout, dst.data(), 15));
    EXPECT_FALSE(ConvertToBottomUpRgb32(nullptr, 16, layout, dst.data(), dst.size()));
    for (auto [width, height] : {std::pair{0, 2}, std::pair{2, 0}}) {  // a layout made by hand, either side empty
        FrameLayout empty{PixelFormat::Rgb32, width, height, false};
        EXPECT_FALSE(ConvertToBottomUpRgb32(src.data(), src.size(), empty, dst.data(), dst.size())) << width;
    }
    EXPECT_EQ(dst, std::vector<uint8_t>(16, 0x22));
}

}  // namespace
}  // namespace filterkit
