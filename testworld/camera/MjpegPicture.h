#pragma once
// The test picture as an MJPEG camera sends it: every frame one baseline JPEG, made by our
// own encoder core. No Windows header.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace camera {

// Room for one MJPEG frame of a width x height picture: the picture at 3 bytes a pixel and
// the headers (a camera picture's JPEG takes a fraction of it).
size_t MjpegFrameBound(int width, int height);

class MjpegPicture {
public:
    static constexpr int kQuality = 85;
    // Frame `frame` of the test picture as a JPEG in dst; its size in bytes, or 0 when the
    // size is not a picture's or the JPEG does not fit in `capacity`.
    size_t Render(int width, int height, uint32_t frame, uint8_t* dst, size_t capacity);

private:
    std::vector<uint8_t> m_picture;  // the frame in 24-bit pixels, top row first
};

}  // namespace camera
