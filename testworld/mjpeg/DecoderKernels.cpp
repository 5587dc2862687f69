#include "testworld/mjpeg/DecoderKernels.h"

namespace mjpeg {

const DecoderKernels& GetDecoderKernels(KernelPath path) {
    if (path == KernelPath::Auto)
        path = japi2::KernelPathSupported(KernelPath::Avx2) ? KernelPath::Avx2 : KernelPath::Portable;
    if (path == KernelPath::Avx2 && japi2::KernelPathSupported(path)) return kernels_avx2::kKernels;
    if (path == KernelPath::Generic) return kernels_generic::kKernels;
    return kernels_portable::kKernels;
}

}  // namespace mjpeg
