// The kernels in plain C++ without vector intrinsics: the reference every other path must
// match bit for bit, and the path of processors without SSE2.
#include "components/japi2/EncoderKernels.h"

#define JAPI2_GENERIC_KERNELS 1

namespace japi2 {
namespace kernels_generic {
#include "components/japi2/EncoderKernelsBody.inc"
}  // namespace kernels_generic
}  // namespace japi2
