#include "components/japi2/EntropyCoder.h"

#include <cstring>

namespace japi2 {
namespace {

// Position of each zig-zag coefficient in the transposed natural order.
struct ZigZagTransposed {
    uint8_t index[64];
    ZigZagTransposed() {
        for (int k = 0; k < 64; ++k) {
            const int n = kZigZagToNatural[k];
            index[k] = static_cast<uint8_t>((n % 8) * 8 + n / 8);
        }
    }
};
const ZigZagTransposed kOrder;

inline int BitLength(uint32_t magnitude) { return magnitude ? 32 - __builtin_clz(magnitude) : 0; }

}  // namespace

void BuildHuffmanCodes(const HuffmanSpec& spec, HuffmanCodes& out) {
    std::memset(&out, 0, sizeof out);
    uint32_t code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < spec.counts[length - 1] && k < spec.symbolCount; ++i, ++k) {
            out.code[spec.symbols[k]] = static_cast<uint16_t>(code++);
            out.length[spec.symbols[k]] = static_cast<uint8_t>(length);
        }
        code <<= 1;
    }
}

void EntropyCoder::Emit32() {
    m_count -= 32;
    const uint32_t w = static_cast<uint32_t>(m_bits >> m_count);
    // Fast path: no 0xFF byte among the four, so no stuffing.
    const uint32_t inv = ~w;
    if (((inv - 0x01010101u) & ~inv & 0x80808080u) == 0) {
        m_out[0] = static_cast<uint8_t>(w >> 24);
        m_out[1] = static_cast<uint8_t>(w >> 16);
        m_out[2] = static_cast<uint8_t>(w >> 8);
        m_out[3] = static_cast<uint8_t>(w);
        m_out += 4;
    } else {
        EmitByte(static_cast<uint8_t>(w >> 24));
        EmitByte(static_cast<uint8_t>(w >> 16));
        EmitByte(static_cast<uint8_t>(w >> 8));
        EmitByte(static_cast<uint8_t>(w));
    }
}

void EntropyCoder::EncodeBlock(const int16_t* coefficients, int& predictor, const HuffmanCodes& dc,
                               const HuffmanCodes& ac) {
    int16_t zz[64];
    uint64_t nonzero = 0;
    for (int k = 0; k < 64; ++k) {
        zz[k] = coefficients[kOrder.index[k]];
        nonzero |= static_cast<uint64_t>(zz[k] != 0) << k;
    }

    const int diff = zz[0] - predictor;
    predictor = zz[0];
    {
        const uint32_t magnitude = static_cast<uint32_t>(diff < 0 ? -diff : diff);
        const int size = BitLength(magnitude);
        const uint32_t value = static_cast<uint32_t>(diff < 0 ? diff - 1 : diff) & ((1u << size) - 1);
        Put((static_cast<uint32_t>(dc.code[size]) << size) | value, dc.length[size] + size);
    }

    nonzero &= ~1ull;
    int last = 0;
    while (nonzero) {
        const int k = __builtin_ctzll(nonzero);
        nonzero &= nonzero - 1;
        int run = k - last - 1;
        while (run >= 16) {
            Put(ac.code[0xF0], ac.length[0xF0]);
            run -= 16;
        }
        const int v = zz[k];
        const uint32_t magnitude = static_cast<uint32_t>(v < 0 ? -v : v);
        const int size = BitLength(magnitude);
        const uint32_t value = static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((1u << size) - 1);
        const int symbol = (run << 4) | size;
        Put((static_cast<uint32_t>(ac.code[symbol]) << size) | value, ac.length[symbol] + size);
        last = k;
    }
    if (last != 63) Put(ac.code[0x00], ac.length[0x00]);
}

void EntropyCoder::Flush() {
    // Complete the last byte with one bits, then write out whole bytes.
    const int pad = (8 - (m_count & 7)) & 7;
    m_bits = (m_bits << pad) | ((1u << pad) - 1);
    m_count += pad;
    while (m_count >= 8) {
        m_count -= 8;
        EmitByte(static_cast<uint8_t>(m_bits >> m_count));
    }
    m_bits = 0;
    m_count = 0;
}

}  // namespace japi2
