// The encoder core, checked by decoding its output with libjpeg-turbo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "components/japi2/JpegEncoder.h"
#include "components/japi2/JpegTables.h"
#include "components/japi2/testing/CameraPicture.h"
#include "components/japi2/testing/ReferenceCodec.h"

namespace japi2 {
namespace {

using testing::Decoded;
using testing::DecodeReference;
using testing::MakeCameraPicture;
using testing::Picture;

struct Sink {
    std::vector<uint8_t> bytes;
    int calls = 0;     // writes that succeeded
    int attempts = 0;  // and those that failed
    int failAfter = -1;  // fail the call with this number (0-based); -1 never
    static bool Write(void* context, const uint8_t* data, size_t size) {
        auto* s = static_cast<Sink*>(context);
        ++s->attempts;
        if (s->failAfter >= 0 && s->calls >= s->failAfter) return false;
        ++s->calls;
        s->bytes.insert(s->bytes.end(), data, data + size);
        return true;
    }
};

std::vector<uint8_t> Encode(const Picture& p, int quality, KernelPath path = KernelPath::Auto) {
    Sink sink;
    JpegEncoder encoder;
    EXPECT_TRUE(encoder.Start(p.width, p.height, quality, Sink::Write, &sink, path));
    for (int y = 0; y < p.height; ++y) EXPECT_TRUE(encoder.AddRow(p.Row(y)));
    EXPECT_TRUE(encoder.Finish());
    return sink.bytes;
}

Picture Solid(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
    Picture p;
    p.width = w;
    p.height = h;
    p.bgr.resize(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < p.bgr.size(); i += 3) {
        p.bgr[i] = b;
        p.bgr[i + 1] = g;
        p.bgr[i + 2] = r;
    }
    return p;
}

const uint8_t* Pixel(const Picture& p, int x, int y) { return p.Row(y) + x * 3; }

constexpr uint8_t kStartOfFrame[] = {0xFF, 0xC0};

TEST(JpegEncoderSize, EveryEdgeCaseOfTheBlockGridDecodesAtItsSize) {
    const int sizes[][2] = {{1, 1}, {1, 2}, {2, 1}, {1, 17}, {17, 1}, {7, 9}, {15, 15}, {16, 16},
                            {17, 17}, {31, 33}, {33, 47}, {320, 240}, {641, 481}};
    for (const auto& s : sizes) {
        const Picture p = MakeCameraPicture(s[0], s[1], 7);
        const Decoded d = DecodeReference(Encode(p, 93));
        ASSERT_TRUE(d.ok) << s[0] << "x" << s[1] << ": " << d.error;
        EXPECT_EQ(d.components, 3);
        EXPECT_EQ(d.picture.width, s[0]);
        EXPECT_EQ(d.picture.height, s[1]);
        // Tiny pictures lose much to chroma subsampling: compare with the reference.
        const Decoded r = DecodeReference(testing::EncodeReference(p, 93));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_GT(testing::Psnr(p, d.picture), testing::Psnr(p, r.picture) - 1.0) << s[0] << "x" << s[1];
    }
}

TEST(JpegEncoderSize, OddEdgesRepeatTheLastColumnAndRow) {
    // A 17 x 17 picture whose last column and row differ from the rest: the padding must
    // continue them, so they decode to their own colour rather than a blend with black.
    Picture p = Solid(17, 17, 20, 20, 20);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
            if (x == 16 || y == 16) {
                uint8_t* px = p.bgr.data() + (static_cast<size_t>(y) * 17 + x) * 3;
                px[0] = px[1] = px[2] = 230;
            }
    const Decoded d = DecodeReference(Encode(p, 100));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_NEAR(Pixel(d.picture, 16, 16)[1], 230, 12);
    EXPECT_NEAR(Pixel(d.picture, 16, 3)[1], 230, 25);
    EXPECT_NEAR(Pixel(d.picture, 3, 16)[1], 230, 25);
    EXPECT_NEAR(Pixel(d.picture, 3, 3)[1], 20, 12);

    // Exactly so: a 17 x 33 picture encodes as itself widened to 32 x 48 with its last
    // column and row, apart from the size in the frame header.
    const Picture small = MakeCameraPicture(17, 33, 7);
    Picture padded = Solid(32, 48, 0, 0, 0);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 32; ++x)
            std::memcpy(padded.bgr.data() + (static_cast<size_t>(y) * 32 + x) * 3,
                        Pixel(small, std::min(x, 16), std::min(y, 32)), 3);
    std::vector<uint8_t> wide = Encode(padded, 75);
    const auto sof = std::search(wide.begin(), wide.end(), std::begin(kStartOfFrame), std::end(kStartOfFrame));
    ASSERT_LT(sof + 9, wide.end());
    const uint8_t size[4] = {0, 33, 0, 17};  // height, width
    std::copy(std::begin(size), std::end(size), sof + 5);
    EXPECT_EQ(Encode(small, 75), wide);
}

TEST(JpegEncoderOrientation, FirstRowIsTopAndBlueGreenRedOrderIsKept) {
    // Top half red, bottom half blue; the left quarter of the top half green.
    Picture p = Solid(64, 48, 0, 0, 0);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* px = p.bgr.data() + (static_cast<size_t>(y) * 64 + x) * 3;
            if (y < 24 && x < 16) px[1] = 220;
            else if (y < 24) px[2] = 220;
            else px[0] = 220;
        }
    const Decoded d = DecodeReference(Encode(p, 93));
    ASSERT_TRUE(d.ok) << d.error;
    const uint8_t* topLeft = Pixel(d.picture, 4, 4);
    const uint8_t* topRight = Pixel(d.picture, 60, 4);
    const uint8_t* bottom = Pixel(d.picture, 32, 44);
    EXPECT_GT(topLeft[1], 180);
    EXPECT_LT(topLeft[2], 60);
    EXPECT_GT(topRight[2], 180);
    EXPECT_LT(topRight[0], 60);
    EXPECT_GT(bottom[0], 180);
    EXPECT_LT(bottom[2], 60);
}

