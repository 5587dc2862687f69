// The kernels built for AVX2 (this file alone gets -mavx2; see CMakeLists.txt). Used only
// when the processor reports AVX2.
#include "components/japi2/EncoderKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace japi2 {
namespace kernels_avx2 {
#include "components/japi2/EncoderKernelsBody.inc"
}  // namespace kernels_avx2
}  // namespace japi2
