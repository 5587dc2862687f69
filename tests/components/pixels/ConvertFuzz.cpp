// Frame conversion on arbitrary bytes and sizes: never reads past the source nor writes
// past the target.
#include <cstdint>
#include <cstring>
#include <vector>

#include "components/filterkit/VideoFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    int32_t width, height;
    std::memcpy(&width, data, 4);
    std::memcpy(&height, data + 4, 4);
    const auto format = static_cast<filterkit::PixelFormat>(data[8] % 3);
    filterkit::FrameLayout layout;
    if (!filterkit::MakeFrameLayout(format, width % 512, height % 512, layout)) return 0;
    std::vector<uint8_t> src(data + 9, data + size);
    std::vector<uint8_t> dst(static_cast<size_t>(layout.width) * layout.height * 4);
    filterkit::ConvertToBottomUpRgb32(src.data(), src.size(), layout, dst.data(), dst.size());
    return 0;
}
