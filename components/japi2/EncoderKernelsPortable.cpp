// The kernels for the build's baseline instruction set (SSE2 on x86-64).
#include "components/japi2/EncoderKernels.h"

namespace japi2 {
namespace kernels_portable {
#include "components/japi2/EncoderKernelsBody.inc"
}  // namespace kernels_portable
}  // namespace japi2
