// Frame layouts and the conversion to 32-bit bottom-up pixels, for every format and any size
// a bitmap header can state. Frames the layout accepts are converted up to 64 Ki pixels (so
// 16384 x 4 as well as 256 x 256); larger ones only have their layout checked.
//
// Input: width and height (int32 each, as the header holds them); a byte whose bits 0-1 pick
// the format and bit 2 the source (the virtual camera's test picture, else the bytes after
// the header, repeated); a byte each cutting the source and the target short (by 1 + bits
// 3-7 when bits 0-2 are all set); the test picture's frame number (uint32); pixel bytes.
// No read past the source nor write past the target (AddressSanitizer watches), a refusal
// writes nothing, and what is written is opaque, in the right row order, and carries the
// test picture's counter and orientation.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "testworld/camera/TestPicture.h"
#include "components/filterkit/VideoFrame.h"

using namespace filterkit;

namespace {

constexpr size_t kHeaderBytes = 15;
constexpr uint64_t kMaxPixels = 1u << 16;
constexpr int64_t kMaxDimension = 16384;
constexpr uint8_t kUntouched = 0xA5;

void Check(bool condition) {
    if (!condition) std::abort();
}

int32_t Get32(const uint8_t* in) {
    uint32_t value;
    std::memcpy(&value, in, 4);
    return static_cast<int32_t>(value);
}

size_t ShortBy(uint8_t byte) { return (byte & 7) == 7 ? 1 + (byte >> 3) : 0; }

// The first pixel of the pair or pixel at `x` of a source row, as 32-bit pixels.
void SourcePixel(const FrameLayout& layout, const uint8_t* row, size_t x, uint8_t out[4]) {
    if (layout.format == PixelFormat::Yuy2) {
        uint8_t pair[2][4];
        Yuy2ToBgra(row + 2 * (x & ~size_t(1)), pair[0], pair[1]);
        std::memcpy(out, pair[x & 1], 4);
        return;
    }
    const size_t bytes = static_cast<size_t>(BytesPerPixel(layout.format));
    std::memcpy(out, row + x * bytes, 3);
    out[3] = 0xFF;
}

void CheckLayout(PixelFormat format, int32_t width, int32_t height, bool made, const FrameLayout& layout) {
    const int64_t w = width, h = height;
    const bool sane = w >= 1 && w <= kMaxDimension && h != 0 && h >= -kMaxDimension && h <= kMaxDimension &&
                      (format != PixelFormat::Yuy2 || w % 2 == 0);
    Check(made == sane);
    if (!made) return;
    Check(layout.format == format && layout.width == w && layout.height == (h < 0 ? -h : h));
    Check(layout.topDown == (format == PixelFormat::Yuy2 || h < 0));
    const size_t packed = static_cast<size_t>(w) * BytesPerPixel(format), stride = RowStride(layout);
    Check(stride % 4 == 0 && stride >= packed && stride < packed + 4);
    Check(FrameBytes(layout) == stride * static_cast<size_t>(layout.height));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) return 0;
    const int32_t width = Get32(data), height = Get32(data + 4);
    const auto format = static_cast<PixelFormat>((data[8] & 3) % 3);
    const bool testPicture = data[8] & 4;
    const size_t srcShort = ShortBy(data[9]), dstShort = ShortBy(data[10]);
    const auto frame = static_cast<uint32_t>(Get32(data + 11));
    data += kHeaderBytes;
    size -= kHeaderBytes;

    FrameLayout layout;
    const bool made = MakeFrameLayout(format, width, height, layout);
    CheckLayout(format, width, height, made, layout);
    if (!made) return 0;
    const size_t w = static_cast<size_t>(layout.width), h = static_cast<size_t>(layout.height);
    if (static_cast<uint64_t>(w) * h > kMaxPixels) return 0;

    const size_t frameBytes = FrameBytes(layout);
    std::vector<uint8_t> src(frameBytes);
    if (testPicture) {
        Check(camera::RenderTestPicture(layout, frame, src.data(), src.size()));
    } else {
        for (size_t i = 0; i < src.size(); ++i) src[i] = size ? data[i % size] : 0;
    }
    // A block of exactly the bytes handed over, so that a read past them leaves the allocation.
    src = std::vector<uint8_t>(src.begin(), src.end() - static_cast<std::ptrdiff_t>(std::min(frameBytes, srcShort)));
    std::vector<uint8_t> dst(w * h * 4 - std::min(w * h * 4, dstShort), kUntouched);

    const bool converted = ConvertToBottomUpRgb32(src.data(), src.size(), layout, dst.data(), dst.size());
    Check(converted == (srcShort == 0 && dstShort == 0));
    if (!converted) {
        Check(std::all_of(dst.begin(), dst.end(), [](uint8_t b) { return b == kUntouched; }));
        return 0;
    }
    for (size_t i = 3; i < dst.size(); i += 4) Check(dst[i] == 0xFF);
    // Output row r (from the bottom) starts and ends with the pixels of the source row that
    // shows the same picture row.
    const size_t stride = RowStride(layout);
    for (size_t r = 0; r < h; ++r) {
        const uint8_t* row = src.data() + (layout.topDown ? h - 1 - r : r) * stride;
        for (const size_t x : {size_t(0), w - 1}) {
            uint8_t expected[4];
            SourcePixel(layout, row, x, expected);
            Check(std::memcmp(dst.data() + (r * w + x) * 4, expected, 4) == 0);
        }
    }
    if (testPicture) {
        const int iw = layout.width, ih = layout.height;
        if (camera::TestPictureBand(ih) > 0) Check(camera::HasTestPictureOrientation(dst.data(), iw, ih, 2));
        uint32_t counter = 0;
        const bool read = camera::ReadFrameCounter(dst.data(), iw, ih, counter);
        Check(read == (camera::TestPictureBand(ih) > 0 && camera::CounterCellWidth(iw) > 0));
        Check(!read || counter == frame);
    }
    return 0;
}
