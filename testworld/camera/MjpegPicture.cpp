#include "testworld/camera/MjpegPicture.h"

#include <cstring>

#include "testworld/camera/TestPicture.h"
#include "components/japi2/JpegEncoder.h"

namespace camera {
namespace {

struct Output {
    uint8_t* dst;
    size_t capacity;
    size_t used;
};

bool Write(void* context, const uint8_t* data, size_t size) {
    auto* out = static_cast<Output*>(context);
    if (size > out->capacity - out->used) return false;
    std::memcpy(out->dst + out->used, data, size);
    out->used += size;
    return true;
}

}  // namespace

size_t MjpegFrameBound(int width, int height) {
    return width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) * 3 + 4096 : 0;
}

size_t MjpegPicture::Render(int width, int height, uint32_t frame, uint8_t* dst, size_t capacity) {
    filterkit::FrameLayout layout;
    // A negative height: the rows top first, as the encoder takes them.
    if (!dst || !filterkit::MakeFrameLayout(filterkit::PixelFormat::Rgb24, width, -height, layout)) return 0;
    m_picture.resize(filterkit::FrameBytes(layout));
    if (!RenderTestPicture(layout, frame, m_picture.data(), m_picture.size())) return 0;

    Output out{dst, capacity, 0};
    japi2::JpegEncoder encoder;
    if (!encoder.Start(width, height, kQuality, &Write, &out)) return 0;
    const size_t stride = filterkit::RowStride(layout);
    for (int y = 0; y < height; ++y)
        if (!encoder.AddRow(m_picture.data() + static_cast<size_t>(y) * stride)) return 0;
    return encoder.Finish() ? out.used : 0;
}

}  // namespace camera
