// Every kernel path against the plain C++ one, on inputs no valid stream produces as well:
// coefficients at the ends of the 16-bit range wrap the 32-bit sums, and must do so alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "testworld/mjpeg/DecoderKernels.h"
#include "tests/testworld/mjpeg/DecoderTestSupport.h"

namespace mjpeg {
namespace {

struct Random {
    uint32_t state = 2463534242u;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

TEST(MjpegDecoderKernels, InverseDctIsTheSameOnEveryPath) {
    // Each path runs its own kernels: otherwise a path would be compared with itself.
    EXPECT_EQ(&GetDecoderKernels(KernelPath::Generic), &kernels_generic::kKernels);
    EXPECT_EQ(&GetDecoderKernels(KernelPath::Portable), &kernels_portable::kKernels);
    if (japi2::KernelPathSupported(KernelPath::Avx2))
        EXPECT_EQ(&GetDecoderKernels(KernelPath::Avx2), &kernels_avx2::kKernels);
    const DecoderKernels& reference = GetDecoderKernels(KernelPath::Generic);
    Random random;
    for (int round = 0; round < 20000; ++round) {
        alignas(16) int16_t block[64] = {};
        // Sparse typical blocks, dense ones, and ones at the 16-bit limits.
        const int kind = round % 3;
        for (int i = 0; i < 64; ++i) {
            const uint32_t r = random.Next();
            if (kind == 0 && i > 0 && r % 5) continue;
            block[i] = kind == 2 ? static_cast<int16_t>(r & 1 ? 32767 - (r >> 28) : -32768 + (r >> 28))
                                 : static_cast<int16_t>(static_cast<int>(r % 2048) - 1024);
        }
        uint8_t expected[8 * 11], actual[8 * 11];
        reference.inverseDct(block, expected, 11);
        for (KernelPath path : testing::SupportedPaths()) {
            GetDecoderKernels(path).inverseDct(block, actual, 11);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    ASSERT_EQ(actual[y * 11 + x], expected[y * 11 + x])
                        << japi2::KernelPathName(path) << " round " << round << " at " << x << "," << y;
        }
    }
}

TEST(MjpegDecoderKernels, UpsamplingAndColourAreTheSameOnEveryPath) {
    const DecoderKernels& reference = GetDecoderKernels(KernelPath::Generic);
    Random random;
    for (int width = 1; width <= 100; ++width) {
        // Rows with their edge copies at -1 and `width`, as the picture writer prepares them.
        std::vector<uint8_t> a(width + 2), b(width + 2), y(2 * width), cb(2 * width), cr(2 * width);
        for (auto* v : {&a, &b, &y, &cb, &cr})
            for (auto& s : *v) s = static_cast<uint8_t>(random.Next() >> 24);
        a[0] = a[1];
        a[width + 1] = a[width];
        b[0] = b[1];
        b[width + 1] = b[width];
        std::vector<uint8_t> expected(8 * width), actual(8 * width);
        for (KernelPath path : testing::SupportedPaths()) {
            const DecoderKernels& k = GetDecoderKernels(path);
            reference.upsampleH2V1(a.data() + 1, width, expected.data());
            k.upsampleH2V1(a.data() + 1, width, actual.data());
            ASSERT_EQ(actual, expected) << "h2v1 width " << width << " " << japi2::KernelPathName(path);
            reference.upsampleH2V2(a.data() + 1, b.data() + 1, width, expected.data());
            k.upsampleH2V2(a.data() + 1, b.data() + 1, width, actual.data());
            ASSERT_EQ(actual, expected) << "h2v2 width " << width << " " << japi2::KernelPathName(path);
            reference.yccToBgr(y.data(), cb.data(), cr.data(), 2 * width, expected.data());
            k.yccToBgr(y.data(), cb.data(), cr.data(), 2 * width, actual.data());
            ASSERT_EQ(actual, expected) << "bgr width " << 2 * width << " " << japi2::KernelPathName(path);
            reference.yccToBgra(y.data(), cb.data(), cr.data(), 2 * width, expected.data());
            k.yccToBgra(y.data(), cb.data(), cr.data(), 2 * width, actual.data());
            ASSERT_EQ(actual, expected) << "bgra width " << 2 * width << " " << japi2::KernelPathName(path);
        }
    }
}

}  // namespace
}  // namespace mjpeg
