#pragma once
// The moving test picture of the virtual camera, and the readers tests use to check a
// snapshot of it. From the top:
//   rows [0, band)          white: the known top row, for orientation checks;
//   rows [band, 2 band)     the frame counter, 32 cells MSB first, white = 1, black = 0;
//   middle rows             a camera-like scene (gradients, shapes, texture, noise) a
//                           quarter wider than the frame, panned 2 pixels a frame and back;
//   rows [h - band, h)      black.
// band = 8 rows (fewer for pictures under 64 rows). No Windows header.
#include <cstddef>
#include <cstdint>

#include "components/filterkit/VideoFrame.h"

namespace camera {

int TestPictureBand(int height);
// Cell width of one counter bit; 0 when the picture is too narrow to carry the counter.
int CounterCellWidth(int width);

// Draws frame number `frame` into `dst` in the layout's format and row order. False when
// `dstBytes` is smaller than FrameBytes(layout).
bool RenderTestPicture(const filterkit::FrameLayout& layout, uint32_t frame, uint8_t* dst, size_t dstBytes);

// Readers of a 32-bit bottom-up picture (the effect filter's snapshot format).
// The counter, or false when the counter band is not clean black and white.
bool ReadFrameCounter(const uint8_t* bgraBottomUp, int width, int height, uint32_t& counter);
// True when the whole top row is white and the whole bottom row black (each channel
// within `tolerance`).
bool HasTestPictureOrientation(const uint8_t* bgraBottomUp, int width, int height, int tolerance);

}  // namespace camera
