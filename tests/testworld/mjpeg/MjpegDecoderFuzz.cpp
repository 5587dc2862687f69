// Fuzzes the decoder with whole streams. The first byte picks the output (format, row
// order, a stride with padding) and the kernel path; the rest is the stream. Pictures up
// to 1 Mi pixels are decoded, larger ones only have their headers read. Every result must
// be an error of the list or a picture, with no access out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "testworld/mjpeg/MjpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t options = data[0];
    ++data;
    --size;
    const mjpeg::DecodeResult info = mjpeg::ReadJpegInfo(data, size);
    if (!info.Ok()) {
        if (info.error == mjpeg::DecodeError::None || mjpeg::DecodeErrorName(info.error)[0] == '?') std::abort();
        return 0;
    }
    const int width = info.info.width, height = info.info.height;
    if (width < 1 || height < 1 || width > mjpeg::kMaxDimension || height > mjpeg::kMaxDimension) std::abort();
    if (int64_t{width} * height > (1 << 20)) return 0;

    mjpeg::OutputImage out;
    out.format = options & 1 ? mjpeg::PixelFormat::Bgra32 : mjpeg::PixelFormat::Bgr24;
    out.bottomUp = options & 2;
    out.stride = static_cast<size_t>(width) * mjpeg::BytesPerPixel(out.format) + ((options >> 2) & 7);
    // Exactly the size needed, so AddressSanitizer sees any write past it.
    std::vector<uint8_t> buffer(mjpeg::RequiredSize(width, height, out.format, out.stride));
    out.data = buffer.data();
    out.size = buffer.size();
    const japi2::KernelPath paths[] = {japi2::KernelPath::Auto, japi2::KernelPath::Generic,
                                       japi2::KernelPath::Portable, japi2::KernelPath::Avx2};
    const mjpeg::DecodeResult result = mjpeg::Decode(data, size, out, paths[(options >> 5) & 3]);
    if (result.info.width != width || result.info.height != height) std::abort();
    if (result.error == mjpeg::DecodeError::BufferTooSmall) std::abort();
    return 0;
}
