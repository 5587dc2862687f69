#include "components/japi2/JpegEncoder.h"

#include <cstring>

namespace japi2 {
namespace {

constexpr size_t kOutputChunk = 64 * 1024;

}  // namespace

bool JpegEncoder::Start(int width, int height, int quality, WriteFunction write, void* context,
                        KernelPath kernels) {
    m_state = State::Idle;
    if (!write || width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension) return false;
    m_write = write;
    m_context = context;
    m_width = width;
    m_height = height;
    m_rowsReceived = 0;
    m_mcuRowLines = 0;
    m_predictor[0] = m_predictor[1] = m_predictor[2] = 0;
    if (width == 0 || height == 0) {
        m_state = State::Empty;
        return true;
    }
    m_kernels = &GetEncoderKernels(kernels);
    m_paddedWidth = (width + 15) & ~15;
    m_chromaWidth = m_paddedWidth / 2;
    const size_t rowBytes = (static_cast<size_t>(width) + 1) * 3;
    m_rows[0].assign(rowBytes, 0);
    m_rows[1].assign(rowBytes, 0);
    m_y.assign(static_cast<size_t>(m_paddedWidth) * 16, 0);
    m_cb.assign(static_cast<size_t>(m_chromaWidth) * 8, 0);
    m_cr.assign(static_cast<size_t>(m_chromaWidth) * 8, 0);

    for (int t = 0; t < 2; ++t) {
        ScaledQuantTable(quality, t, m_quant[t]);
        MakeDivisors(m_quant[t], m_divisors[t]);
    }
    for (int t = 0; t < 4; ++t) BuildHuffmanCodes(StandardHuffmanSpec(t), m_codes[t]);

    m_out.resize(kOutputChunk + 2 * EntropyCoder::kMaxBlockBytes);
    m_outUsed = 0;
    m_state = State::Encoding;
    WriteHeaders();
    m_coder.Reset(m_out.data() + m_outUsed);
    return true;
}

bool JpegEncoder::Fail() {
    m_state = State::Failed;
    return false;
}

bool JpegEncoder::AddRow(const uint8_t* bgr) {
    if (m_state == State::Empty) return true;
    if (m_state != State::Encoding || !bgr) return false;
    if (m_rowsReceived >= m_height) return true;
    StoreRow(bgr);
    return m_state == State::Encoding;
}

void JpegEncoder::StoreRow(const uint8_t* bgr) {
    const int index = m_rowsReceived;
    uint8_t* row = m_rows[index & 1].data();
    if (row != bgr) std::memcpy(row, bgr, static_cast<size_t>(m_width) * 3);
    if (m_width & 1) std::memcpy(row + m_width * 3, row + (m_width - 1) * 3, 3);

    uint8_t* y = m_y.data() + static_cast<size_t>(m_mcuRowLines) * m_paddedWidth;
    m_kernels->convertLuma(row, m_width, y);
    std::memset(y + m_width, y[m_width - 1], static_cast<size_t>(m_paddedWidth - m_width));
    ++m_mcuRowLines;
    ++m_rowsReceived;

    if (index & 1) CompleteChromaRow(m_rows[0].data(), row);
    else if (m_rowsReceived == m_height) CompleteChromaRow(row, row);
}

void JpegEncoder::CompleteChromaRow(const uint8_t* top, const uint8_t* bottom) {
    const size_t line = static_cast<size_t>((m_mcuRowLines - 1) / 2) * m_chromaWidth;
    const int pairs = (m_width + 1) / 2;
    uint8_t* cb = m_cb.data() + line;
    uint8_t* cr = m_cr.data() + line;
    m_kernels->convertChroma(top, bottom, pairs, cb, cr);
    std::memset(cb + pairs, cb[pairs - 1], static_cast<size_t>(m_chromaWidth - pairs));
    std::memset(cr + pairs, cr[pairs - 1], static_cast<size_t>(m_chromaWidth - pairs));

    const bool lastRow = m_rowsReceived == m_height;
    if (m_mcuRowLines < 16 && !lastRow) return;
    // Bottom edge: repeat the last luma and chroma lines through the block row.
    for (int l = m_mcuRowLines; l < 16; ++l)
        std::memcpy(&m_y[static_cast<size_t>(l) * m_paddedWidth], &m_y[static_cast<size_t>(l - 1) * m_paddedWidth],
                    m_paddedWidth);
    for (int l = (m_mcuRowLines + 1) / 2; l < 8; ++l) {
        std::memcpy(&m_cb[static_cast<size_t>(l) * m_chromaWidth], &m_cb[static_cast<size_t>(l - 1) * m_chromaWidth],
                    m_chromaWidth);
        std::memcpy(&m_cr[static_cast<size_t>(l) * m_chromaWidth], &m_cr[static_cast<size_t>(l - 1) * m_chromaWidth],
                    m_chromaWidth);
    }
    EncodeMcuRow();
    m_mcuRowLines = 0;
}

void JpegEncoder::EncodeMcuRow() {
    alignas(16) int16_t block[64];
    const EncoderKernels& k = *m_kernels;
    const ptrdiff_t ys = m_paddedWidth, cs = m_chromaWidth;
    for (int x = 0; x < m_paddedWidth; x += 16) {
        if (!EnsureRoom(6 * EntropyCoder::kMaxBlockBytes)) return;
        const uint8_t* y = m_y.data() + x;
        const uint8_t* offsets[4] = {y, y + 8, y + 8 * ys, y + 8 * ys + 8};
        for (const uint8_t* p : offsets) {
            const uint64_t nonZero = k.forwardDctQuantize(p, ys, m_divisors[0], block);
            m_coder.EncodeBlock(block, nonZero, m_predictor[0], m_codes[0], m_codes[1]);
        }
        uint64_t nonZero = k.forwardDctQuantize(m_cb.data() + x / 2, cs, m_divisors[1], block);
        m_coder.EncodeBlock(block, nonZero, m_predictor[1], m_codes[2], m_codes[3]);
        nonZero = k.forwardDctQuantize(m_cr.data() + x / 2, cs, m_divisors[1], block);
        m_coder.EncodeBlock(block, nonZero, m_predictor[2], m_codes[2], m_codes[3]);
    }
}

bool JpegEncoder::EnsureRoom(size_t bytes) {
    m_outUsed = static_cast<size_t>(m_coder.Position() - m_out.data());
    if (m_out.size() - m_outUsed >= bytes) return true;
    if (!FlushOutput()) return false;
    m_coder.Rebase(m_out.data());
    return true;
}

bool JpegEncoder::FlushOutput() {
    if (m_outUsed && !m_write(m_context, m_out.data(), m_outUsed)) return Fail();
    m_outUsed = 0;
    return true;
}

bool JpegEncoder::Finish() {
    if (m_state == State::Empty) {
        m_state = State::Idle;
        return true;
    }
    if (m_state != State::Encoding) return false;
    while (m_rowsReceived < m_height && m_state == State::Encoding) {
        if (m_rowsReceived == 0) {
            std::memset(m_rows[1].data(), 0, m_rows[1].size());
            StoreRow(m_rows[1].data());
        } else {
            // The other buffer is written, so the source stays intact during the copy.
            StoreRow(m_rows[(m_rowsReceived - 1) & 1].data());
        }
    }
    // Up to eight pending bytes, each possibly stuffed, and the end marker.
    if (m_state != State::Encoding || !EnsureRoom(32)) return false;
    m_coder.Flush();
    m_outUsed = static_cast<size_t>(m_coder.Position() - m_out.data());
    m_out[m_outUsed++] = 0xFF;
    m_out[m_outUsed++] = 0xD9;  // EOI
    if (!FlushOutput()) return false;
    m_state = State::Idle;
    return true;
}

void JpegEncoder::PutBytes(const uint8_t* data, size_t size) {
    std::memcpy(m_out.data() + m_outUsed, data, size);
    m_outUsed += size;
}

void JpegEncoder::PutMarker(uint8_t marker, uint16_t length) {
    const uint8_t bytes[4] = {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    PutBytes(bytes, length ? 4 : 2);
}

void JpegEncoder::WriteHeaders() {
    PutMarker(0xD8, 0);  // SOI
    // JFIF 1.01, no density unit, aspect 1:1, no thumbnail.
    PutMarker(0xE0, 16);
    const uint8_t jfif[14] = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    PutBytes(jfif, sizeof jfif);

    for (uint8_t t = 0; t < 2; ++t) {
        PutMarker(0xDB, 67);
        PutBytes(&t, 1);  // 8-bit entries, table t
        uint8_t zigzag[64];
        for (int k = 0; k < 64; ++k) zigzag[k] = m_quant[t][kZigZagToNatural[k]];
        PutBytes(zigzag, 64);
    }

    PutMarker(0xC0, 17);  // SOF0, baseline
    const uint8_t frame[15] = {8,
                               static_cast<uint8_t>(m_height >> 8), static_cast<uint8_t>(m_height),
                               static_cast<uint8_t>(m_width >> 8), static_cast<uint8_t>(m_width),
                               3,
                               1, 0x22, 0,   // Y: 2 x 2 sampling, table 0
                               2, 0x11, 1,   // Cb
                               3, 0x11, 1};  // Cr
    PutBytes(frame, sizeof frame);

    static const uint8_t kClassAndId[4] = {0x00, 0x10, 0x01, 0x11};
    for (int t = 0; t < 4; ++t) {
        const HuffmanSpec& table = StandardHuffmanSpec(t);
        PutMarker(0xC4, static_cast<uint16_t>(2 + 1 + 16 + table.symbolCount));
        PutBytes(&kClassAndId[t], 1);
        PutBytes(table.counts, 16);
        PutBytes(table.symbols, static_cast<size_t>(table.symbolCount));
    }

    PutMarker(0xDA, 12);  // SOS
    const uint8_t scan[10] = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
    PutBytes(scan, sizeof scan);
}

}  // namespace japi2
