#include "components/camera/TestPicture.h"

#include <cstring>
#include <vector>

namespace camera {
namespace {

using filterkit::FrameLayout;
using filterkit::PixelFormat;

struct Bgr {
    uint8_t b, g, r;
};
constexpr Bgr kWhite{255, 255, 255};
constexpr Bgr kBlack{0, 0, 0};
constexpr Bgr kGrey{128, 128, 128};
constexpr Bgr kBars[8] = {{255, 255, 255}, {0, 255, 255}, {255, 255, 0}, {0, 255, 0},
                          {255, 0, 255},   {0, 0, 255},   {255, 0, 0},   {0, 0, 0}};

// One logical row of pixels, written out in the target format.
void WriteRow(const std::vector<Bgr>& row, PixelFormat format, uint8_t* out) {
    const size_t w = row.size();
    switch (format) {
        case PixelFormat::Rgb32:
            for (size_t x = 0; x < w; ++x) {
                out[4 * x] = row[x].b;
                out[4 * x + 1] = row[x].g;
                out[4 * x + 2] = row[x].r;
                out[4 * x + 3] = 0xFF;
            }
            break;
        case PixelFormat::Rgb24:
            for (size_t x = 0; x < w; ++x) {
                out[3 * x] = row[x].b;
                out[3 * x + 1] = row[x].g;
                out[3 * x + 2] = row[x].r;
            }
            break;
        case PixelFormat::Yuy2:
            for (size_t x = 0; x + 1 < w; x += 2) {
                const uint8_t p0[3] = {row[x].b, row[x].g, row[x].r};
                const uint8_t p1[3] = {row[x + 1].b, row[x + 1].g, row[x + 1].r};
                filterkit::RgbToYuy2(p0, p1, out + 2 * x);
            }
            break;
    }
}

bool IsWhite(const uint8_t* p, int tolerance) {
    return p[0] >= 255 - tolerance && p[1] >= 255 - tolerance && p[2] >= 255 - tolerance;
}
bool IsBlack(const uint8_t* p, int tolerance) { return p[0] <= tolerance && p[1] <= tolerance && p[2] <= tolerance; }

}  // namespace

int TestPictureBand(int height) { return height >= 64 ? 8 : (height >= 8 ? height / 8 : 0); }

int CounterCellWidth(int width) { return (width / 32) & ~1; }

bool RenderTestPicture(const FrameLayout& layout, uint32_t frame, uint8_t* dst, size_t dstBytes) {
    const size_t stride = filterkit::RowStride(layout);
    const int w = layout.width, h = layout.height;
    if (!dst || w <= 0 || h <= 0 || dstBytes < stride * static_cast<size_t>(h)) return false;
    const int band = TestPictureBand(h);
    const int cell = CounterCellWidth(w);

    // The four distinct rows, drawn once and copied.
    std::vector<Bgr> row(static_cast<size_t>(w));
    std::vector<uint8_t> top(stride, 0), counter(stride, 0), bars(stride, 0), bottom(stride, 0);
    for (auto& p : row) p = kWhite;
    WriteRow(row, layout.format, top.data());
    for (int x = 0; x < w; ++x) {
        const int bit = cell ? x / cell : 32;
        row[x] = bit < 32 ? (((frame >> (31 - bit)) & 1u) ? kWhite : kBlack) : kGrey;
    }
    WriteRow(row, layout.format, counter.data());
    const int barWidth = w >= 8 ? w / 8 : 1;
    const int shift = static_cast<int>((frame * 8u) % static_cast<uint32_t>(w));
    for (int x = 0; x < w; ++x) {
        const int source = (x - shift + w) % w;
        row[x] = kBars[(source / barWidth) % 8];
    }
    WriteRow(row, layout.format, bars.data());
    for (auto& p : row) p = kBlack;
    WriteRow(row, layout.format, bottom.data());

    for (int y = 0; y < h; ++y) {
        const std::vector<uint8_t>& source =
            y < band ? top : (y < 2 * band ? counter : (y >= h - band ? bottom : bars));
        const int memoryRow = layout.topDown ? y : h - 1 - y;
        std::memcpy(dst + static_cast<size_t>(memoryRow) * stride, source.data(), stride);
    }
    return true;
}

bool ReadFrameCounter(const uint8_t* bgraBottomUp, int width, int height, uint32_t& counter) {
    const int band = TestPictureBand(height);
    const int cell = CounterCellWidth(width);
    if (!bgraBottomUp || band == 0 || cell == 0) return false;
    const int y = band + band / 2;  // middle of the counter band, from the top
    const uint8_t* line = bgraBottomUp + static_cast<size_t>(height - 1 - y) * width * 4;
    uint32_t value = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const uint8_t* p = line + static_cast<size_t>(bit * cell + cell / 2) * 4;
        if (IsWhite(p, 40))
            value = (value << 1) | 1u;
        else if (IsBlack(p, 40))
            value <<= 1;
        else
            return false;
    }
    counter = value;
    return true;
}

bool HasTestPictureOrientation(const uint8_t* bgraBottomUp, int width, int height, int tolerance) {
    if (!bgraBottomUp || width <= 0 || height <= 0) return false;
    const uint8_t* topRow = bgraBottomUp + static_cast<size_t>(height - 1) * width * 4;
    for (int x = 0; x < width; ++x) {
        if (!IsWhite(topRow + 4 * x, tolerance) || !IsBlack(bgraBottomUp + 4 * x, tolerance)) return false;
    }
    return true;
}

}  // namespace camera
