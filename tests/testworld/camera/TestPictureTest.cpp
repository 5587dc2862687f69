// The virtual camera's test picture, read back as the snapshot tests read it, and the
// parsing of the camera's offer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "testworld/camera/CameraOptions.h"
#include "testworld/camera/MjpegPicture.h"
#include "testworld/camera/TestPicture.h"
#include "components/japi2/testing/ReferenceCodec.h"

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

// A 4 x 3 picture (bottom row first) whose top row is white and whose other rows are black,
// with one pixel changed: every pixel of both rows counts, and no other row does.
TEST(TestPictureTest, OrientationReadsTheWholeTopAndBottomRows) {
    struct Case {
        int height;
        int changedPixel;  // index from the bottom-left; -1 none
        uint8_t value;
        bool upright;
    };
    const Case cases[] = {
        {3, -1, 0, true},   {3, 11, 0x00, false},  // the top row's last pixel black
        {3, 3, 0xFF, false},                       // the bottom row's last pixel white
        {3, 7, 0xFF, true},                        // a middle-row pixel does not count
        {0, -1, 0, false},                         // no rows: nothing read
        {3, 11, 255 - 8, true}, {3, 11, 255 - 9, false},  // white within the tolerance, and just outside
        {3, 3, 8, true},        {3, 3, 9, false},         // black likewise
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bgra(4 * 3 * 4, 0x00);
        std::fill(bgra.begin() + 8 * 4, bgra.end(), 0xFF);
        if (c.changedPixel >= 0) std::fill_n(bgra.begin() + c.changedPixel * 4, 4, c.value);
        EXPECT_EQ(HasTestPictureOrientation(bgra.data(), 4, c.height, 8), c.upright) << c.changedPixel;
    }
    std::vector<uint8_t> blueOnly(4 * 3 * 4, 0x00);  // the top row's last pixel white in blue alone
    std::fill(blueOnly.begin() + 8 * 4, blueOnly.end() - 3, 0xFF);
    EXPECT_FALSE(HasTestPictureOrientation(blueOnly.data(), 4, 3, 8));
}

TEST(TestPictureTest, APictureTooSmallForTheCounterHasNone) {
    const std::vector<uint8_t> white(64 * 64 * 4, 0xFF);  // read as a counter, every bit set
    uint32_t counter = 0;
    EXPECT_FALSE(ReadFrameCounter(white.data(), 62, 64, counter)) << "no room for 32 cells";
    EXPECT_FALSE(ReadFrameCounter(white.data(), 64, 7, counter)) << "no room for the bands";
}

TEST(TestPictureTest, ASizeOfTheSameWidthAfterAnotherGetsItsOwnScene) {
    for (int rows : {120, 240, 120}) {
        const std::vector<uint8_t> shot = Snapshot(PixelFormat::Rgb24, 320, rows, 9);
        uint32_t counter = 0;
        ASSERT_TRUE(ReadFrameCounter(shot.data(), 320, rows, counter)) << rows;
        EXPECT_EQ(counter, 9u);
    }
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
    const std::vector<FrameSize> sizes =
        ParseSizes(L"160x120, 800X600;bad,0x10,641x480,99999x1,640x,6a0x480,0000640x480,00640x4096,4098x2");
    const auto text = [](const std::vector<FrameSize>& sizes) {
        std::string list;
        for (const FrameSize& size : sizes) list += std::to_string(size.width) + "x" + std::to_string(size.height) + " ";
        return list;
    };
    EXPECT_EQ(text(sizes), "160x120 800x600 640x4096 ");
    EXPECT_EQ(text(ParseSizes(L"")), "320x240 640x480 1280x1024 ");
    EXPECT_TRUE(ParseSizes(L"nothing").empty());
}

TEST(CameraOptionsTest, FormatsAreCaseInsensitiveAndUnknownOnesSkipped) {
    const std::vector<StreamFormat> formats = ParseFormats(L"rgb24,H264,Mjpg,Yuy2");
    EXPECT_EQ(formats, (std::vector<StreamFormat>{StreamFormat::Rgb24, StreamFormat::Mjpg, StreamFormat::Yuy2}));
    EXPECT_EQ(ParseFormats(L""), DefaultFormats());
}

