#include "components/japi2/EntropyCoder.h"

#include <cstring>

#include "components/japi2/EncoderKernels.h"

namespace japi2 {
namespace {

// The bit writer of one block, kept in registers while the block is coded.
class BitWriter {
public:
    BitWriter(uint8_t* out, uint64_t bits, int free) : m_out(out), m_bits(bits), m_free(free) {}

    // `length` 1..32, `bits` holds exactly `length` significant bits.
    __attribute__((always_inline)) void Put(uint32_t bits, int length) {
        if (length < m_free) {
            m_bits = (m_bits << length) | bits;
            m_free -= length;
            return;
        }
        const int overflow = length - m_free;
        // m_free is 1..63 here (length <= 32 < 64 when m_free is 64).
        const uint64_t full = (m_bits << m_free) | (static_cast<uint64_t>(bits) >> overflow);
        Spill(full);
        m_bits = bits;  // only the low `overflow` bits still count
        m_free = 64 - overflow;
    }

    void FlushBytes() {
        int count = 64 - m_free;
        const int pad = (8 - (count & 7)) & 7;
        uint64_t bits = (m_bits << pad) | ((1u << pad) - 1);
        count += pad;
        while (count >= 8) {
            count -= 8;
            EmitByte(static_cast<uint8_t>(bits >> count));
        }
        m_bits = 0;
        m_free = 64;
    }

    uint8_t* out() const { return m_out; }
    uint64_t bits() const { return m_bits; }
    int free() const { return m_free; }

private:
    __attribute__((always_inline)) void Spill(uint64_t full) {
        // Fast path: no 0xFF byte among the eight, so no stuffing.
        const uint64_t inv = ~full;
        if (((inv - 0x0101010101010101ull) & ~inv & 0x8080808080808080ull) == 0) {
            const uint64_t bigEndian = __builtin_bswap64(full);
            std::memcpy(m_out, &bigEndian, 8);
            m_out += 8;
            return;
        }
        for (int shift = 56; shift >= 0; shift -= 8) EmitByte(static_cast<uint8_t>(full >> shift));
    }
    void EmitByte(uint8_t b) {
        *m_out++ = b;
        if (b == 0xFF) *m_out++ = 0;
    }

    uint8_t* m_out;
    uint64_t m_bits;
    int m_free;
};

inline int BitLength(uint32_t magnitude) { return magnitude ? 32 - __builtin_clz(magnitude) : 0; }

}  // namespace

void BuildHuffmanCodes(const HuffmanSpec& table, HuffmanCodes& out) {
    std::memset(&out, 0, sizeof out);
    uint32_t code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < table.counts[length - 1] && k < table.symbolCount; ++i, ++k) {
            out.code[table.symbols[k]] = static_cast<uint16_t>(code++);
            out.length[table.symbols[k]] = static_cast<uint8_t>(length);
        }
        code <<= 1;
    }
}

void EntropyCoder::EncodeBlock(const int16_t* coefficients, uint64_t nonZero, int& predictor, const HuffmanCodes& dc,
                               const HuffmanCodes& ac) {
    BitWriter w(m_out, m_bits, m_free);

    const int diff = coefficients[0] - predictor;
    predictor = coefficients[0];
    {
        // For a negative value the format stores value - 1 in `size` bits.
        const int sign = diff >> 31;
        const int size = BitLength(static_cast<uint32_t>((diff ^ sign) - sign));
        const uint32_t value = static_cast<uint32_t>(diff + sign) & ((1u << size) - 1);
        w.Put((static_cast<uint32_t>(dc.code[size]) << size) | value, dc.length[size] + size);
    }

    nonZero &= ~1ull;
    int last = 0;
    while (nonZero) {
        const int k = __builtin_ctzll(nonZero);
        nonZero &= nonZero - 1;
        int run = k - last - 1;
        last = k;
        if (__builtin_expect(run >= 16, 0)) {
            do {
                w.Put(ac.code[0xF0], ac.length[0xF0]);
                run -= 16;
            } while (run >= 16);
        }
        const int v = coefficients[kZigZagTransposed[k]];
        const int sign = v >> 31;
        const int size = BitLength(static_cast<uint32_t>((v ^ sign) - sign));
        const uint32_t value = static_cast<uint32_t>(v + sign) & ((1u << size) - 1);
        const int symbol = (run << 4) | size;
        w.Put((static_cast<uint32_t>(ac.code[symbol]) << size) | value, ac.length[symbol] + size);
    }
    if (last != 63) w.Put(ac.code[0x00], ac.length[0x00]);

    m_out = w.out();
    m_bits = w.bits();
    m_free = w.free();
}

void EntropyCoder::Flush() {
    BitWriter w(m_out, m_bits, m_free);
    w.FlushBytes();
    m_out = w.out();
    m_bits = 0;
    m_free = 64;
}

}  // namespace japi2
