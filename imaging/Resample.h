#pragma once
// Resizing of pictures of 4-byte pixels (each byte a channel; alpha or padding is resized
// like the others), for skins and thumbnails shown at another display scale. A triangle
// filter: bilinear when enlarging, and when reducing a weighted average over every source
// pixel that a target pixel covers, so that thin lines fade instead of vanishing.
// Platform-free.
#include <cstddef>
#include <cstdint>

namespace imaging {

// Pixels read: top row first, rows `stride` bytes apart (at least width * 4).
struct PixelView {
    const uint8_t* pixels;
    int width, height;
    size_t stride;
};
// Pixels written, laid out likewise.
struct PixelRect {
    uint8_t* pixels;
    int width, height;
    size_t stride;
};

// Fills `target` with `source` resized to the target's size. False, with nothing written,
// when either side is empty or a stride is shorter than its row.
bool Resample(const PixelView& source, const PixelRect& target);

}  // namespace imaging
