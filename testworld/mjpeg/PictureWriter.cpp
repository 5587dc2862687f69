#include "testworld/mjpeg/PictureWriter.h"

#include <cstring>

namespace mjpeg {

PictureWriter::PictureWriter(const FrameHeader& header, const OutputImage& out, const DecoderKernels& kernels)
    : m_kernels(kernels),
      m_out(out),
      m_sampling(header.info.sampling),
      m_width(header.info.width),
      m_height(header.info.height),
      m_rgb(header.info.rgb) {
    const bool halfWidth = m_sampling == Sampling::YCbCr422 || m_sampling == Sampling::YCbCr420;
    const bool halfHeight = m_sampling == Sampling::YCbCr420 || m_sampling == Sampling::YCbCr440;
    m_mcuHeight = 8 * header.components[0].v;
    m_chromaWidth = halfWidth ? (m_width + 1) / 2 : m_width;
    m_chromaHeight = halfHeight ? (m_height + 1) / 2 : m_height;
    m_interpolate = m_chromaWidth > 2;
    if (halfWidth || halfHeight) {
        m_cb.resize(static_cast<size_t>(m_chromaWidth) * 2);
        m_cr.resize(static_cast<size_t>(m_chromaWidth) * 2);
    }
}

void PictureWriter::PrepareEdges(int mcuRow, ComponentRows& rows) const {
    if (m_sampling != Sampling::YCbCr422 && m_sampling != Sampling::YCbCr420) return;
    for (int c = 1; c < 3; ++c) {
        const int first = mcuRow * rows.RowsPerMcuRow(c);
        for (int row = first; row < first + rows.RowsPerMcuRow(c); ++row) {
            uint8_t* samples = rows.Row(c, row);
            samples[-1] = samples[0];
            std::memset(samples + m_chromaWidth, samples[m_chromaWidth - 1], ComponentRows::kMargin);
        }
    }
}

void PictureWriter::UpsampleRow(int y, int c, ComponentRows& rows, uint8_t* out) const {
    const bool halfHeight = m_sampling == Sampling::YCbCr420 || m_sampling == Sampling::YCbCr440;
    const int nearRow = halfHeight ? y / 2 : y;
    const uint8_t* nearSamples = rows.Row(c, nearRow);
    // The other neighbour: above for even picture rows, below for odd ones; the edge rows
    // stand in for the rows beyond them.
    int farRow = y % 2 ? nearRow + 1 : nearRow - 1;
    farRow = farRow < 0 ? 0 : (farRow >= m_chromaHeight ? m_chromaHeight - 1 : farRow);
    if (m_sampling == Sampling::YCbCr440) {
        // Interpolated at any width, as libjpeg-turbo does: 3/4 nearer + 1/4 farther, the
        // rounding alternating between the two output rows.
        const uint8_t* farSamples = rows.Row(c, farRow);
        const int bias = y % 2 ? 2 : 1;
        for (int x = 0; x < m_width; ++x) out[x] = static_cast<uint8_t>((nearSamples[x] * 3 + farSamples[x] + bias) >> 2);
        return;
    }
    if (!m_interpolate) {
        for (int x = 0; x < m_width; ++x) out[x] = nearSamples[x / 2];
        return;
    }
    if (m_sampling == Sampling::YCbCr422) {
        m_kernels.upsampleH2V1(nearSamples, m_chromaWidth, out);
        return;
    }
    m_kernels.upsampleH2V2(nearSamples, rows.Row(c, farRow), m_chromaWidth, out);
}

void PictureWriter::WriteRgb(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint8_t* out) const {
    const bool bgra = m_out.format == PixelFormat::Bgra32;
    const int bytes = bgra ? 4 : 3;
    for (int x = 0; x < m_width; ++x, out += bytes) {
        out[0] = blue[x];
        out[1] = green[x];
        out[2] = red[x];
        if (bgra) out[3] = 255;
    }
}

uint8_t* PictureWriter::OutputRow(int y) const {
    const int bufferRow = m_out.bottomUp ? m_height - 1 - y : y;
    return m_out.data + static_cast<size_t>(bufferRow) * m_out.stride;
}

void PictureWriter::WriteMcuRow(int mcuRow, ComponentRows& rows) {
    const bool bgra = m_out.format == PixelFormat::Bgra32;
    const int first = mcuRow * m_mcuHeight;
    const int end = first + m_mcuHeight < m_height ? first + m_mcuHeight : m_height;
    for (int y = first; y < end; ++y) {
        const uint8_t* luma = rows.Row(0, y);
        uint8_t* out = OutputRow(y);
        if (m_sampling == Sampling::Grey) {
            const int bytes = bgra ? 4 : 3;
            for (int x = 0; x < m_width; ++x, out += bytes) {
                out[0] = out[1] = out[2] = luma[x];
                if (bgra) out[3] = 255;
            }
            continue;
        }
        const uint8_t* cb = rows.Row(1, y);
        const uint8_t* cr = rows.Row(2, y);
        if (m_sampling != Sampling::YCbCr444) {
            UpsampleRow(y, 1, rows, m_cb.data());
            UpsampleRow(y, 2, rows, m_cr.data());
            cb = m_cb.data();
            cr = m_cr.data();
        }
        if (m_rgb)
            WriteRgb(luma, cb, cr, out);
        else
            (bgra ? m_kernels.yccToBgra : m_kernels.yccToBgr)(luma, cb, cr, m_width, out);
    }
}

}  // namespace mjpeg