TEST(JpegEncoderQuality, PhotoSettingGivesAtLeast38DbOnACameraPicture) {
    const Picture p = MakeCameraPicture(640, 480, 3);
    const int quality = QualityFromSetting(140);
    EXPECT_GE(quality, 90);
    const Decoded d = DecodeReference(Encode(p, quality));
    ASSERT_TRUE(d.ok) << d.error;
    const double psnr = testing::Psnr(p, d.picture);
    std::printf("PSNR at setting 140 (quality %d): %.2f dB\n", quality, psnr);
    EXPECT_GE(psnr, 38.0);
}

TEST(JpegEncoderQuality, SizeWithinFivePercentOfTheReferenceAtTheSameQuality) {
    const Picture p = MakeCameraPicture(640, 480, 5);
    for (int quality : {50, 75, 90, QualityFromSetting(140)}) {
        const double ours = static_cast<double>(Encode(p, quality).size());
        const double theirs = static_cast<double>(testing::EncodeReference(p, quality).size());
        std::printf("quality %d: %.0f bytes, reference %.0f (ratio %.4f)\n", quality, ours, theirs, ours / theirs);
        EXPECT_NEAR(ours / theirs, 1.0, 0.05) << "quality " << quality << ": " << ours << " vs " << theirs;
    }
}

TEST(JpegEncoderQuality, HigherSettingNeverLosesQuality) {
    const Picture p = MakeCameraPicture(96, 64, 9);
    double previous = 0;
    for (int setting : {15, 60, 105, 140, 150}) {
        const Decoded d = DecodeReference(Encode(p, QualityFromSetting(setting)));
        ASSERT_TRUE(d.ok);
        const double psnr = testing::Psnr(p, d.picture);
        EXPECT_GE(psnr, previous) << "setting " << setting;
        previous = psnr;
    }
}

