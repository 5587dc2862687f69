// The virtual camera's test picture, read back as the snapshot tests read it, and the
// parsing of the camera's offer.
#include <gtest/gtest.h>

#include <vector>

#include "components/camera/CameraOptions.h"
#include "components/camera/TestPicture.h"

namespace camera {
namespace {

using filterkit::FrameLayout;
using filterkit::PixelFormat;

std::vector<uint8_t> Snapshot(PixelFormat format, int w, int h, uint32_t frame) {
    FrameLayout layout;
    EXPECT_TRUE(filterkit::MakeFrameLayout(format, w, h, layout));
    std::vector<uint8_t> picture(filterkit::FrameBytes(layout));
    EXPECT_TRUE(RenderTestPicture(layout, frame, picture.data(), picture.size()));
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
    EXPECT_TRUE(filterkit::ConvertToBottomUpRgb32(picture.data(), picture.size(), layout, out.data(), out.size()));
    return out;
}

TEST(TestPictureTest, CounterAndOrientationReadBackInEveryFormat) {
    for (PixelFormat format : {PixelFormat::Rgb32, PixelFormat::Rgb24, PixelFormat::Yuy2}) {
        for (uint32_t frame : {0u, 1u, 0x80000001u, 123456u}) {
            const std::vector<uint8_t> shot = Snapshot(format, 320, 240, frame);
            uint32_t counter = 0;
            ASSERT_TRUE(ReadFrameCounter(shot.data(), 320, 240, counter)) << int(format);
            EXPECT_EQ(counter, frame);
            EXPECT_TRUE(HasTestPictureOrientation(shot.data(), 320, 240, 8));
        }
    }
}

TEST(TestPictureTest, UpsideDownPictureFailsTheOrientationCheck) {
    std::vector<uint8_t> shot = Snapshot(PixelFormat::Rgb32, 64, 64, 5);
    std::vector<uint8_t> flipped(shot.size());
    for (int y = 0; y < 64; ++y)
        std::copy(shot.begin() + y * 256, shot.begin() + (y + 1) * 256, flipped.begin() + (63 - y) * 256);
    EXPECT_FALSE(HasTestPictureOrientation(flipped.data(), 64, 64, 8));
    uint32_t counter = 0;
    EXPECT_FALSE(ReadFrameCounter(flipped.data(), 64, 64, counter));
}

TEST(TestPictureTest, PictureMovesFromFrameToFrame) {
    EXPECT_NE(Snapshot(PixelFormat::Rgb32, 320, 240, 1), Snapshot(PixelFormat::Rgb32, 320, 240, 2));
}

TEST(TestPictureTest, RefusesAShortBuffer) {
    FrameLayout layout;
    ASSERT_TRUE(filterkit::MakeFrameLayout(PixelFormat::Rgb24, 10, 10, layout));
    std::vector<uint8_t> picture(filterkit::FrameBytes(layout) - 1, 0x5A);
    EXPECT_FALSE(RenderTestPicture(layout, 0, picture.data(), picture.size()));
    EXPECT_EQ(picture, std::vector<uint8_t>(picture.size(), 0x5A));
}

TEST(CameraOptionsTest, SizesParseInOrderAndBadEntriesAreSkipped) {
    const std::vector<FrameSize> sizes = ParseSizes(L"160x120, 800X600;bad,0x10,641x480,99999x1,640x");
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].width, 160);
    EXPECT_EQ(sizes[1].height, 600);
    EXPECT_EQ(ParseSizes(L"").size(), 3u);
    EXPECT_TRUE(ParseSizes(L"nothing").empty());
}

TEST(CameraOptionsTest, FormatsAreCaseInsensitiveAndUnknownOnesSkipped) {
    const std::vector<PixelFormat> formats = ParseFormats(L"rgb24,MJPG,Yuy2");
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[0], PixelFormat::Rgb24);
    EXPECT_EQ(formats[1], PixelFormat::Yuy2);
    EXPECT_EQ(ParseFormats(L""), DefaultFormats());
}

}  // namespace
}  // namespace camera
