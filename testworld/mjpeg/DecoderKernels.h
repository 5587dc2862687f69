#pragma once
// The decoder's pixel kernels (inverse DCT, chroma upsampling, colour conversion), built
// once per instruction set from one body (DecoderKernelsBody.inc) and picked at run time
// with the encoder's switch, japi2::KernelPath. All arithmetic is integer and defined to the
// bit (32-bit sums wrap, every narrowing saturates), so every path gives the same bytes;
// for valid streams the results equal libjpeg-turbo's accurate integer DCT, its "fancy"
// (triangle) upsampling and its colour conversion.
#include <cstddef>
#include <cstdint>

#include "components/japi2/EncoderKernels.h"

namespace mjpeg {

using japi2::KernelPath;

struct DecoderKernels {
    // Inverse DCT of 64 dequantised coefficients in natural (row-major) order into 8 rows of
    // 8 samples. Pass 1 (columns) keeps 16 bits per value, pass 2 saturates to 0..255.
    void (*inverseDct)(const int16_t* coefficients, uint8_t* out, ptrdiff_t stride);
    // Doubles a chroma row of `width` samples horizontally (3/4 nearer + 1/4 farther).
    // Reads row[-1] and row[width], which must hold copies of the edge samples; writes
    // exactly 2 * width samples.
    void (*upsampleH2V1)(const uint8_t* row, int width, uint8_t* out);
    // The same for 2 x 2 subsampling: `nearRow` is the chroma row nearer to the output row,
    // `farRow` the other neighbour; both with edge copies at -1 and `width`.
    void (*upsampleH2V2)(const uint8_t* nearRow, const uint8_t* farRow, int width, uint8_t* out);
    // Full-size Y, Cb, Cr rows to `width` pixels blue-green-red (3 bytes) or
    // blue-green-red-alpha (4 bytes, alpha 255).
    void (*yccToBgr)(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, uint8_t* out);
    void (*yccToBgra)(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, uint8_t* out);
};

// The kernels of `path`; Auto picks the fastest supported one, an unsupported path falls
// back to Portable (as japi2::GetEncoderKernels does).
const DecoderKernels& GetDecoderKernels(KernelPath path);

namespace kernels_generic { extern const DecoderKernels kKernels; }
namespace kernels_portable { extern const DecoderKernels kKernels; }
namespace kernels_avx2 { extern const DecoderKernels kKernels; }

}  // namespace mjpeg
