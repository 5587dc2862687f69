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
void Put16(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}
void Put32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Field offsets inside BITMAPINFOHEADER.
constexpr size_t kSize = 0, kWidth = 4, kHeight = 8, kPlanes = 12, kBitCount = 14, kCompression = 16,
                 kSizeImage = 20, kClrUsed = 32;
// Field offsets inside the file header.
constexpr size_t kFileType = 0, kFileSize = 2, kFileBitsOffset = 10;
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

uint64_t DibDataSize(const uint8_t* header) {
    const int64_t width = I32(header + kWidth), height = I32(header + kHeight);
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    return DibBitsOffset(header) + Stride(static_cast<uint64_t>(width < 0 ? 0 : width), U16(header + kBitCount)) * rows;
}

void WriteFrameInfoHeader(int32_t width, int32_t height, uint8_t (&out)[kInfoHeaderSize]) {
    std::memset(out, 0, sizeof out);
    Put32(out + kSize, kInfoHeaderSize);
    Put32(out + kWidth, static_cast<uint32_t>(width));
    Put32(out + kHeight, static_cast<uint32_t>(height));
    Put16(out + kPlanes, 1);
    Put16(out + kBitCount, 32);
    Put32(out + kCompression, kBiRgb);
    Put32(out + kSizeImage, static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4);
}

void WriteBmpFileHeader(uint64_t dibSize, uint64_t bitsOffset, uint8_t (&out)[kBmpFileHeaderSize]) {
    std::memset(out, 0, sizeof out);
    Put16(out + kFileType, 0x4D42);  // "BM"
    Put32(out + kFileSize, static_cast<uint32_t>(kBmpFileHeaderSize + dibSize));
    Put32(out + kFileBitsOffset, static_cast<uint32_t>(kBmpFileHeaderSize + bitsOffset));
}

bool IsCompleteDib(const uint8_t* dib, size_t size) {
    if (size < kInfoHeaderSize || U32(dib + kSize) < kInfoHeaderSize) return false;
    const uint32_t compression = U32(dib + kCompression);
    if (compression != kBiRgb && compression != kBiBitfields) return true;  // rows of unknown length
    const uint32_t bitCount = U16(dib + kBitCount);
    if (I32(dib + kWidth) < 0 || bitCount == 0 || bitCount > 32) return false;
    return DibDataSize(dib) <= size;
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
