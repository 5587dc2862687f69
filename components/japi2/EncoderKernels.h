#pragma once
// The encoder's pixel kernels (colour conversion, chroma subsampling, DCT and
// quantisation), built once per instruction set from the same source. Every path gives
// bit-identical results: the arithmetic is integer or plain IEEE float in a fixed order
// (no fused multiply-add, no reassociation), so only the width of the vectors differs.
#include <cstddef>
#include <cstdint>

namespace japi2 {

struct EncoderKernels {
    // Luma of `width` pixels in blue-green-red order.
    void (*convertLuma)(const uint8_t* bgr, int width, uint8_t* y);
    // Chroma of `pairs` 2 x 2 pixel groups from two rows (each 2 * pairs pixels wide):
    // the four pixels are summed first, then converted (box filter, rounded).
    void (*convertChroma)(const uint8_t* bgrTop, const uint8_t* bgrBottom, int pairs,
                          uint8_t* cb, uint8_t* cr);
    // Forward DCT of an 8 x 8 block of samples, quantised with `divisors` (from
    // MakeDivisors). The coefficients are stored transposed: index v * 8 + u holds vertical
    // frequency u and horizontal frequency v (kZigZagTransposed gives the zig-zag order).
    // Returns the mask of non-zero coefficients in zig-zag order (bit k for the k-th).
    uint64_t (*forwardDctQuantize)(const uint8_t* samples, ptrdiff_t stride, const float* divisors,
                                   int16_t* coefficients);
};

// Generic: plain C++; Portable: the build's baseline vectors (SSE2 on x86-64); Avx2.
// Stored (transposed) index of the k-th coefficient in zig-zag order.
extern const uint8_t kZigZagTransposed[64];
// Zig-zag mask bits of the stored coefficients 8j..8j+7, by their non-zero pattern.
struct ZigZagMaskTable {
    uint64_t bits[8][256];
};
extern const ZigZagMaskTable kZigZagMaskFromStored;

enum class KernelPath { Auto, Generic, Portable, Avx2 };

// Whether this machine (and build) can run `path`; Auto and Portable always can.
bool KernelPathSupported(KernelPath path);
// The kernels of `path`; Auto picks the fastest supported one, an unsupported path falls
// back to Portable.
const EncoderKernels& GetEncoderKernels(KernelPath path);
const char* KernelPathName(KernelPath path);

// Divisors in the layout forwardDctQuantize expects, from a quantisation table in natural
// order.
void MakeDivisors(const uint8_t quant[64], float divisors[64]);

namespace kernels_generic { extern const EncoderKernels kKernels; }
namespace kernels_portable { extern const EncoderKernels kKernels; }
namespace kernels_avx2 { extern const EncoderKernels kKernels; }

}  // namespace japi2
