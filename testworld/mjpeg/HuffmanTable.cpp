#include "testworld/mjpeg/HuffmanTable.h"

#include <cstring>

#include "components/japi2/JpegTables.h"

namespace mjpeg {
namespace {

HuffmanSpec FromEncoderTable(int which) {
    const japi2::HuffmanSpec& source = japi2::StandardHuffmanSpec(which);
    HuffmanSpec definition;
    std::memcpy(definition.counts, source.counts, sizeof definition.counts);
    std::memcpy(definition.symbols, source.symbols, static_cast<size_t>(source.symbolCount));
    definition.symbolCount = source.symbolCount;
    return definition;
}

}  // namespace

bool CodeLengthsFit(const uint8_t counts[16]) {
    uint32_t code = 0;
    for (int length = 1; length <= 16; ++length) {
        code += counts[length - 1];
        if (code >= (1u << length)) return false;
        code <<= 1;
    }
    return true;
}

const HuffmanSpec& StandardSpec(bool ac, int slot) {
    // The encoder's tables: 0 DC luminance, 1 AC luminance, 2 DC chrominance, 3 AC chrominance.
    static const HuffmanSpec kSpecs[4] = {FromEncoderTable(0), FromEncoderTable(1), FromEncoderTable(2),
                                          FromEncoderTable(3)};
    return kSpecs[(slot ? 2 : 0) + (ac ? 1 : 0)];
}

void HuffmanTable::Build(const HuffmanSpec& definition, bool ac) {
    std::memset(lookup, 0, sizeof lookup);
    std::memset(coefficients, 0, sizeof coefficients);
    std::memcpy(symbols, definition.symbols, sizeof symbols);

    uint32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = definition.counts[length - 1];
        offset[length] = index - static_cast<int32_t>(code);
        for (int i = 0; i < count; ++i, ++index, ++code) {
            if (length > kLookupBits) continue;
            const int shift = kLookupBits - length;
            for (uint32_t fill = code << shift; fill < (code + 1) << shift; ++fill)
                lookup[fill] = static_cast<uint16_t>(length << 8 | definition.symbols[index]);
        }
        limit[length] = code << (16 - length);
        code <<= 1;
    }
    limit[0] = 0;
    limit[17] = 0xFFFFFFFFu;
    offset[0] = 0;
    if (!ac) return;

    for (uint32_t bits = 0; bits < (1u << kLookupBits); ++bits) {
        const int length = lookup[bits] >> 8;
        const int run = (lookup[bits] & 0xFF) >> 4, size = lookup[bits] & 15;
        if (length == 0 || size == 0 || length + size > kLookupBits) continue;
        const int extra = static_cast<int>(bits >> (kLookupBits - length - size)) & ((1 << size) - 1);
        // Extra bits starting with 0 stand for negative values.
        const int value = extra < (1 << (size - 1)) ? extra - (1 << size) + 1 : extra;
        coefficients[bits] = {static_cast<int16_t>(value), static_cast<uint8_t>(run),
                              static_cast<uint8_t>(length + size)};
    }
}

}  // namespace mjpeg
