#pragma once
// Baseline JPEG decoder for the frames USB cameras send as MJPEG.
//
// Accepted: sequential Huffman-coded frames (start-of-frame 0 or 1) with 8-bit samples,
// either three components in one interleaved scan, or one grey component. The three are
// Y, Cb, Cr, or red, green, blue where libjpeg-turbo would take them so (an Adobe segment
// with transform 0 and no JFIF segment, or component numbers 'R', 'G', 'B'); luma at the
// largest sampling factors (1 to 4), both chroma components alike at the same or half of
// them in each direction: 4:4:4, 4:2:2, 4:2:0 and 4:4:0, whatever factors express them.
// Restart intervals, with bytes before a restart marker skipped as libjpeg-turbo skips them;
// frames without Huffman tables, which then use the standard ones for table slots 0 and 1
// as motion JPEG does; application and comment segments. Anything else is refused with its
// own error.
//
// Output equals libjpeg-turbo's with its defaults (accurate integer DCT, triangle chroma
// upsampling, which turns to sample doubling across chroma rows of at most 2 samples), on
// every kernel path, for what encoders write. It may differ where coefficients overflow 16
// bits: once dequantised (saturated here, kept by libjpeg-turbo) and inside the inverse DCT
// (whose first pass keeps 16 bits here, more there); no encoder writes such blocks.
//
// Limits: at most kMaxDimension pixels a side and kMaxPixels in all. Bad input of any kind
// ends in an error and never reads outside `data` nor writes outside the output buffer; a
// failed decode may have written part of the picture. Decoding stops after the first scan:
// the end-of-image marker is not required.
#include <cstddef>
#include <cstdint>

#include "components/japi2/EncoderKernels.h"

namespace mjpeg {

// The encoder's kernel switch serves the decoder too.
using japi2::KernelPath;

constexpr int kMaxDimension = 16384;
constexpr int64_t kMaxPixels = int64_t{1} << 26;  // 64 Mi pixels, 8192 x 8192

enum class DecodeError {
    None,
    NotJpeg,               // no start-of-image marker at the start
    Truncated,             // the data ends inside a header segment or before the scan's last block
    CorruptHeader,         // a segment whose length or fields cannot be right, or out of order
    UnsupportedProcess,    // progressive, lossless, hierarchical or arithmetic coding
    UnsupportedPrecision,  // samples of other than 8 bits
    UnsupportedLayout,     // neither 1 nor 3 components, or a scan without every component
    UnsupportedSampling,   // three components sampled other than 4:4:4, 4:2:2, 4:2:0 or 4:4:0
    EmptyPicture,          // width or height 0 (a height given later by a DNL segment included)
    TooLarge,              // above kMaxDimension or kMaxPixels
    BadTableId,            // a table number above 3
    MissingTable,          // a quantisation table, or a Huffman table in slot 2 or 3, never defined
    BadHuffmanTable,       // more codes than the code lengths allow, or a DC category above 15
    ComponentMismatch,     // the scan names components other than the frame's, in its order
    MissingScan,           // end of image before any scan
    CorruptData,           // an invalid Huffman code, a run past the end of a block, a wrong restart marker
    BufferTooSmall,        // the output buffer cannot hold the picture
};
const char* DecodeErrorName(DecodeError error);

// The chroma's share of the luma's samples: all, half the width, half the width and height,
// half the height.
enum class Sampling { Grey, YCbCr444, YCbCr422, YCbCr420, YCbCr440 };

struct JpegInfo {
    int width = 0;
    int height = 0;
    Sampling sampling = Sampling::YCbCr420;
    bool rgb = false;  // three components holding red, green and blue rather than Y, Cb, Cr
    int restartInterval = 0;  // in MCUs, 0 for none
};

struct DecodeResult {
    DecodeError error = DecodeError::None;
    JpegInfo info;  // filled as far as the headers were read
    bool Ok() const { return error == DecodeError::None; }
};

enum class PixelFormat { Bgr24, Bgra32 };  // alpha 255
int BytesPerPixel(PixelFormat format);

struct OutputImage {
    PixelFormat format = PixelFormat::Bgr24;
    uint8_t* data = nullptr;
    size_t size = 0;        // bytes at data
    size_t stride = 0;      // bytes from one buffer row to the next, at least width * BytesPerPixel
    bool bottomUp = false;  // the buffer's first row holds the picture's last row (DIB layout)
};

// Smallest OutputImage::size for a picture; 0 when the stride is below one row or the size
// does not fit a size_t.
size_t RequiredSize(int width, int height, PixelFormat format, size_t stride);

// Reads and checks every header up to the scan, so that a caller can size its buffer; an
// error here is the one Decode would give before decoding any block.
DecodeResult ReadJpegInfo(const uint8_t* data, size_t size);

DecodeResult Decode(const uint8_t* data, size_t size, const OutputImage& out, KernelPath path = KernelPath::Auto);

}  // namespace mjpeg
