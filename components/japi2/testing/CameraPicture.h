#pragma once
// Deterministic camera-like test pictures (smooth gradients, hard edges, fine texture and
// sensor noise), top row first, blue-green-red, width * 3 bytes per row.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace japi2::testing {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // rows top first, no padding
    const uint8_t* Row(int y) const { return bgr.data() + static_cast<std::size_t>(y) * width * 3; }
};

Picture MakeCameraPicture(int width, int height, uint32_t seed = 1);

// Peak signal-to-noise ratio over all three channels of two pictures of the same size.
double Psnr(const Picture& a, const Picture& b);

}  // namespace japi2::testing
