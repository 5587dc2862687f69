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
void BuildHuffmanCodes(const HuffmanSpec& table, HuffmanCodes& out);

class EntropyCoder {
public:
    // 64 coefficients of up to 10 + 16 bits each, every byte possibly stuffed, plus the
    // eight bytes a spill may write ahead.
    static constexpr size_t kMaxBlockBytes = 64 * 27 / 8 * 2 + 32;

    void Reset(uint8_t* out) {
        m_out = out;
        m_bits = 0;
        m_free = 64;
    }
    uint8_t* Position() const { return m_out; }
    void Rebase(uint8_t* out) { m_out = out; }

    // `coefficients` as the DCT kernel stores them (see EncoderKernels.h); `nonZero` bit k
    // is set when the k-th coefficient in zig-zag order is not zero; `predictor` is the
    // previous DC of the component and receives this one.
    void EncodeBlock(const int16_t* coefficients, uint64_t nonZero, int& predictor, const HuffmanCodes& dc,
                     const HuffmanCodes& ac);
    // Pads the last byte with one bits (as the format asks before a marker).
    void Flush();

private:
    uint8_t* m_out = nullptr;
    uint64_t m_bits = 0;  // pending bits in the low (64 - m_free) bits, oldest highest
    int m_free = 64;      // 1..64
};

}  // namespace japi2
