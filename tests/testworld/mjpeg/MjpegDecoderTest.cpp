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
#include "testworld/mjpeg/DecoderKernels.h"
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

ReferenceOptions Factors(int lumaH, int lumaV, int chromaH, int chromaV, bool rgb = false) {
    ReferenceOptions o = Turbo(75, lumaH, lumaV);
    o.chromaH = chromaH;
    o.chromaV = chromaV;
    o.rgb = rgb;
    return o;
}

// `jpeg` with the component numbers of its frame and scan headers replaced.
std::vector<uint8_t> Renumbered(std::vector<uint8_t> jpeg, const uint8_t ids[3]) {
    for (size_t at = 2; at + 4 < jpeg.size() && jpeg[at] == 0xFF;) {
        const size_t length = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
        if (jpeg[at + 1] == 0xC0)
            for (int c = 0; c < 3; ++c) jpeg[at + 10 + 3 * c] = ids[c];
        if (jpeg[at + 1] == 0xDA) {
            for (int c = 0; c < 3; ++c) jpeg[at + 5 + 2 * c] = ids[c];
            break;
        }
        at += 2 + length;
    }
    return jpeg;
}

// The other ways encoders write each sampling, and colours stored as red, green and blue.
TEST(MjpegDecoderAccuracy, EqualsLibjpegTurboForEveryWayOfWritingASampling) {
    const uint8_t numbered[3] = {1, 2, 3}, rgbLetters[3] = {'R', 'G', 'B'};
    const struct {
        const char* name;
        ReferenceOptions options;
        const uint8_t* ids;  // nullptr: as written
    } layouts[] = {
        {"4:4:4 as 1x2", Factors(1, 2, 1, 2), nullptr},
        {"4:4:4 as 3x1", Factors(3, 1, 3, 1), nullptr},
        {"4:2:2 as 2x2 / 1x2", Factors(2, 2, 1, 2), nullptr},
        {"4:2:2 as 4x1 / 2x1", Factors(4, 1, 2, 1), nullptr},
        {"4:4:0", Factors(1, 2, 1, 1), nullptr},
        {"4:4:0 as 2x2 / 2x1", Factors(2, 2, 2, 1), nullptr},
        {"4:4:0 as 1x4 / 1x2", Factors(1, 4, 1, 2), nullptr},
        {"RGB (Adobe, R G B)", Factors(1, 1, 1, 1, true), nullptr},
        {"RGB (Adobe only)", Factors(1, 1, 1, 1, true), numbered},
        {"RGB 4:2:0", Factors(2, 2, 1, 1, true), nullptr},
        {"YCbCr numbered R G B beside a JFIF segment", Factors(2, 1, 1, 1), rgbLetters},
    };
    const int sizes[][2] = {{1, 1}, {2, 3}, {5, 2}, {6, 7}, {17, 17}, {33, 35}, {67, 21}};
    for (const auto& layout : layouts)
        for (const auto& size : sizes) {
            std::vector<uint8_t> jpeg = EncodeReference(MakeCameraPicture(size[0], size[1], 9), layout.options);
            if (layout.ids) jpeg = Renumbered(jpeg, layout.ids);
            ExpectSameAsReference(jpeg, std::string(layout.name) + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]));
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