TEST(JpegEncoderKernels, EveryPathWritesIdenticalBytes) {
    // Each path runs its own kernels: otherwise a path would be compared with itself.
    EXPECT_EQ(&GetEncoderKernels(KernelPath::Generic), &kernels_generic::kKernels);
    EXPECT_EQ(&GetEncoderKernels(KernelPath::Portable), &kernels_portable::kKernels);
    if (KernelPathSupported(KernelPath::Avx2))
        EXPECT_EQ(&GetEncoderKernels(KernelPath::Avx2), &kernels_avx2::kKernels);
    std::vector<KernelPath> paths = {KernelPath::Portable};
    if (KernelPathSupported(KernelPath::Avx2)) paths.push_back(KernelPath::Avx2);
    else std::printf("no AVX2 on this machine: only the baseline path is compared\n");
    for (const auto& s : {std::pair{1, 1}, std::pair{33, 17}, std::pair{640, 480}}) {
        const Picture p = MakeCameraPicture(s.first, s.second, 11);
        for (int quality : {1, 10, 93, 100}) {
            const std::vector<uint8_t> reference = Encode(p, quality, KernelPath::Generic);
            for (KernelPath path : paths)
                EXPECT_EQ(Encode(p, quality, path), reference)
                    << KernelPathName(path) << " " << s.first << "x" << s.second << " q" << quality;
        }
    }
}

TEST(JpegEncoderKernels, TheMaskMarksExactlyTheNonZeroCoefficientsInZigZagOrder) {
    uint8_t quant[64];
    ScaledQuantTable(93, 0, quant);
    alignas(32) float divisors[64];
    MakeDivisors(quant, divisors);
    uint32_t seed = 7;
    for (int round = 0; round < 2000; ++round) {
        // Sparse edges and dense noise, so that every coefficient is zero in some blocks
        // and not in others.
        alignas(32) uint8_t samples[64];
        for (int i = 0; i < 64; ++i) {
            seed = seed * 1664525u + 1013904223u;
            samples[i] = round % 2 ? static_cast<uint8_t>(seed >> 24) : (i % 8 < round % 8 ? 200 : 20);
        }
        for (KernelPath path : {KernelPath::Generic, KernelPath::Portable, KernelPath::Avx2}) {
            if (!KernelPathSupported(path)) continue;
            alignas(32) int16_t coefficients[64];
            const uint64_t mask = GetEncoderKernels(path).forwardDctQuantize(samples, 8, divisors, coefficients);
            for (int k = 0; k < 64; ++k)
                ASSERT_EQ((mask >> k) & 1, coefficients[kZigZagTransposed[k]] != 0 ? 1u : 0u)
                    << KernelPathName(path) << ", coefficient " << k << ", round " << round;
        }
    }
}

TEST(JpegEncoderStream, EmptyPictureWritesNothing) {
    for (const auto& s : {std::pair{0, 0}, std::pair{16, 0}, std::pair{0, 16}}) {
        Sink sink;
        JpegEncoder encoder;
        EXPECT_TRUE(encoder.Start(s.first, s.second, 93, Sink::Write, &sink));
        const uint8_t row[48] = {};
        EXPECT_TRUE(encoder.AddRow(row));
        EXPECT_TRUE(encoder.Finish());
        EXPECT_EQ(sink.calls, 0);
    }
}

TEST(JpegEncoderStream, RefusesSizesTheFormatCannotHoldAndWritesNothing) {
    for (const auto& s : {std::pair{65536, 1}, std::pair{1, 65536}, std::pair{-1, 8}, std::pair{8, -1}}) {
        Sink sink;
        JpegEncoder encoder;
        EXPECT_FALSE(encoder.Start(s.first, s.second, 93, Sink::Write, &sink));
        EXPECT_FALSE(encoder.Finish());
        EXPECT_EQ(sink.calls, 0);
    }
}

