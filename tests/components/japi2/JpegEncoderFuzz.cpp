// Fuzzes the encoder: a small header picks size, quality and row count, the rest is pixel
// data (repeated as needed). Every output must be a complete JPEG stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "components/japi2/JpegEncoder.h"

namespace {

bool Collect(void* context, const uint8_t* data, size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), data, data + size);
    return out->size() < (1u << 22);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const int width = 1 + ((data[0] | data[1] << 8) % 300);
    const int height = (data[2] | data[3] << 8) % 300;
    const int quality = data[4];
    const int rows = data[5] % 2 ? height : (data[5] % (height + 1));
    data += 6;
    size -= 6;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    std::vector<uint8_t> out;
    japi2::JpegEncoder encoder;
    const auto path = size % 2 ? japi2::KernelPath::Portable : japi2::KernelPath::Auto;
    if (!encoder.Start(width, height, quality, Collect, &out, path)) std::abort();
    size_t at = 0;
    for (int y = 0; y < rows + 2; ++y) {
        for (auto& b : row) b = size ? data[at++ % size] : 0;
        encoder.AddRow(row.data());
    }
    const bool finished = encoder.Finish();
    if (height == 0) {
        if (!out.empty() || !finished) std::abort();
    } else if (finished && (out.size() < 4 || out[0] != 0xFF || out[1] != 0xD8 ||
                            out[out.size() - 2] != 0xFF || out[out.size() - 1] != 0xD9)) {
        std::abort();
    }
    return 0;
}
