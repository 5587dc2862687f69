// The kernels in plain C++ without vector intrinsics: the reference every other path must
// match bit for bit.
#include "testworld/mjpeg/DecoderKernels.h"

#define MJPEG_GENERIC_KERNELS 1

namespace mjpeg {
namespace kernels_generic {
#include "testworld/mjpeg/DecoderKernelsBody.inc"
}  // namespace kernels_generic
}  // namespace mjpeg