TEST(JpegEncoderStream, MissingRowsRepeatTheLastOneAndExtraRowsAreIgnored) {
    const Picture red = Solid(40, 40, 0, 0, 230);
    Sink sink;
    JpegEncoder encoder;
    ASSERT_TRUE(encoder.Start(40, 40, 93, Sink::Write, &sink));
    ASSERT_TRUE(encoder.AddRow(red.Row(0)));  // one row: the 39 others repeat it
    ASSERT_TRUE(encoder.Finish());
    Decoded d = DecodeReference(sink.bytes);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.height, 40);
    EXPECT_GT(Pixel(d.picture, 20, 39)[2], 200);

    const Picture blue = Solid(40, 40, 230, 0, 0);
    Sink sink2;
    ASSERT_TRUE(encoder.Start(40, 8, 93, Sink::Write, &sink2));
    for (int y = 0; y < 8; ++y) ASSERT_TRUE(encoder.AddRow(red.Row(y)));
    for (int y = 0; y < 8; ++y) ASSERT_TRUE(encoder.AddRow(blue.Row(y)));
    ASSERT_TRUE(encoder.Finish());
    d = DecodeReference(sink2.bytes);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.height, 8);
    EXPECT_LT(Pixel(d.picture, 20, 7)[0], 40);
}

TEST(JpegEncoderStream, NoRowsAtAllGiveABlackPictureOfTheAnnouncedSize) {
    Sink sink, earlier;
    JpegEncoder encoder;
    // An earlier picture's rows are not taken for the missing ones.
    const Picture white = Solid(20, 12, 255, 255, 255);
    ASSERT_TRUE(encoder.Start(20, 12, 93, Sink::Write, &earlier));
    for (int y = 0; y < 12; ++y) ASSERT_TRUE(encoder.AddRow(white.Row(y)));
    ASSERT_TRUE(encoder.Finish());
    ASSERT_TRUE(encoder.Start(20, 12, 93, Sink::Write, &sink));
    ASSERT_TRUE(encoder.Finish());
    const Decoded d = DecodeReference(sink.bytes);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.width, 20);
    EXPECT_EQ(d.picture.height, 12);
    EXPECT_LT(Pixel(d.picture, 10, 6)[1], 8);
}

TEST(JpegEncoderStream, AFailedWriteStopsAllFurtherOutput) {
    const Picture p = MakeCameraPicture(2048, 256, 2);  // well over one 64 KiB chunk
    // The second write fails while rows arrive; the first while Finish completes the rows
    // that never came after the first.
    for (const int rowsGiven : {256, 1}) {
        Sink sink;
        sink.failAfter = rowsGiven == 1 ? 0 : 1;
        JpegEncoder encoder;
        ASSERT_TRUE(encoder.Start(p.width, p.height, 100, Sink::Write, &sink));
        bool allRowsOk = true;
        for (int y = 0; y < rowsGiven; ++y) allRowsOk = encoder.AddRow(p.Row(y)) && allRowsOk;
        EXPECT_EQ(allRowsOk, rowsGiven == 1);
        EXPECT_FALSE(encoder.Finish());
        EXPECT_EQ(sink.calls, sink.failAfter) << rowsGiven;
        EXPECT_EQ(sink.attempts, sink.failAfter + 1) << rowsGiven << ": nothing is tried after the failed write";
        if (rowsGiven > 1) EXPECT_GE(sink.bytes.size(), 32u * 1024) << "pieces of about 64 KiB, not one a block";
    }
}

TEST(JpegEncoderStream, EncoderIsReusableAfterFinish) {
    const Picture p = MakeCameraPicture(50, 30, 4);
    JpegEncoder encoder;
    std::vector<uint8_t> outputs[2];
    for (auto& out : outputs) {
        Sink sink;
        ASSERT_TRUE(encoder.Start(p.width, p.height, 80, Sink::Write, &sink));
        for (int y = 0; y < p.height; ++y) encoder.AddRow(p.Row(y));
        ASSERT_TRUE(encoder.Finish());
        EXPECT_FALSE(encoder.AddRow(p.Row(0))) << "after Finish";
        out = sink.bytes;
    }
    EXPECT_EQ(outputs[0], outputs[1]);
}

}  // namespace
}  // namespace japi2
