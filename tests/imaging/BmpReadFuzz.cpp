// Fuzzes the reading of BMP data as LoadBmpFile and SaveJpeg do it, then encodes what is
// accepted: no read or write may leave the buffer (AddressSanitizer watches).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "components/japi2/JpegEncoder.h"
#include "imaging/BmpLayout.h"

namespace {

bool Discard(void*, const uint8_t*, size_t) { return true; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!imaging::IsBmpFileHeader(data, size)) return 0;
    // The buffer as LoadBmpFile fills it: everything after the file header, in a block of
    // exactly that size, so ASan sees any access beyond it.
    std::vector<uint8_t> dib(data + imaging::kBmpFileHeaderSize, data + size);
    if (!imaging::IsCompleteDib(dib.data(), dib.size())) return 0;
    (void)imaging::DibColorCount(dib.data());
    imaging::JpegSource source;
    if (!imaging::PlanJpegSource(dib.data(), dib.size(), source)) return 0;
    if (static_cast<uint64_t>(source.width) * source.height > (1u << 20)) return 0;
    uint8_t* bits = dib.data() + source.bitsOffset;
    imaging::ConvertTo24Bit(bits, source);
    japi2::JpegEncoder encoder;
    if (!encoder.Start(source.width, source.height, 93, Discard, nullptr)) return 0;
    for (int y = 0; y < source.height; ++y) encoder.AddRow(imaging::TopDownRow(bits, source, y));
    encoder.Finish();
    return 0;
}
