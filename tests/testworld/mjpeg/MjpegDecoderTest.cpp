// The decoder against libjpeg-turbo (accurate integer DCT, triangle upsampling: its
// defaults), on our encoder's output and on libjpeg-turbo's own, on every kernel path.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "components/japi2/JpegEncoder.h"
#include "components/japi2/testing/CameraPicture.h"
#include "components/japi2/testing/ReferenceCodec.h"
#include "testworld/mjpeg/MjpegDecoder.h"
#include "tests/testworld/mjpeg/DecoderTestSupport.h"

namespace mjpeg {
namespace {

using japi2::testing::DecodeReference;
using japi2::testing::EncodeReference;
using japi2::testing::MakeCameraPicture;
using japi2::testing::Picture;
using japi2::testing::ReferenceOptions;
using testing::DecodeToPicture;
using testing::SupportedPaths;

bool Collect(void* context, const uint8_t* data, size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), data, data + size);
    return true;
}

std::vector<uint8_t> EncodeOurs(const Picture& p, int quality) {
    std::vector<uint8_t> out;
    japi2::JpegEncoder encoder;
    EXPECT_TRUE(encoder.Start(p.width, p.height, quality, Collect, &out));
    for (int y = 0; y < p.height; ++y) encoder.AddRow(p.Row(y));
    EXPECT_TRUE(encoder.Finish());
    return out;
}

ReferenceOptions Turbo(int quality, int lumaH, int lumaV, bool grey = false, int restart = 0) {
    ReferenceOptions o;
    o.quality = quality;
    o.lumaH = lumaH;
    o.lumaV = lumaV;
    o.grey = grey;
    o.restartInterval = restart;
    return o;
}

// Where two pictures first differ, or "" when they are equal.
std::string FirstDifference(const Picture& ours, const Picture& reference) {
    if (ours.width != reference.width || ours.height != reference.height)
        return "size " + std::to_string(ours.width) + "x" + std::to_string(ours.height);
    for (size_t i = 0; i < ours.bgr.size(); ++i)
        if (ours.bgr[i] != reference.bgr[i]) {
            const size_t pixel = i / 3;
            return "pixel (" + std::to_string(pixel % ours.width) + ", " + std::to_string(pixel / ours.width) +
                   ") channel " + std::to_string(i % 3) + ": " + std::to_string(ours.bgr[i]) + " vs " +
                   std::to_string(reference.bgr[i]);
        }
    return "";
}

// Decodes on every path and compares with libjpeg-turbo, byte for byte.
void ExpectSameAsReference(const std::vector<uint8_t>& jpeg, const std::string& what) {
    const japi2::testing::Decoded reference = DecodeReference(jpeg);
    ASSERT_TRUE(reference.ok) << what << ": " << reference.error;
    for (KernelPath path : SupportedPaths()) {
        DecodeError error;
        const Picture ours = DecodeToPicture(jpeg, path, &error);
        ASSERT_EQ(error, DecodeError::None) << what << " " << japi2::KernelPathName(path) << ": " << DecodeErrorName(error);
        EXPECT_EQ(FirstDifference(ours, reference.picture), "") << what << " " << japi2::KernelPathName(path);
    }
}

TEST(MjpegDecoderAccuracy, EqualsLibjpegTurboForEverySamplingSizeAndQuality) {
    struct Source {
        const char* name;
        std::function<std::vector<uint8_t>(const Picture&, int)> encode;
    };
    const Source sources[] = {
        {"ours 4:2:0", EncodeOurs},
        {"turbo 4:4:4", [](const Picture& p, int q) { return EncodeReference(p, Turbo(q, 1, 1)); }},
        {"turbo 4:2:2", [](const Picture& p, int q) { return EncodeReference(p, Turbo(q, 2, 1)); }},
        {"turbo 4:2:0", [](const Picture& p, int q) { return EncodeReference(p, Turbo(q, 2, 2)); }},
        {"turbo grey", [](const Picture& p, int q) { return EncodeReference(p, Turbo(q, 1, 1, true)); }},
    };
    // Chroma rows of 1, 2 and 3 samples (doubled, then interpolated), block and MCU edges.
    const int sizes[][2] = {{1, 1}, {2, 3}, {4, 4}, {5, 2}, {6, 7}, {7, 9}, {16, 16}, {17, 17}, {33, 17}, {641, 479}};
    for (const Source& source : sources)
        for (const auto& size : sizes) {
            const Picture p = MakeCameraPicture(size[0], size[1], 5);
            for (int quality : {30, 75, 90, 100}) {
                if (size[0] > 100 && quality != 90) continue;
                ExpectSameAsReference(source.encode(p, quality), std::string(source.name) + " " +
                                                                     std::to_string(size[0]) + "x" +
                                                                     std::to_string(size[1]) + " q" + std::to_string(quality));
            }
        }
}

TEST(MjpegDecoderAccuracy, RestartIntervalsDecodeAsWithout) {
    const Picture p = MakeCameraPicture(75, 37, 8);
    for (int interval : {1, 2, 7, 200})
        for (const auto& sampling : {std::pair{1, 1}, std::pair{2, 1}, std::pair{2, 2}}) {
            const auto jpeg = EncodeReference(p, Turbo(85, sampling.first, sampling.second, false, interval));
            ExpectSameAsReference(jpeg, "interval " + std::to_string(interval) + " luma " +
                                            std::to_string(sampling.first) + "x" + std::to_string(sampling.second));
        }
}

