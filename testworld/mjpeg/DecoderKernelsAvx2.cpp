// The kernels built for AVX2 (this file alone gets -mavx2; see CMakeLists.txt). Used only
// when the processor reports AVX2.
#include "testworld/mjpeg/DecoderKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace mjpeg {
namespace kernels_avx2 {
#include "testworld/mjpeg/DecoderKernelsBody.inc"
}  // namespace kernels_avx2
}  // namespace mjpeg
