// The kernels for the build's baseline instruction set (SSE2 on x86-64).
#include "components/japi2/EncoderKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace japi2 {
namespace kernels_portable {
#include "components/japi2/EncoderKernelsBody.inc"
}  // namespace kernels_portable
}  // namespace japi2
