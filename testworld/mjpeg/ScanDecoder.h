#pragma once
// Entropy decoding of the scan, one row of MCUs at a time, each block dequantised and turned
// into samples right away. Restart markers are checked and honoured.
#include <cstddef>
#include <cstdint>

#include "testworld/mjpeg/BitReader.h"
#include "testworld/mjpeg/ComponentRows.h"
#include "testworld/mjpeg/DecoderKernels.h"
#include "testworld/mjpeg/HuffmanTable.h"
#include "testworld/mjpeg/JpegHeader.h"

namespace mjpeg {

class ScanDecoder {
public:
    ScanDecoder(const FrameHeader& header, const uint8_t* data, size_t size, const DecoderKernels& kernels);

    int McusPerRow() const { return m_mcusPerRow; }
    int McuRows() const { return m_mcuRows; }
    // Decodes MCU row `mcuRow` (rows are decoded in order) into `rows`.
    DecodeError DecodeMcuRow(int mcuRow, ComponentRows& rows);

private:
    struct Component {
        HuffmanTable dc, ac;
        int32_t quant[64];  // zig-zag order
        int32_t predictor = 0;
        int h = 1, v = 1;
    };
    enum class BlockKind { Invalid, DcOnly, Full };
    // Into m_block, natural order, dequantised.
    BlockKind DecodeBlock(BitReader& bits, Component& c);

    const DecoderKernels& m_kernels;
    BitReader m_bits;
    Component m_components[3];
    int m_componentCount = 0;
    int m_mcusPerRow = 0, m_mcuRows = 0;
    int m_restartInterval = 0;
    int m_mcusToRestart = 0;
    int m_nextRestart = 0;
    alignas(16) int16_t m_block[64] = {};  // all zero between blocks
};

}  // namespace mjpeg