// Motion JPEG frames often leave out the Huffman tables when they are the standard ones.
TEST(MjpegDecoderAccuracy, FramesWithoutHuffmanTablesUseTheStandardOnes) {
    const Picture p = MakeCameraPicture(64, 48, 3);
    for (const auto& jpeg : {EncodeOurs(p, 80), EncodeReference(p, Turbo(80, 2, 1, false, 3))}) {
        std::vector<uint8_t> stripped;
        size_t at = 2;
        stripped.assign(jpeg.begin(), jpeg.begin() + 2);
        while (jpeg[at + 1] != 0xDA) {
            const size_t length = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]) + 2;
            if (jpeg[at + 1] != 0xC4) stripped.insert(stripped.end(), jpeg.begin() + at, jpeg.begin() + at + length);
            at += length;
        }
        stripped.insert(stripped.end(), jpeg.begin() + at, jpeg.end());
        ASSERT_LT(stripped.size(), jpeg.size());
        const japi2::testing::Decoded reference = DecodeReference(jpeg);
        ASSERT_TRUE(reference.ok);
        for (KernelPath path : SupportedPaths()) {
            DecodeError error;
            const Picture ours = DecodeToPicture(stripped, path, &error);
            ASSERT_EQ(error, DecodeError::None) << DecodeErrorName(error);
            EXPECT_EQ(FirstDifference(ours, reference.picture), "") << japi2::KernelPathName(path);
        }
    }
}

TEST(MjpegDecoderOutput, BottomUpBgraHoldsTheSamePixelsAndLeavesRowPaddingAlone) {
    const Picture p = MakeCameraPicture(37, 21, 4);
    const auto jpeg = EncodeReference(p, Turbo(90, 2, 2));
    DecodeError error;
    const Picture bgr = DecodeToPicture(jpeg, KernelPath::Auto, &error);
    ASSERT_EQ(error, DecodeError::None);
    for (KernelPath path : SupportedPaths()) {
        const size_t stride = 37 * 4 + 12;
        std::vector<uint8_t> buffer(RequiredSize(37, 21, PixelFormat::Bgra32, stride) + 64, 0xA5);
        OutputImage out{PixelFormat::Bgra32, buffer.data(), buffer.size() - 64, stride, true};
        ASSERT_TRUE(Decode(jpeg.data(), jpeg.size(), out, path).Ok());
        for (int y = 0; y < 21; ++y) {
            const uint8_t* row = buffer.data() + (20 - y) * stride;
            for (int x = 0; x < 37; ++x) {
                ASSERT_EQ(std::memcmp(row + 4 * x, bgr.Row(y) + 3 * x, 3), 0) << x << "," << y;
                ASSERT_EQ(row[4 * x + 3], 255);
            }
            for (size_t i = 37 * 4; i < stride && (20 - y) * stride + i < buffer.size(); ++i)
                ASSERT_EQ(row[i], 0xA5) << "padding of row " << y;
        }
        for (size_t i = buffer.size() - 64; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5);
    }
}

TEST(MjpegDecoderOutput, HeaderReaderGivesSizeAndSampling) {
    const Picture p = MakeCameraPicture(51, 13, 2);
    const struct {
        ReferenceOptions options;
        Sampling sampling;
    } cases[] = {{Turbo(75, 1, 1), Sampling::YCbCr444},
                 {Turbo(75, 2, 1, false, 4), Sampling::YCbCr422},
                 {Turbo(75, 2, 2), Sampling::YCbCr420},
                 {Turbo(75, 1, 1, true), Sampling::Grey}};
    for (const auto& c : cases) {
        const auto jpeg = EncodeReference(p, c.options);
        const DecodeResult r = ReadJpegInfo(jpeg.data(), jpeg.size());
        ASSERT_TRUE(r.Ok()) << DecodeErrorName(r.error);
        EXPECT_EQ(r.info.width, 51);
        EXPECT_EQ(r.info.height, 13);
        EXPECT_EQ(r.info.sampling, c.sampling);
        EXPECT_EQ(r.info.restartInterval, c.options.restartInterval);
    }
}

TEST(MjpegDecoderOutput, RefusesABufferThatCannotHoldThePicture) {
    const auto jpeg = EncodeReference(MakeCameraPicture(20, 10, 1), Turbo(75, 2, 1));
    std::vector<uint8_t> buffer(20 * 3 * 10);
    const struct {
        size_t size, stride;
        PixelFormat format;
    } cases[] = {{buffer.size() - 1, 60, PixelFormat::Bgr24},
                 {buffer.size(), 59, PixelFormat::Bgr24},
                 {buffer.size(), 60, PixelFormat::Bgra32},
                 {buffer.size(), SIZE_MAX / 4, PixelFormat::Bgr24}};
    for (const auto& c : cases) {
        const OutputImage out{c.format, buffer.data(), c.size, c.stride, false};
        EXPECT_EQ(Decode(jpeg.data(), jpeg.size(), out).error, DecodeError::BufferTooSmall) << c.size << " " << c.stride;
    }
    const OutputImage none{PixelFormat::Bgr24, nullptr, buffer.size(), 60, false};
    EXPECT_EQ(Decode(jpeg.data(), jpeg.size(), none).error, DecodeError::BufferTooSmall);
}

}  // namespace
}  // namespace mjpeg
