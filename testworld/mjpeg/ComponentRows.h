#pragma once
// Decoded samples of each component for the last three rows of MCUs: the scan decoder
// writes one MCU row while the picture writer still reads the one before, with the row
// above that as context for vertical chroma upsampling. Each sample row has a margin on
// both sides for the edge copies the upsamplers read.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mjpeg {

class ComponentRows {
public:
    static constexpr int kMargin = 32;
    static constexpr int kSlots = 3;

    // `blocksWide` and `blocksHigh` per MCU for each component.
    void Allocate(int componentCount, int mcusPerRow, const int blocksWide[], const int blocksHigh[]) {
        size_t total = 0;
        for (int c = 0; c < componentCount; ++c) {
            m_stride[c] = static_cast<size_t>(mcusPerRow) * blocksWide[c] * 8 + 2 * kMargin;
            m_rowsPerMcuRow[c] = blocksHigh[c] * 8;
            m_offset[c] = total;
            total += m_stride[c] * m_rowsPerMcuRow[c] * kSlots;
        }
        m_buffer.assign(total, 0);
    }
    size_t Stride(int c) const { return m_stride[c]; }
    // First sample of row `row` of component `c`, counted from the top of the picture; the
    // row must belong to one of the last three MCU rows.
    uint8_t* Row(int c, int row) {
        const int slot = (row / m_rowsPerMcuRow[c]) % kSlots;
        const size_t line = static_cast<size_t>(slot) * m_rowsPerMcuRow[c] + row % m_rowsPerMcuRow[c];
        return m_buffer.data() + m_offset[c] + line * m_stride[c] + kMargin;
    }
    int RowsPerMcuRow(int c) const { return m_rowsPerMcuRow[c]; }

private:
    std::vector<uint8_t> m_buffer;
    size_t m_stride[3] = {};
    size_t m_offset[3] = {};
    int m_rowsPerMcuRow[3] = {};
};

}  // namespace mjpeg
