// The kernels for the build's baseline instruction set (SSE2 on x86-64).
#include "testworld/mjpeg/DecoderKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace mjpeg {
namespace kernels_portable {
#include "testworld/mjpeg/DecoderKernelsBody.inc"
}  // namespace kernels_portable
}  // namespace mjpeg
