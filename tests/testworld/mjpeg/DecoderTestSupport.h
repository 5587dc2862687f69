#pragma once
// Shared by the decoder tests: decoding into a picture, and small hand-built streams.
#include <cstdint>
#include <vector>

#include "components/japi2/testing/CameraPicture.h"
#include "testworld/mjpeg/MjpegDecoder.h"

namespace mjpeg::testing {

using japi2::testing::Picture;

// Our decoder's picture, blue-green-red top-down; `error` receives the result.
Picture DecodeToPicture(const std::vector<uint8_t>& jpeg, KernelPath path, DecodeError* error);

// The paths this machine can run, Generic first.
std::vector<KernelPath> SupportedPaths();

// A small valid stream, 16 x 16 YCbCr 4:2:0 of flat grey, whose fields tests spoil one at a
// time. Its Huffman tables have one 1-bit code each (DC category 0, AC end of block), so
// every block is two zero bits.
struct StreamBuilder {
    uint8_t frameMarker = 0xC0;
    int precision = 8;
    int width = 16, height = 16;
    struct Component {
        uint8_t id, factors, quantTable;
    };
    std::vector<Component> components = {{1, 0x22, 0}, {2, 0x11, 0}, {3, 0x11, 0}};
    struct ScanComponent {
        uint8_t id, tables;
    };
    std::vector<ScanComponent> scan = {{1, 0x00}, {2, 0x00}, {3, 0x00}};
    std::vector<uint8_t> quantSegment = MakeQuant(0);
    std::vector<uint8_t> huffmanSegment = MakeHuffman(0x00, 0x00);   // DC slot 0
    std::vector<uint8_t> huffmanSegment2 = MakeHuffman(0x10, 0x00);  // AC slot 0
    int restartInterval = 0;  // no DRI segment when 0
    std::vector<uint8_t> entropyData = {0x00, 0x0F};
    bool headersOnly = false;  // stop after the tables, before the scan

    static std::vector<uint8_t> MakeQuant(uint8_t precisionAndSlot);
    // One table with a single 1-bit code for `symbol`.
    static std::vector<uint8_t> MakeHuffman(uint8_t classAndSlot, uint8_t symbol);
    std::vector<uint8_t> Bytes() const;
};

}  // namespace mjpeg::testing
