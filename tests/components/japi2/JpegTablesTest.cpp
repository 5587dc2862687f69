// Exact values of the encoder's tables and bit output, where the decoding tests only see
// ranges: the setting-to-quality mapping, scaled quantisation entries, the last byte's
// padding, and the largest size the format can hold.
#include <gtest/gtest.h>

#include <vector>

#include "components/japi2/EntropyCoder.h"
#include "components/japi2/JpegEncoder.h"
#include "components/japi2/JpegTables.h"

namespace japi2 {
namespace {

TEST(JpegTables, SettingMapsToQualityByRoundingTwoThirds) {
    const std::pair<int, int> cases[] = {{-5, 1},  {0, 1},   {1, 1},    {2, 1},   {3, 2},    {4, 3},
                                         {140, 93}, {148, 99}, {149, 99}, {150, 100}, {1000, 100}};
    for (const auto& [setting, quality] : cases) EXPECT_EQ(QualityFromSetting(setting), quality) << setting;
}

TEST(JpegTables, QuantisationEntriesScaleTheStandardTables) {
    struct Case {
        int quality;
        int table;
        int index;  // natural order
        int value;
    };
    const Case cases[] = {
        {50, 0, 0, 16}, {50, 0, 63, 99}, {50, 1, 0, 17}, {50, 1, 63, 99},  // the standard tables
        {75, 0, 0, 8},  {93, 0, 0, 2},   {93, 1, 63, 14},                   // 200 - 2q percent, rounded
        {100, 0, 63, 1}, {1, 0, 0, 255}, {25, 0, 0, 32},                    // clamped; 5000 / q below 50
        {0, 0, 0, 255}, {101, 0, 0, 1},                                     // quality clamped to 1..100
    };
    for (const Case& c : cases) {
        uint8_t table[64];
        ScaledQuantTable(c.quality, c.table, table);
        EXPECT_EQ(table[c.index], c.value) << "quality " << c.quality << " table " << c.table << " at " << c.index;
    }
}

// Blocks whose only coefficient is DC: the DC code, its value bits and the end-of-block
// code "1010", then one bits up to the byte's end.
TEST(JpegEntropyCoder, TheLastByteIsPaddedWithOneBits) {
    HuffmanCodes dc;
    HuffmanCodes ac;
    BuildHuffmanCodes(StandardHuffmanSpec(0), dc);
    BuildHuffmanCodes(StandardHuffmanSpec(1), ac);
    struct Case {
        std::vector<int16_t> dcValues;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {{0}, {0x2B}},           // 00 1010 | 11
        {{0, 0}, {0x28, 0xAF}},  // 00 1010 00 1010 | 1111
        {{1}, {0x5A}},           // 010 1 1010: a whole byte, no padding
        {{-1}, {0x4A}},          // 010 0 1010
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(EntropyCoder::kMaxBlockBytes * (c.dcValues.size() + 1));
        EntropyCoder coder;
        coder.Reset(out.data());
        int predictor = 0;
        for (int16_t value : c.dcValues) {
            int16_t coefficients[64] = {value};
            coder.EncodeBlock(coefficients, value ? 1 : 0, predictor, dc, ac);
        }
        coder.Flush();
        EXPECT_EQ(std::vector<uint8_t>(out.data(), coder.Position()), c.bytes) << "first DC " << c.dcValues[0];
    }
}

TEST(JpegEncoderLimits, TheLargestSideIs65535) {
    struct Case {
        int width;
        int height;
        bool accepted;
    };
    const Case cases[] = {{65535, 1, true}, {1, 65535, true}, {65536, 1, false}, {1, 65536, false}};
    for (const Case& c : cases) {
        JpegEncoder encoder;
        const auto discard = [](void*, const uint8_t*, size_t) { return true; };
        EXPECT_EQ(encoder.Start(c.width, c.height, 93, discard, nullptr), c.accepted) << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace japi2
