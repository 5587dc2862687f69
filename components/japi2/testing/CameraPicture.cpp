#include "components/japi2/testing/CameraPicture.h"

#include <cmath>

namespace japi2::testing {
namespace {

uint32_t Next(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

uint8_t Clamp(double v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : std::lround(v))); }

}  // namespace

Picture MakeCameraPicture(int width, int height, uint32_t seed) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bgr.resize(static_cast<size_t>(width) * height * 3);
    uint32_t state = seed * 2654435761u + 1;
    const double w = width > 1 ? width - 1 : 1, h = height > 1 ? height - 1 : 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double fx = x / w, fy = y / h;
            // Sky-like gradient above, warmer "room" below, a window frame with hard edges,
            // a textured cloth patch, and a soft round object.
            double r = 90 + 120 * fx, g = 110 + 80 * (1 - fy), b = 160 - 90 * fy;
            if (fy > 0.55) { r = 150 - 40 * fx; g = 110 + 20 * fx; b = 70 + 30 * fy; }
            const bool frame = (std::fabs(fx - 0.33) < 0.012) || (std::fabs(fy - 0.3) < 0.015);
            if (frame) { r = 30; g = 28; b = 25; }
            if (fx > 0.6 && fx < 0.9 && fy > 0.6 && fy < 0.9) {
                const double t = 40 * std::sin(x * 0.9) * std::cos(y * 0.7);
                r = 60 + t; g = 90 + t; b = 150 + t;
            }
            const double dx = fx - 0.25, dy = fy - 0.7, d2 = dx * dx + dy * dy;
            if (d2 < 0.02) {
                const double shade = 1 - d2 / 0.02;
                r = 200 * shade + 40; g = 60 * shade + 30; b = 40 * shade + 20;
            }
            // Sensor noise, a little stronger in the dark.
            const double amplitude = 3.0 + 3.0 * (1 - (r + g + b) / 765.0);
            const double n = ((Next(state) & 1023) / 1023.0 - 0.5) * 2 * amplitude;
            const double nc = ((Next(state) & 1023) / 1023.0 - 0.5) * amplitude;
            uint8_t* px = p.bgr.data() + (static_cast<size_t>(y) * width + x) * 3;
            px[0] = Clamp(b + n - nc);
            px[1] = Clamp(g + n);
            px[2] = Clamp(r + n + nc);
        }
    }
    return p;
}

double Psnr(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.bgr.size() != b.bgr.size() || a.bgr.empty()) return 0;
    double sum = 0;
    for (size_t i = 0; i < a.bgr.size(); ++i) {
        const double d = double(a.bgr[i]) - double(b.bgr[i]);
        sum += d * d;
    }
    const double mse = sum / a.bgr.size();
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace japi2::testing
