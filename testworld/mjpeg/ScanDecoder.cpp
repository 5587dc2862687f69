#include "testworld/mjpeg/ScanDecoder.h"

#include <cstring>

#include "components/japi2/JpegTables.h"

namespace mjpeg {
namespace {

inline int16_t Saturate16(int64_t v) {
    return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

// The value of `size` extra bits: those starting with 0 stand for negative numbers.
inline int32_t Extend(uint32_t bits, int size) {
    const int32_t v = static_cast<int32_t>(bits);
    return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

// A symbol, or -1 for a code the table does not have. Needs 16 bits in the reader.
inline int DecodeSymbol(BitReader& bits, const HuffmanTable& table, uint32_t peek) {
    const uint16_t entry = table.lookup[peek >> (16 - HuffmanTable::kLookupBits)];
    if (entry) {
        bits.Skip(entry >> 8);
        return entry & 0xFF;
    }
    int length = HuffmanTable::kLookupBits + 1;
    while (peek >= table.limit[length]) ++length;
    if (length > 16) return -1;
    bits.Skip(length);
    return table.symbols[static_cast<int32_t>(peek >> (16 - length)) + table.offset[length]];
}

// What the inverse DCT gives for a block with only its DC coefficient, without running it.
inline void FillDcOnly(int16_t dc, uint8_t* out, size_t stride) {
    const int pass1 = 4 * dc < -32768 ? -32768 : (4 * dc > 32767 ? 32767 : 4 * dc);
    int sample = (pass1 * 8192 + (1 << 17)) >> 18;
    sample = (sample < -128 ? -128 : (sample > 127 ? 127 : sample)) + 128;
    for (int row = 0; row < 8; ++row) std::memset(out + row * stride, sample, 8);
}

}  // namespace

ScanDecoder::ScanDecoder(const FrameHeader& header, const uint8_t* data, size_t size, const DecoderKernels& kernels)
    : m_kernels(kernels),
      m_bits(data + header.scanStart, data + size),
      m_componentCount(header.componentCount),
      m_restartInterval(header.info.restartInterval),
      m_mcusToRestart(header.info.restartInterval) {
    int maxH = 1, maxV = 1;
    for (int i = 0; i < m_componentCount; ++i) {
        const FrameComponent& source = header.components[i];
        Component& c = m_components[i];
        c.dc.Build(header.huffman[0][source.dcTable], false);
        c.ac.Build(header.huffman[1][source.acTable], true);
        for (int k = 0; k < 64; ++k) c.quant[k] = header.quant[source.quantTable][k];
        c.h = source.h;
        c.v = source.v;
        maxH = c.h > maxH ? c.h : maxH;
        maxV = c.v > maxV ? c.v : maxV;
    }
    m_mcusPerRow = (header.info.width + 8 * maxH - 1) / (8 * maxH);
    m_mcuRows = (header.info.height + 8 * maxV - 1) / (8 * maxV);
}

ScanDecoder::BlockKind ScanDecoder::DecodeBlock(BitReader& bits, Component& c) {
    int16_t* const block = m_block;
    bits.Fill();
    const int category = DecodeSymbol(bits, c.dc, bits.Peek16());
    if (category < 0) return BlockKind::Invalid;
    const int32_t difference = category ? Extend(bits.Take(category), category) : 0;
    // Wraps rather than overflows on hostile streams; valid ones stay far inside.
    c.predictor = static_cast<int32_t>(static_cast<uint32_t>(c.predictor) + static_cast<uint32_t>(difference));
    block[0] = Saturate16(int64_t{c.predictor} * c.quant[0]);

    bool hasAc = false;
    const HuffmanTable& ac = c.ac;
    for (int k = 1; k < 64;) {
        bits.Fill();
        const uint32_t peek = bits.Peek16();
        const HuffmanTable::Coefficient fast = ac.coefficients[peek >> (16 - HuffmanTable::kLookupBits)];
        if (fast.length) {
            bits.Skip(fast.length);
            k += fast.run;
            if (k > 63) return BlockKind::Invalid;
            block[japi2::kZigZagToNatural[k]] = Saturate16(int32_t{fast.value} * c.quant[k]);
            ++k;
            hasAc = true;
            continue;
        }
        const int symbol = DecodeSymbol(bits, ac, peek);
        if (symbol < 0) return BlockKind::Invalid;
        const int run = symbol >> 4, size = symbol & 15;
        if (size == 0) {
            if (run != 15) break;  // end of block
            k += 16;
            continue;
        }
        k += run;
        if (k > 63) return BlockKind::Invalid;
        block[japi2::kZigZagToNatural[k]] = Saturate16(Extend(bits.Take(size), size) * c.quant[k]);
        ++k;
        hasAc = true;
    }
    return hasAc ? BlockKind::Full : BlockKind::DcOnly;
}

DecodeError ScanDecoder::DecodeMcuRow(int mcuRow, ComponentRows& rows) {
    BitReader bits = m_bits;  // a local copy stays in registers
    DecodeError error = DecodeError::None;
    for (int mcu = 0; mcu < m_mcusPerRow && error == DecodeError::None; ++mcu) {
        if (m_restartInterval) {
            if (m_mcusToRestart == 0) {
                if (bits.Overran()) {
                    error = DecodeError::Truncated;
                    break;
                }
                if (!bits.Restart(m_nextRestart)) {
                    error = bits.AtEnd() ? DecodeError::Truncated : DecodeError::CorruptData;
                    break;
                }
                m_nextRestart = (m_nextRestart + 1) & 7;
                for (Component& c : m_components) c.predictor = 0;
                m_mcusToRestart = m_restartInterval;
            }
            --m_mcusToRestart;
        }
        for (int i = 0; i < m_componentCount && error == DecodeError::None; ++i) {
            Component& c = m_components[i];
            const size_t stride = rows.Stride(i);
            for (int by = 0; by < c.v && error == DecodeError::None; ++by) {
                uint8_t* out = rows.Row(i, (mcuRow * c.v + by) * 8) + static_cast<size_t>(mcu) * c.h * 8;
                for (int bx = 0; bx < c.h; ++bx, out += 8) {
                    const BlockKind kind = DecodeBlock(bits, c);
                    if (kind == BlockKind::Invalid) {
                        error = DecodeError::CorruptData;
                        break;
                    }
                    if (kind == BlockKind::Full) {
                        m_kernels.inverseDct(m_block, out, static_cast<ptrdiff_t>(stride));
                        std::memset(m_block, 0, sizeof m_block);
                    } else {
                        FillDcOnly(m_block[0], out, stride);
                        m_block[0] = 0;
                    }
                }
            }
        }
        // Zero bits fed past the data decode as valid codes: only the count tells.
        if (bits.Overran()) error = DecodeError::Truncated;
    }
    m_bits = bits;
    return error;
}

}  // namespace mjpeg
