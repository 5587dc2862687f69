#include "components/japi2/EncoderKernels.h"


namespace japi2 {

const uint8_t kZigZagTransposed[64] = {
    0,  8,  1,  2,  9,  16, 24, 17, 10, 3,  4,  11, 18, 25, 32, 40, 33, 26, 19, 12, 5,  6,
    13, 20, 27, 34, 41, 48, 56, 49, 42, 35, 28, 21, 14, 7,  15, 22, 29, 36, 43, 50, 57, 58,
    51, 44, 37, 30, 23, 31, 38, 45, 52, 59, 60, 53, 46, 39, 47, 54, 61, 62, 55, 63};

namespace {

constexpr ZigZagMaskTable MakeMaskTable() {
    uint8_t zigzagOf[64] = {};
    const uint8_t order[64] = {
        0,  8,  1,  2,  9,  16, 24, 17, 10, 3,  4,  11, 18, 25, 32, 40, 33, 26, 19, 12, 5,  6,
        13, 20, 27, 34, 41, 48, 56, 49, 42, 35, 28, 21, 14, 7,  15, 22, 29, 36, 43, 50, 57, 58,
        51, 44, 37, 30, 23, 31, 38, 45, 52, 59, 60, 53, 46, 39, 47, 54, 61, 62, 55, 63};
    for (int k = 0; k < 64; ++k) zigzagOf[order[k]] = static_cast<uint8_t>(k);
    ZigZagMaskTable t{};
    for (int j = 0; j < 8; ++j)
        for (int pattern = 0; pattern < 256; ++pattern)
            for (int i = 0; i < 8; ++i)
                if (pattern & (1 << i)) t.bits[j][pattern] |= uint64_t{1} << zigzagOf[8 * j + i];
    return t;
}

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace

// Constant-initialised: no code runs for it at start-up.
constexpr ZigZagMaskTable kZigZagMaskFromStored = MakeMaskTable();

bool KernelPathSupported(KernelPath path) {
    if (path == KernelPath::Avx2) {
        static const bool has = CpuHasAvx2();
        return has;
    }
    return true;
}

const EncoderKernels& GetEncoderKernels(KernelPath path) {
    if (path == KernelPath::Auto) path = KernelPathSupported(KernelPath::Avx2) ? KernelPath::Avx2 : KernelPath::Portable;
    if (path == KernelPath::Avx2 && KernelPathSupported(path)) return kernels_avx2::kKernels;
    if (path == KernelPath::Generic) return kernels_generic::kKernels;
    return kernels_portable::kKernels;
}

const char* KernelPathName(KernelPath path) {
    switch (path) {
    case KernelPath::Auto: return "auto";
    case KernelPath::Generic: return "generic";
    case KernelPath::Portable: return "portable";
    case KernelPath::Avx2: return "avx2";
    }
    return "?";
}

void MakeDivisors(const uint8_t quant[64], float divisors[64]) {
    // The scaled DCT leaves each coefficient multiplied by s[u] * s[v] * 8, with s[0] = 1
    // and s[k] = cos(k * pi / 16) * sqrt(2).
    static const double kScale[8] = {1.0,         1.387039845, 1.306562965, 1.175875602,
                                     1.0,         0.785694958, 0.541196100, 0.275899379};
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v)
            divisors[v * 8 + u] = static_cast<float>(1.0 / (quant[u * 8 + v] * kScale[u] * kScale[v] * 8.0));
}

}  // namespace japi2
