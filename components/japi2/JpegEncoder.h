#pragma once
// Streaming baseline JPEG (JFIF) encoder: 8-bit YCbCr with 4:2:0 chroma subsampling and the
// standard Huffman tables. Rows arrive one at a time, top row first, in blue-green-red
// order; only one row of 16-pixel-high blocks is buffered.
//
// Contract:
//  - Start writes the headers. Width and height 1..65535 are encoded; right and bottom
//    edges are padded by repeating the last column and row.
//  - An empty picture (width or height 0) is accepted, but nothing at all is written: the
//    output stays empty, since the format cannot describe a picture without rows.
//  - Rows beyond the height are ignored. Finish encodes rows that never arrived as copies
//    of the last row received (black when none was), so the output is always a complete
//    picture of the announced size, and writes the end marker.
//  - Output goes through the write function in pieces of about 64 KiB. Once it reports
//    failure nothing more is written and every later call returns false.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/japi2/EncoderKernels.h"
#include "components/japi2/EntropyCoder.h"

namespace japi2 {

class JpegEncoder {
public:
    using WriteFunction = bool (*)(void* context, const uint8_t* data, size_t size);
    static constexpr int kMaxDimension = 65535;

    // False (and nothing written) for a negative or too large size or a null writer.
    bool Start(int width, int height, int quality, WriteFunction write, void* context,
               KernelPath kernels = KernelPath::Auto);
    // `bgr` holds width * 3 bytes. False only after a failed write or outside Start..Finish.
    bool AddRow(const uint8_t* bgr);
    bool Finish();


private:
    bool Fail();
    void StoreRow(const uint8_t* bgr);
    void CompleteChromaRow(const uint8_t* top, const uint8_t* bottom);
    void EncodeMcuRow();
    bool EnsureRoom(size_t bytes);
    bool FlushOutput();
    void WriteHeaders();
    void PutBytes(const uint8_t* data, size_t size);
    void PutMarker(uint8_t marker, uint16_t length);

    enum class State { Idle, Encoding, Empty, Failed };
    State m_state = State::Idle;
    WriteFunction m_write = nullptr;
    void* m_context = nullptr;
    const EncoderKernels* m_kernels = nullptr;

    int m_width = 0, m_height = 0;
    int m_paddedWidth = 0;   // multiple of 16
    int m_chromaWidth = 0;   // m_paddedWidth / 2
    int m_rowsReceived = 0;  // rows taken, at most m_height
    int m_mcuRowLines = 0;   // luma rows in the current block row, 0..16

    std::vector<uint8_t> m_rows[2];  // the last two rows, one pixel wider for odd widths
    std::vector<uint8_t> m_y, m_cb, m_cr;  // one block row: 16 luma and 8 chroma lines

    uint8_t m_quant[2][64];
    alignas(16) float m_divisors[2][64];
    HuffmanCodes m_codes[4];
    int m_predictor[3] = {0, 0, 0};
    EntropyCoder m_coder;

    std::vector<uint8_t> m_out;
    size_t m_outUsed = 0;
};

}  // namespace japi2
