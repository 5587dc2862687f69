#pragma once
// Layout of one uncompressed video frame as DirectShow carries it, and conversion of such a
// frame to 32-bit pixels. No Windows header: this is plain pixel work.
#include <cstddef>
#include <cstdint>

namespace filterkit {

enum class PixelFormat { Rgb32, Rgb24, Yuy2 };

struct FrameLayout {
    PixelFormat format = PixelFormat::Rgb32;
    int width = 0;
    int height = 0;        // always positive
    bool topDown = false;  // first row in memory is the top row
};

// Layout of a frame described by a bitmap header's width and signed height: RGB frames are
// bottom-up unless the height is negative, YUY2 frames are top-down whatever the sign.
// False for a zero or absurd size (more than 16384 in either direction).
bool MakeFrameLayout(PixelFormat format, int32_t width, int32_t height, FrameLayout& out);

int BytesPerPixel(PixelFormat format);  // 4, 3 or 2
// Row pitch in bytes: rows are padded to a multiple of 4 bytes.
size_t RowStride(const FrameLayout& layout);
size_t FrameBytes(const FrameLayout& layout);

// Writes the frame `src` as width x height 32-bit pixels (B, G, R, 0xFF), bottom row first,
// into `dst`. Returns false and writes nothing when `src` or `dst` is shorter than the
// layout needs.
bool ConvertToBottomUpRgb32(const uint8_t* src, size_t srcBytes, const FrameLayout& layout,
                            uint8_t* dst, size_t dstBytes);

// One YUY2 pair (Y0 U Y1 V) from two RGB pixels, and back (ITU-R BT.601, studio range).
void RgbToYuy2(const uint8_t bgr0[3], const uint8_t bgr1[3], uint8_t out[4]);
void Yuy2ToBgra(const uint8_t in[4], uint8_t out0[4], uint8_t out1[4]);

}  // namespace filterkit