TEST(CameraOptionsTest, ARawSizeLimitLeavesLargerSizesToMjpegOnly) {
    const std::vector<FrameSize> sizes = {{320, 240}, {640, 480}, {1280, 1024}};
    const auto offered = [&](std::vector<StreamFormat> formats, std::optional<FrameSize> limit) {
        std::string list;
        for (const OfferEntry& e : MakeOfferList(formats, sizes, limit))
            list += (e.format == StreamFormat::Mjpg ? "M" : "R") + std::to_string(e.size.width) + " ";
        return list;
    };
    const std::vector<StreamFormat> both = {StreamFormat::Yuy2, StreamFormat::Mjpg};
    EXPECT_EQ(offered(both, std::nullopt), "R320 R640 R1280 M320 M640 M1280 ");
    EXPECT_EQ(offered(both, FrameSize{640, 480}), "R320 R640 M320 M640 M1280 ");
    EXPECT_EQ(offered(both, FrameSize{480, 640}), "R320 R640 M320 M640 M1280 ") << "a limit counts pixels";
    EXPECT_EQ(offered(both, FrameSize{638, 480}), "R320 M320 M640 M1280 ");
    EXPECT_EQ(offered({StreamFormat::Mjpg}, FrameSize{2, 2}), "M320 M640 M1280 ");
}

TEST(MjpegPictureTest, FramesAreJpegsOfTheTestPictureThatFitOrAreRefused) {
    MjpegPicture mjpeg;
    std::vector<uint8_t> frame(MjpegFrameBound(320, 240));
    const size_t bytes = mjpeg.Render(320, 240, 7, frame.data(), frame.size());
    ASSERT_GT(bytes, 1000u);
    EXPECT_LT(bytes, frame.size() / 4) << "a camera picture's JPEG is a fraction of its bound";
    EXPECT_EQ(frame[0], 0xFF);
    EXPECT_EQ(frame[1], 0xD8);
    EXPECT_EQ(frame[bytes - 2], 0xFF);
    EXPECT_EQ(frame[bytes - 1], 0xD9);

    const japi2::testing::Decoded decoded =
        japi2::testing::DecodeReference(std::vector<uint8_t>(frame.begin(), frame.begin() + bytes));
    ASSERT_TRUE(decoded.ok) << decoded.error;
    const japi2::testing::Picture& picture = decoded.picture;
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 240);
    std::vector<uint8_t> bgra(320 * 240 * 4, 0xFF);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            std::copy_n(picture.Row(239 - y) + 3 * x, 3, &bgra[(static_cast<size_t>(y) * 320 + x) * 4]);
    uint32_t counter = 0;
    ASSERT_TRUE(ReadFrameCounter(bgra.data(), 320, 240, counter));
    EXPECT_EQ(counter, 7u);
    EXPECT_TRUE(HasTestPictureOrientation(bgra.data(), 320, 240, 24));
    const std::vector<uint8_t> original = Snapshot(PixelFormat::Rgb32, 320, 240, 7);
    double error = 0;
    for (size_t i = 0; i < bgra.size(); ++i) error += std::abs(int(bgra[i]) - int(original[i]));
    EXPECT_LT(error / bgra.size(), 3.0) << "mean difference from the uncompressed frame";

    // No room for the last byte: no frame and nothing written past the end, also when the
    // encoder hands its output over in several pieces.
    for (const auto& [width, height] : {std::pair{320, 240}, std::pair{1280, 1024}}) {
        std::vector<uint8_t> whole(MjpegFrameBound(width, height));
        const size_t size = mjpeg.Render(width, height, 7, whole.data(), whole.size());
        std::vector<uint8_t> tight(size - 1);
        EXPECT_EQ(mjpeg.Render(width, height, 7, tight.data(), tight.size()), 0u) << width;
        // Room for exactly the frame is enough; no room for the rows or the headers is none.
        EXPECT_EQ(mjpeg.Render(width, height, 7, whole.data(), size), size) << width;
        EXPECT_EQ(mjpeg.Render(width, height, 7, whole.data(), size / 2), 0u) << width;
        EXPECT_EQ(mjpeg.Render(width, height, 7, whole.data(), 100), 0u) << width;
    }
    EXPECT_EQ(mjpeg.Render(0, 240, 7, frame.data(), frame.size()), 0u);
}

}  // namespace
}  // namespace camera
