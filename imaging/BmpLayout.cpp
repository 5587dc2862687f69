#include "imaging/BmpLayout.h"

#include <cstring>

namespace imaging {
namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

// Field offsets inside BITMAPINFOHEADER.
constexpr size_t kSize = 0, kWidth = 4, kHeight = 8, kBitCount = 14, kCompression = 16, kClrUsed = 32;
constexpr uint32_t kBiRgb = 0, kBiBitfields = 3;

uint64_t Stride(uint64_t width, uint32_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

}  // namespace

bool IsBmpFileHeader(const uint8_t* data, size_t size) {
    return size >= kBmpFileHeaderSize && U16(data) == 0x4D42;
}

uint16_t DibColorCount(const uint8_t* header) {
    const uint32_t used = U32(header + kClrUsed);
    if (used) return static_cast<uint16_t>(used);
    switch (U16(header + kBitCount)) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

uint16_t DibColorTableSize(const uint8_t* header) { return static_cast<uint16_t>(DibColorCount(header) * 4); }

uint64_t DibBitsOffset(const uint8_t* header) { return U32(header + kSize) + uint64_t{DibColorTableSize(header)}; }

bool IsCompleteDib(const uint8_t* dib, size_t size) {
    if (size < kInfoHeaderSize || U32(dib + kSize) < kInfoHeaderSize) return false;
    const uint32_t compression = U32(dib + kCompression);
    if (compression != kBiRgb && compression != kBiBitfields) return true;  // rows of unknown length
    const int64_t width = I32(dib + kWidth), height = I32(dib + kHeight);
    const uint32_t bitCount = U16(dib + kBitCount);
    if (width < 0 || bitCount == 0 || bitCount > 32) return false;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    return DibBitsOffset(dib) + Stride(static_cast<uint64_t>(width), bitCount) * rows <= size;
}

bool PlanJpegSource(const uint8_t* dib, size_t size, JpegSource& out) {
    if (size < kInfoHeaderSize || U32(dib + kSize) < kInfoHeaderSize || U32(dib + kCompression) != kBiRgb)
        return false;
    const int32_t width = I32(dib + kWidth), height = I32(dib + kHeight);
    const uint32_t bitCount = U16(dib + kBitCount);
    if (width < 1 || width > 65535 || height < 0 || height > 65535 || (bitCount != 24 && bitCount != 32))
        return false;
    JpegSource s;
    s.width = width;
    s.height = height;
    s.bitCount = static_cast<int>(bitCount);
    s.bitsOffset = DibBitsOffset(dib);
    s.stride = Stride(static_cast<uint64_t>(width), bitCount);
    s.stride24 = Stride(static_cast<uint64_t>(width), 24);
    if (s.bitsOffset > size || s.stride * static_cast<uint64_t>(height) > size - s.bitsOffset) return false;
    out = s;
    return true;
}

void ConvertTo24Bit(uint8_t* bits, const JpegSource& source) {
    if (source.bitCount != 32) return;
    // Row i moves down to i * stride24 <= i * stride, and within a row each pixel moves to a
    // lower address than it is read from, so reading ahead of writing keeps the data intact.
    for (int i = 0; i < source.height; ++i) {
        const uint8_t* from = bits + static_cast<uint64_t>(i) * source.stride;
        uint8_t* to = bits + static_cast<uint64_t>(i) * source.stride24;
        for (int x = 0; x < source.width; ++x) {
            const uint8_t b = from[4 * x], g = from[4 * x + 1], r = from[4 * x + 2];
            to[3 * x] = b;
            to[3 * x + 1] = g;
            to[3 * x + 2] = r;
        }
    }
}

}  // namespace imaging