// Bytes before a restart marker, as a damaged stream may have them: skipped up to the marker
// wanted, over stuffed bytes, invalid markers and the markers of the restarts before.
TEST(MjpegDecoderAccuracy, BytesBeforeARestartMarkerAreSkipped) {
    const std::vector<uint8_t> clean = EncodeReference(MakeCameraPicture(48, 16, 6), Turbo(85, 2, 2, false, 1));
    const size_t firstRestart = [&] {
        for (size_t at = clean.size() - 2; at > 2; --at)
            if (clean[at] == 0xFF && clean[at + 1] == 0xD0) return at;
        return size_t{0};
    }();
    ASSERT_GT(firstRestart, 0u);
    const std::vector<uint8_t> junks[] = {
        {0x12},
        {0x12, 0xFF, 0x00, 0x34, 0xFF, 0x05, 0x56},  // a stuffed byte and an invalid marker
        {0xFF, 0xD7, 0xFF, 0xD6, 0x00},              // the two restarts before RST0
        std::vector<uint8_t>(40, 0x5A),              // more than the reader holds
    };
    for (const auto& junk : junks) {
        std::vector<uint8_t> jpeg = clean;
        jpeg.insert(jpeg.begin() + static_cast<ptrdiff_t>(firstRestart), junk.begin(), junk.end());
        ExpectSameAsReference(jpeg, "junk of " + std::to_string(junk.size()) + " bytes starting " + std::to_string(junk[0]));
    }
    // A later restart in place of the one wanted: libjpeg-turbo guesses, this decoder refuses.
    std::vector<uint8_t> skipped = clean;
    skipped[firstRestart + 1] = 0xD1;
    DecodeError error;
    DecodeToPicture(skipped, KernelPath::Auto, &error);
    EXPECT_EQ(error, DecodeError::CorruptData);
}

// Motion JPEG frames often leave out the Huffman tables when they are the standard ones.
// A block with only its DC coefficient skips the inverse DCT: it must give what the DCT
// gives, also where the samples are clamped (beyond about +-1024) and at the 16-bit ends.
TEST(MjpegDecoderAccuracy, ABlockOfOnlyItsDcGivesWhatTheInverseDctGives) {
    for (int dc : {0, 1016, 1020, 1023, 1024, 1030, -1024, -1030, -1031, -1040, 32767, -32767}) {
        // One grey 8 x 8 block: DC category `size` (the table's only code, 0), its bits, then
        // the end of block (the AC table's only code, 0).
        int size = 0;
        while ((1 << size) <= (dc < 0 ? -dc : dc)) ++size;
        testing::StreamBuilder grey;
        grey.components = {{1, 0x11, 0}};
        grey.scan = {{1, 0x00}};
        grey.width = grey.height = 8;
        grey.huffmanSegment = testing::StreamBuilder::MakeHuffman(0x00, static_cast<uint8_t>(size));
        const uint32_t value = static_cast<uint32_t>(dc < 0 ? dc + (1 << size) - 1 : dc);
        const int count = 1 + size + 1;
        uint64_t bits = (uint64_t{value} << 1) << (64 - count);  // 0, the value, 0; ones pad
        bits |= (uint64_t{1} << (64 - count)) - 1;
        grey.entropyData.clear();
        for (int at = 0; at < (count + 7) / 8; ++at) {
            grey.entropyData.push_back(static_cast<uint8_t>(bits >> (56 - 8 * at)));
            if (grey.entropyData.back() == 0xFF) grey.entropyData.push_back(0x00);
        }
        DecodeError error;
        const Picture decoded = DecodeToPicture(grey.Bytes(), KernelPath::Auto, &error);
        ASSERT_EQ(error, DecodeError::None) << dc;
        alignas(16) int16_t block[64] = {static_cast<int16_t>(dc)};
        uint8_t expected[64];
        GetDecoderKernels(KernelPath::Generic).inverseDct(block, expected, 8);
        for (int i = 0; i < 64; ++i) ASSERT_EQ(decoded.Row(i / 8)[3 * (i % 8)], expected[i]) << "DC " << dc;
    }
}

