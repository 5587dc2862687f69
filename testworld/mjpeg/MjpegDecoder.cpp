#include "testworld/mjpeg/MjpegDecoder.h"

#include <cstdint>
#include <memory>

#include "testworld/mjpeg/ComponentRows.h"
#include "testworld/mjpeg/DecoderKernels.h"
#include "testworld/mjpeg/JpegHeader.h"
#include "testworld/mjpeg/PictureWriter.h"
#include "testworld/mjpeg/ScanDecoder.h"

namespace mjpeg {

const char* DecodeErrorName(DecodeError error) {
    switch (error) {
    case DecodeError::None: return "none";
    case DecodeError::NotJpeg: return "not a JPEG stream";
    case DecodeError::Truncated: return "data ends too early";
    case DecodeError::CorruptHeader: return "corrupt header segment";
    case DecodeError::UnsupportedProcess: return "not baseline sequential Huffman coding";
    case DecodeError::UnsupportedPrecision: return "not 8-bit samples";
    case DecodeError::UnsupportedLayout: return "unsupported components or scan";
    case DecodeError::UnsupportedSampling: return "unsupported chroma sampling";
    case DecodeError::EmptyPicture: return "picture without pixels";
    case DecodeError::TooLarge: return "picture too large";
    case DecodeError::BadTableId: return "table number out of range";
    case DecodeError::MissingTable: return "table not defined";
    case DecodeError::BadHuffmanTable: return "invalid Huffman table";
    case DecodeError::ComponentMismatch: return "scan components differ from the frame's";
    case DecodeError::MissingScan: return "no scan before end of image";
    case DecodeError::CorruptData: return "corrupt compressed data";
    case DecodeError::BufferTooSmall: return "output buffer too small";
    }
    return "?";
}

int BytesPerPixel(PixelFormat format) { return format == PixelFormat::Bgra32 ? 4 : 3; }

size_t RequiredSize(int width, int height, PixelFormat format, size_t stride) {
    if (width <= 0 || height <= 0) return 0;
    const size_t row = static_cast<size_t>(width) * BytesPerPixel(format);
    if (stride < row) return 0;
    if (height > 1 && stride > (SIZE_MAX - row) / static_cast<size_t>(height - 1)) return 0;
    return static_cast<size_t>(height - 1) * stride + row;
}

DecodeResult ReadJpegInfo(const uint8_t* data, size_t size) {
    DecodeResult result;
    FrameHeader header;
    result.error = data ? ReadFrameHeader(data, size, header) : DecodeError::NotJpeg;
    result.info = header.info;
    return result;
}

DecodeResult Decode(const uint8_t* data, size_t size, const OutputImage& out, japi2::KernelPath path) {
    DecodeResult result;
    FrameHeader header;
    result.error = data ? ReadFrameHeader(data, size, header) : DecodeError::NotJpeg;
    result.info = header.info;
    if (!result.Ok()) return result;
    const JpegInfo& info = header.info;
    const size_t needed = RequiredSize(info.width, info.height, out.format, out.stride);
    if (!out.data || needed == 0 || out.size < needed) {
        result.error = DecodeError::BufferTooSmall;
        return result;
    }

    const DecoderKernels& kernels = GetDecoderKernels(path);
    const auto scan = std::make_unique<ScanDecoder>(header, data, size, kernels);  // tables: too big for a stack
    ComponentRows rows;
    int blocksWide[3], blocksHigh[3];
    for (int c = 0; c < header.componentCount; ++c) {
        blocksWide[c] = header.components[c].h;
        blocksHigh[c] = header.components[c].v;
    }
    rows.Allocate(header.componentCount, scan->McusPerRow(), blocksWide, blocksHigh);
    PictureWriter writer(header, out, kernels);
    // Each MCU row is written once the next is decoded: 4:2:0 upsampling reads across.
    for (int row = 0; row < scan->McuRows(); ++row) {
        result.error = scan->DecodeMcuRow(row, rows);
        if (!result.Ok()) return result;
        writer.PrepareEdges(row, rows);
        if (row > 0) writer.WriteMcuRow(row - 1, rows);
    }
    writer.WriteMcuRow(scan->McuRows() - 1, rows);
    return result;
}

}  // namespace mjpeg
