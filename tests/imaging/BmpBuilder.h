#pragma once
// Builds BMP files in memory for the tests: a 14-byte file header, a 40-byte information
// header and bottom-up rows whose pixel (x, y from the top) comes from a function.
#include <cstdint>
#include <functional>
#include <vector>

namespace imaging_test {

struct Bgr {
    uint8_t b, g, r;
};

inline void Put16(std::vector<uint8_t>& v, size_t at, uint32_t value) {
    v[at] = static_cast<uint8_t>(value);
    v[at + 1] = static_cast<uint8_t>(value >> 8);
}
inline void Put32(std::vector<uint8_t>& v, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline std::vector<uint8_t> MakeBmpFile(int width, int height, int bitCount,
                                        const std::function<Bgr(int x, int y)>& pixel) {
    const size_t stride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    const size_t bits = 14 + 40;
    std::vector<uint8_t> file(bits + stride * height, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, static_cast<uint32_t>(file.size()));
    Put32(file, 10, static_cast<uint32_t>(bits));
    Put32(file, 14, 40);
    Put32(file, 18, static_cast<uint32_t>(width));
    Put32(file, 22, static_cast<uint32_t>(height));
    Put16(file, 26, 1);
    Put16(file, 28, static_cast<uint32_t>(bitCount));
    for (int row = 0; row < height; ++row) {  // row 0 in memory is the bottom row
        uint8_t* p = file.data() + bits + stride * row;
        for (int x = 0; x < width; ++x) {
            const Bgr c = pixel(x, height - 1 - row);
            uint8_t* px = p + x * (bitCount / 8);
            px[0] = c.b;
            px[1] = c.g;
            px[2] = c.r;
            if (bitCount == 32) px[3] = 0x5A;
        }
    }
    return file;
}

// A pattern where every pixel tells its position.
inline Bgr PositionPixel(int x, int y) {
    return {static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x * 7 + y * 13)};
}

}  // namespace imaging_test
