#include "components/filterkit/VideoFrame.h"

#include <algorithm>
#include <cstring>

namespace filterkit {
namespace {

constexpr int kMaxDimension = 16384;

uint8_t Clamp(int v) { return static_cast<uint8_t>(std::min(255, std::max(0, v))); }

// Integer BT.601 conversion, coefficients scaled by 256.
void YuvToBgra(int y, int u, int v, uint8_t out[4]) {
    const int c = y - 16, d = u - 128, e = v - 128;
    out[0] = Clamp((298 * c + 516 * d + 128) >> 8);
    out[1] = Clamp((298 * c - 100 * d - 208 * e + 128) >> 8);
    out[2] = Clamp((298 * c + 409 * e + 128) >> 8);
    out[3] = 0xFF;
}

}  // namespace

bool MakeFrameLayout(PixelFormat format, int32_t width, int32_t height, FrameLayout& out) {
    if (width <= 0 || width > kMaxDimension || height == 0 || height < -kMaxDimension ||
        height > kMaxDimension)
        return false;
    if (format == PixelFormat::Yuy2 && (width % 2) != 0) return false;
    out.format = format;
    out.width = width;
    out.height = height < 0 ? -height : height;
    out.topDown = format == PixelFormat::Yuy2 || height < 0;
    return true;
}

int BytesPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::Rgb32: return 4;
        case PixelFormat::Rgb24: return 3;
        case PixelFormat::Yuy2: return 2;
    }
    return 4;
}

size_t RowStride(const FrameLayout& layout) {
    const size_t bits = static_cast<size_t>(layout.width) * BytesPerPixel(layout.format) * 8;
    return ((bits + 31) / 32) * 4;
}

size_t FrameBytes(const FrameLayout& layout) { return RowStride(layout) * static_cast<size_t>(layout.height); }

bool ConvertToBottomUpRgb32(const uint8_t* src, size_t srcBytes, const FrameLayout& layout,
                            uint8_t* dst, size_t dstBytes) {
    if (layout.width <= 0 || layout.height <= 0) return false;
    const size_t w = static_cast<size_t>(layout.width);
    const size_t h = static_cast<size_t>(layout.height);
    const size_t stride = RowStride(layout);
    if (!src || !dst || srcBytes < stride * h || dstBytes < w * h * 4) return false;
    for (size_t row = 0; row < h; ++row) {
        // Destination row `row` counts from the bottom.
        const size_t srcRow = layout.topDown ? h - 1 - row : row;
        const uint8_t* s = src + srcRow * stride;
        uint8_t* d = dst + row * w * 4;
        switch (layout.format) {
            case PixelFormat::Rgb32:
                for (size_t x = 0; x < w; ++x) {
                    d[4 * x] = s[4 * x];
                    d[4 * x + 1] = s[4 * x + 1];
                    d[4 * x + 2] = s[4 * x + 2];
                    d[4 * x + 3] = 0xFF;
                }
                break;
            case PixelFormat::Rgb24:
                for (size_t x = 0; x < w; ++x) {
                    d[4 * x] = s[3 * x];
                    d[4 * x + 1] = s[3 * x + 1];
                    d[4 * x + 2] = s[3 * x + 2];
                    d[4 * x + 3] = 0xFF;
                }
                break;
            case PixelFormat::Yuy2:
                for (size_t x = 0; x + 1 < w; x += 2) Yuy2ToBgra(s + 2 * x, d + 4 * x, d + 4 * x + 4);
                break;
        }
    }
    return true;
}

void RgbToYuy2(const uint8_t bgr0[3], const uint8_t bgr1[3], uint8_t out[4]) {
    auto luma = [](const uint8_t* p) { return ((66 * p[2] + 129 * p[1] + 25 * p[0] + 128) >> 8) + 16; };
    const int b = (bgr0[0] + bgr1[0] + 1) / 2, g = (bgr0[1] + bgr1[1] + 1) / 2, r = (bgr0[2] + bgr1[2] + 1) / 2;
    out[0] = Clamp(luma(bgr0));
    out[1] = Clamp(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
    out[2] = Clamp(luma(bgr1));
    out[3] = Clamp(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

void Yuy2ToBgra(const uint8_t in[4], uint8_t out0[4], uint8_t out1[4]) {
    YuvToBgra(in[0], in[1], in[3], out0);
    YuvToBgra(in[2], in[1], in[3], out1);
}

}  // namespace filterkit
