#include "testworld/camera/TestPicture.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "components/japi2/testing/CameraPicture.h"

namespace camera {
namespace {

using filterkit::FrameLayout;
using filterkit::PixelFormat;

constexpr uint8_t kWhite[3] = {255, 255, 255};
constexpr uint8_t kBlack[3] = {0, 0, 0};
constexpr uint8_t kGrey[3] = {128, 128, 128};

// One logical row of `w` blue-green-red pixels, written out in the target format.
void WriteRow(const uint8_t* bgr, size_t w, PixelFormat format, uint8_t* out) {
    switch (format) {
        case PixelFormat::Rgb32:
            for (size_t x = 0; x < w; ++x) {
                std::memcpy(out + 4 * x, bgr + 3 * x, 3);
                out[4 * x + 3] = 0xFF;
            }
            break;
        case PixelFormat::Rgb24:
            std::memcpy(out, bgr, 3 * w);
            break;
        case PixelFormat::Yuy2:
            for (size_t x = 0; x + 1 < w; x += 2) filterkit::RgbToYuy2(bgr + 3 * x, bgr + 3 * x + 3, out + 2 * x);
            break;
    }
}

void WriteFlatRow(const uint8_t colour[3], size_t w, PixelFormat format, uint8_t* out) {
    std::vector<uint8_t> row(3 * w);
    for (size_t x = 0; x < w; ++x) std::memcpy(&row[3 * x], colour, 3);
    WriteRow(row.data(), w, format, out);
}

// How far the scene pans: a quarter of the frame's width, even, at least 2 pixels.
int PanSpan(int width) { return width >= 8 ? (width / 4) & ~1 : 2; }

// The scene between the bands: a camera-like picture a quarter wider than the frame,
// already in the frame's format, so that a frame is a window of it copied row by row.
struct Scene {
    PixelFormat format;
    int width;  // of the frame
    int rows;
    std::vector<uint8_t> pixels;  // rows of width + PanSpan(width) pixels
    size_t RowBytes() const {
        return static_cast<size_t>(width + PanSpan(width)) * static_cast<size_t>(filterkit::BytesPerPixel(format));
    }
};

std::shared_ptr<const Scene> SceneFor(PixelFormat format, int width, int rows) {
    // One scene is kept: a camera streams one format at a time.
    static std::mutex lock;
    static std::shared_ptr<const Scene> kept;
    std::lock_guard<std::mutex> hold(lock);
    if (kept && kept->format == format && kept->width == width && kept->rows == rows) return kept;
    auto scene = std::make_shared<Scene>();
    scene->format = format;
    scene->width = width;
    scene->rows = rows;
    scene->pixels.resize(scene->RowBytes() * static_cast<size_t>(rows));
    const int sceneWidth = width + PanSpan(width);
    const japi2::testing::Picture picture = japi2::testing::MakeCameraPicture(sceneWidth, rows);
    for (int y = 0; y < rows; ++y)
        WriteRow(picture.Row(y), static_cast<size_t>(sceneWidth), format, scene->pixels.data() + y * scene->RowBytes());
    kept = std::move(scene);
    return kept;
}

// The scene pans across its extra width and back, 2 pixels a frame (even, so that a YUY2
// pair is never split).
size_t PanOffset(uint32_t frame, int width) {
    const auto span = static_cast<uint32_t>(PanSpan(width));
    const uint32_t position = static_cast<uint32_t>((2ull * frame) % (2u * span));
    return position <= span ? position : 2u * span - position;
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
    const size_t width = static_cast<size_t>(w);

    std::vector<uint8_t> top(stride, 0), counter(stride, 0), bottom(stride, 0);
    WriteFlatRow(kWhite, width, layout.format, top.data());
    std::vector<uint8_t> counterBgr(3 * width);
    for (int x = 0; x < w; ++x) {
        const int bit = cell ? x / cell : 32;
        const uint8_t* colour = bit < 32 ? (((frame >> (31 - bit)) & 1u) ? kWhite : kBlack) : kGrey;
        std::memcpy(&counterBgr[3 * x], colour, 3);
    }
    WriteRow(counterBgr.data(), width, layout.format, counter.data());
    WriteFlatRow(kBlack, width, layout.format, bottom.data());

    const int sceneRows = h - 3 * band;
    std::shared_ptr<const Scene> scene = sceneRows > 0 ? SceneFor(layout.format, w, sceneRows) : nullptr;
    const size_t pan = PanOffset(frame, w) * static_cast<size_t>(filterkit::BytesPerPixel(layout.format));
    const size_t visibleBytes = width * static_cast<size_t>(filterkit::BytesPerPixel(layout.format));
    for (int y = 0; y < h; ++y) {
        uint8_t* out = dst + static_cast<size_t>(layout.topDown ? y : h - 1 - y) * stride;
        if (y < band)
            std::memcpy(out, top.data(), stride);
        else if (y < 2 * band)
            std::memcpy(out, counter.data(), stride);
        else if (y >= h - band)
            std::memcpy(out, bottom.data(), stride);
        else {
            std::memcpy(out, scene->pixels.data() + static_cast<size_t>(y - 2 * band) * scene->RowBytes() + pan,
                        visibleBytes);
            std::memset(out + visibleBytes, 0, stride - visibleBytes);
        }
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
