#pragma once
// Turns decoded MCU rows into picture rows of the output format: chroma upsampling, colour
// conversion and the row order of the output buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "testworld/mjpeg/ComponentRows.h"
#include "testworld/mjpeg/DecoderKernels.h"
#include "testworld/mjpeg/JpegHeader.h"

namespace mjpeg {

class PictureWriter {
public:
    // `out` must hold the picture (see RequiredSize).
    PictureWriter(const FrameHeader& header, const OutputImage& out, const DecoderKernels& kernels);

    // Copies the edge samples of the chroma rows of MCU row `mcuRow` into their margins, once
    // that row is decoded.
    void PrepareEdges(int mcuRow, ComponentRows& rows) const;
    // Writes the picture rows of MCU row `mcuRow`. With chroma at half height this reads the last
    // chroma row of the MCU row above and the first of the one below, when they exist.
    void WriteMcuRow(int mcuRow, ComponentRows& rows);

private:
    void UpsampleRow(int y, int component, ComponentRows& rows, uint8_t* out) const;
    void WriteRgb(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint8_t* out) const;
    uint8_t* OutputRow(int y) const;

    const DecoderKernels& m_kernels;
    OutputImage m_out;
    Sampling m_sampling;
    int m_width, m_height;
    bool m_rgb;
    int m_mcuHeight;
    int m_chromaWidth, m_chromaHeight;
    // libjpeg-turbo interpolates only chroma rows of 3 samples or more and doubles shorter ones.
    bool m_interpolate;
    std::vector<uint8_t> m_cb, m_cr;  // one upsampled chroma row each
};

}  // namespace mjpeg
