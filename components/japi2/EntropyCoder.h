#pragma once
// Baseline Huffman coding of quantised 8 x 8 blocks into a byte buffer, with 0xFF byte
// stuffing. The caller guarantees room: kMaxBlockBytes free bytes before each block.
#include <cstddef>
#include <cstdint>

#include "components/japi2/JpegTables.h"

namespace japi2 {

struct HuffmanCodes {
    uint16_t code[256];
    uint8_t length[256];  // 0: symbol not in the table
};
void BuildHuffmanCodes(const HuffmanSpec& spec, HuffmanCodes& out);

class EntropyCoder {
public:
    // 64 coefficients of up to 10 + 16 bits each, every byte possibly stuffed.
    static constexpr size_t kMaxBlockBytes = 64 * 27 / 8 * 2 + 16;

    void Reset(uint8_t* out) {
        m_out = out;
        m_bits = 0;
        m_count = 0;
    }
    uint8_t* Position() const { return m_out; }
    void Rebase(uint8_t* out) { m_out = out; }

    // `coefficients` in transposed natural order (see EncoderKernels.h); `predictor` is the
    // previous DC of the component and receives this block's DC.
    void EncodeBlock(const int16_t* coefficients, int& predictor, const HuffmanCodes& dc,
                     const HuffmanCodes& ac);
    // Pads the last byte with one bits (as the format asks before a marker).
    void Flush();

private:
    void Put(uint32_t bits, int length) {
        m_bits = (m_bits << length) | bits;
        m_count += length;
        if (m_count >= 32) Emit32();
    }
    void Emit32();
    void EmitByte(uint8_t b) {
        *m_out++ = b;
        if (b == 0xFF) *m_out++ = 0;
    }

    uint8_t* m_out = nullptr;
    uint64_t m_bits = 0;  // the low m_count bits are pending, oldest first
    int m_count = 0;      // below 32 between calls
};

}  // namespace japi2
