#pragma once
// Reading and writing of packed DIBs as BMP files carry them (14-byte file header, then a
// BITMAPINFOHEADER, colour table and pixel rows), without any Windows header, so it can be
// tested and fuzzed natively. Multi-byte fields are little-endian.
#include <cstddef>
#include <cstdint>

namespace imaging {

constexpr size_t kBmpFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

// The first 14 bytes of a file: at least 14 bytes and the type "BM".
bool IsBmpFileHeader(const uint8_t* data, size_t size);

// Colour count as the DIB buffer reports it: the colours-used field if not zero, else 2, 16
// or 256 for 1, 4 and 8 bits per pixel, else 0; truncated to 16 bits like the count itself.
uint16_t DibColorCount(const uint8_t* header);
uint16_t DibColorTableSize(const uint8_t* header);
// Offset of the first pixel row: header size field + colour-table size.
uint64_t DibBitsOffset(const uint8_t* header);
// The DIB's length up to the end of its last uncompressed row (bits offset + rows); only
// for a DIB that IsCompleteDib accepts.
uint64_t DibDataSize(const uint8_t* header);

// The 40-byte information header of a frame of 32-bit pixels, bottom-up: width x height,
// 1 plane, BI_RGB, image size width x height x 4, every other field 0.
void WriteFrameInfoHeader(int32_t width, int32_t height, uint8_t (&out)[kInfoHeaderSize]);
// The file header in front of a DIB of `dibSize` bytes whose rows start at `bitsOffset`:
// "BM", the file's whole size, two reserved words 0, the rows' offset in the file.
void WriteBmpFileHeader(uint64_t dibSize, uint64_t bitsOffset, uint8_t (&out)[kBmpFileHeaderSize]);

// What LoadBmpFile accepts after the file header: `size` bytes holding an information
// header of at least 40 bytes and, for uncompressed pixels, every row it announces.
bool IsCompleteDib(const uint8_t* dib, size_t size);

// The rows SaveJpeg hands over, checked against the data: a 40-byte (or larger) header,
// uncompressed, 24 or 32 bits per pixel, width 1..65535, height 0..65535 (bottom-up), and
// all rows inside `size`.
struct JpegSource {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    uint64_t bitsOffset = 0;
    uint64_t stride = 0;    // of the rows as stored
    uint64_t stride24 = 0;  // of the rows handed over (the 24-bit stride of the width)
};
bool PlanJpegSource(const uint8_t* dib, size_t size, JpegSource& out);

// 32-bit rows become 24-bit rows in place, row i at bits + i * stride24 (bottom row first,
// as stored); 24-bit rows are left as they are.
void ConvertTo24Bit(uint8_t* bits, const JpegSource& source);
// Row `topIndex` counted from the top of the picture, after ConvertTo24Bit.
inline const uint8_t* TopDownRow(const uint8_t* bits, const JpegSource& source, int topIndex) {
    return bits + static_cast<uint64_t>(source.height - 1 - topIndex) * source.stride24;
}

}  // namespace imaging
