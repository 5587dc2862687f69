#pragma once
// Fixed tables of a baseline JPEG encoder: quantisation (scaled by quality), the standard
// Huffman tables and the zig-zag order, plus the mapping of the compressor's setting.
#include <cstdint>

namespace japi2 {

// The compression setting given to Start_JPEG_Compress maps linearly to the usual 1..100
// quality scale: quality = round(setting * 2 / 3), clamped to 1..100. The photo flow's 140
// thus gives quality 93 (high quality, about 4:1 smaller than quality 100); 150 and above
// give 100; 0 and negative settings give 1.
int QualityFromSetting(int setting);

// Quality 1..100 (clamped) scales the standard luminance (0) or chrominance (1) table the
// usual way; entries in natural (row-major) order, each 1..255 (baseline).
void ScaledQuantTable(int quality, int table, uint8_t out[64]);

// Natural index of the k-th coefficient in zig-zag order.
extern const uint8_t kZigZagToNatural[64];

// A Huffman table as the DHT segment carries it: code counts per length 1..16, then symbols.
struct HuffmanSpec {
    uint8_t counts[16];
    const uint8_t* symbols;
    int symbolCount;
};
// 0 = DC luminance, 1 = AC luminance, 2 = DC chrominance, 3 = AC chrominance.
const HuffmanSpec& StandardHuffmanSpec(int which);

}  // namespace japi2