TEST(MjpegDecoderAccuracy, ASegmentTooShortToBeAdobesSaysNothingOfTheColours) {
    std::vector<uint8_t> jpeg = EncodeReference(MakeCameraPicture(16, 16, 3), Turbo(90, 2, 2));
    ASSERT_EQ(jpeg[3], 0xE0);  // JFIF, which would settle the colours: taken out
    jpeg.erase(jpeg.begin() + 2, jpeg.begin() + 4 + (jpeg[4] << 8 | jpeg[5]));
    std::vector<uint8_t> marked = jpeg;
    // APP14 of two bytes, then a comment whose sixth byte would be read as Adobe's transform
    // 0 (RGB) by a reader that ignored the length.
    marked.insert(marked.begin() + 2, {0xFF, 0xEE, 0x00, 0x04, 'A', 'd', 0xFF, 0xFE, 0x00, 0x08, 1, 1, 1, 1, 1, 0});
    DecodeError error, markedError;
    const Picture plain = DecodeToPicture(jpeg, KernelPath::Auto, &error);
    const Picture read = DecodeToPicture(marked, KernelPath::Auto, &markedError);
    ASSERT_EQ(error, DecodeError::None);
    ASSERT_EQ(markedError, DecodeError::None);
    EXPECT_EQ(read.bgr, plain.bgr);
}

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
    for (const ReferenceOptions& options : {Turbo(90, 2, 2), Factors(1, 1, 1, 1, true)}) {  // YCbCr, RGB
        const auto jpeg = EncodeReference(p, options);
        DecodeError error;
        const Picture bgr = DecodeToPicture(jpeg, KernelPath::Auto, &error);
        ASSERT_EQ(error, DecodeError::None);
        for (KernelPath path : SupportedPaths()) {
            const size_t stride = 37 * 4 + 12;
            std::vector<uint8_t> buffer(RequiredSize(37, 21, PixelFormat::Bgra32, stride) + 64, 0xA5);
            OutputImage out{PixelFormat::Bgra32, buffer.data(), buffer.size() - 64, stride, true};
            const DecodeResult result = Decode(jpeg.data(), jpeg.size(), out, path);
            ASSERT_TRUE(result.Ok());
            EXPECT_EQ(result.info.width, 37);
            EXPECT_EQ(result.info.height, 21);
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
}

TEST(MjpegDecoderOutput, HeaderReaderGivesSizeAndSampling) {
    const Picture p = MakeCameraPicture(51, 13, 2);
    const struct {
        ReferenceOptions options;
        Sampling sampling;
    } cases[] = {{Turbo(75, 1, 1), Sampling::YCbCr444},
                 {Turbo(75, 2, 1, false, 4), Sampling::YCbCr422},
                 {Turbo(75, 2, 2), Sampling::YCbCr420},
                 {Factors(2, 2, 1, 2), Sampling::YCbCr422},
                 {Factors(2, 2, 2, 1), Sampling::YCbCr440},
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
                 {buffer.size(), SIZE_MAX / 4, PixelFormat::Bgr24},
                 {SIZE_MAX, SIZE_MAX / 9, PixelFormat::Bgr24}};  // 9 rows of the stride and one more: past SIZE_MAX
    for (const auto& c : cases) {
        const OutputImage out{c.format, buffer.data(), c.size, c.stride, false};
        EXPECT_EQ(Decode(jpeg.data(), jpeg.size(), out).error, DecodeError::BufferTooSmall) << c.size << " " << c.stride;
    }
    // A size that would not fit a size_t is no size at all, however large the buffer claims to
    // be; nor is that of an empty picture.
    const struct {
        int width, height;
        size_t stride, required;
    } sizes[] = {{20, 10, SIZE_MAX / 9, 0},          {20, 10, SIZE_MAX / 10, SIZE_MAX / 10 * 9 + 60},
                 {20, 2, SIZE_MAX - 30, 0},          {20, 2, SIZE_MAX - 60, SIZE_MAX},  // the largest there is
                 {20, 1, SIZE_MAX, 60}, {0, 10, 60, 0}, {20, 0, 60, 0}, {-1, 10, 60, 0}};  // one row: its own bytes
    for (const auto& s : sizes)
        EXPECT_EQ(RequiredSize(s.width, s.height, PixelFormat::Bgr24, s.stride), s.required)
            << s.width << " x " << s.height << ", stride " << s.stride;
    const OutputImage none{PixelFormat::Bgr24, nullptr, buffer.size(), 60, false};
    EXPECT_EQ(Decode(jpeg.data(), jpeg.size(), none).error, DecodeError::BufferTooSmall);
}

}  // namespace
}  // namespace mjpeg
