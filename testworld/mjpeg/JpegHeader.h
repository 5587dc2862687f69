#pragma once
// The segments before the scan: frame, tables, restart interval and the scan header, read
// and checked into one structure the scan decoder works from.
#include <cstddef>
#include <cstdint>

#include "testworld/mjpeg/HuffmanTable.h"
#include "testworld/mjpeg/MjpegDecoder.h"

namespace mjpeg {

struct FrameComponent {
    uint8_t id = 0;
    int h = 1, v = 1;  // sampling factors; 1 x 1 for a grey frame whatever it states
    int quantTable = 0;
    int dcTable = 0, acTable = 0;  // from the scan header
};

struct FrameHeader {
    JpegInfo info;
    int componentCount = 0;
    FrameComponent components[3];
    uint16_t quant[4][64] = {};  // zig-zag order, as the segment stores them
    bool quantDefined[4] = {};
    HuffmanSpec huffman[2][4];  // [0 DC, 1 AC][slot]
    bool huffmanDefined[2][4] = {};
    size_t scanStart = 0;  // offset of the first entropy-coded byte
};

// Reads from the start-of-image marker through the first scan header. Huffman slots 0 and 1
// that the scan uses but no segment defined receive the standard tables.
DecodeError ReadFrameHeader(const uint8_t* data, size_t size, FrameHeader& header);

}  // namespace mjpeg
