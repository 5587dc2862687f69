#include "components/japi2/EncoderKernels.h"

#include <cmath>

namespace japi2 {
namespace {

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace

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
