#include "imaging/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace imaging {
namespace {

constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;

// The source pixels and their weights (summing to kWeightOne) of each target pixel along one axis.
struct Taps {
    std::vector<int> first;   // first source index of target pixel i
    std::vector<int> count;   // how many
    std::vector<int32_t> weights;  // count[i] weights from offset[i]
    std::vector<size_t> offset;
};

Taps MakeTaps(int sourceSize, int targetSize) {
    Taps taps;
    const double ratio = static_cast<double>(sourceSize) / targetSize;
    const double radius = std::max(1.0, ratio);
    std::vector<double> raw;
    for (int i = 0; i < targetSize; ++i) {
        const double centre = (i + 0.5) * ratio - 0.5;
        const int low = static_cast<int>(std::floor(centre - radius)) + 1;
        const int high = static_cast<int>(std::floor(centre + radius));
        raw.clear();
        double sum = 0;
        for (int j = low; j <= high; ++j) {
            const double w = std::max(0.0, 1.0 - std::fabs(j - centre) / radius);
            raw.push_back(w);
            sum += w;
        }
        // Source pixels beyond the edges are the edge pixels: their weights go to them.
        const int first = std::clamp(low, 0, sourceSize - 1);
        const int last = std::clamp(high, 0, sourceSize - 1);
        taps.first.push_back(first);
        taps.count.push_back(last - first + 1);
        taps.offset.push_back(taps.weights.size());
        const size_t base = taps.weights.size();
        taps.weights.resize(base + static_cast<size_t>(last - first + 1), 0);
        int32_t given = 0;
        size_t heaviest = base;
        for (int j = low; j <= high; ++j) {
            const size_t at = base + static_cast<size_t>(std::clamp(j, 0, sourceSize - 1) - first);
            const int32_t w = static_cast<int32_t>(std::lround(raw[static_cast<size_t>(j - low)] / sum * kWeightOne));
            taps.weights[at] += w;
            given += w;
            if (taps.weights[at] > taps.weights[heaviest]) heaviest = at;
        }
        taps.weights[heaviest] += kWeightOne - given;  // rounding left over: the weights sum to one
    }
    return taps;
}

template <typename Pixels>
bool Valid(const Pixels& p) {
    return p.pixels && p.width > 0 && p.height > 0 && p.stride / 4 >= static_cast<size_t>(p.width);
}

}  // namespace

bool Resample(const PixelView& source, const PixelRect& target) {
    if (!Valid(source) || !Valid(target)) return false;
    if (source.width == target.width && source.height == target.height) {
        for (int y = 0; y < source.height; ++y)
            std::memcpy(target.pixels + y * target.stride, source.pixels + y * source.stride,
                        static_cast<size_t>(source.width) * 4);
        return true;
    }
    const Taps across = MakeTaps(source.width, target.width);
    const Taps down = MakeTaps(source.height, target.height);

    // Rows resized across first, kept at the weights' precision.
    const size_t rowValues = static_cast<size_t>(target.width) * 4;
    std::vector<int32_t> rows(rowValues * static_cast<size_t>(source.height));
    for (int y = 0; y < source.height; ++y) {
        const uint8_t* in = source.pixels + y * source.stride;
        int32_t* out = rows.data() + static_cast<size_t>(y) * rowValues;
        for (int x = 0; x < target.width; ++x) {
            const int32_t* w = across.weights.data() + across.offset[static_cast<size_t>(x)];
            const uint8_t* p = in + static_cast<size_t>(across.first[static_cast<size_t>(x)]) * 4;
            int32_t sum[4] = {};
            for (int k = 0; k < across.count[static_cast<size_t>(x)]; ++k, p += 4)
                for (int c = 0; c < 4; ++c) sum[c] += w[k] * p[c];
            for (int c = 0; c < 4; ++c) out[x * 4 + c] = sum[c];
        }
    }
    constexpr int64_t kHalf = int64_t{1} << (2 * kWeightBits - 1);
    for (int y = 0; y < target.height; ++y) {
        const int32_t* w = down.weights.data() + down.offset[static_cast<size_t>(y)];
        const int first = down.first[static_cast<size_t>(y)];
        uint8_t* out = target.pixels + y * target.stride;
        for (size_t v = 0; v < rowValues; ++v) {
            int64_t sum = 0;
            for (int k = 0; k < down.count[static_cast<size_t>(y)]; ++k)
                sum += int64_t{w[k]} * rows[static_cast<size_t>(first + k) * rowValues + v];
            out[v] = static_cast<uint8_t>(std::clamp<int64_t>((sum + kHalf) >> (2 * kWeightBits), 0, 255));
        }
    }
    return true;
}

}  // namespace imaging
