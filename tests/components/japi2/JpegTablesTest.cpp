// Exact values of the encoder's tables and bit output, where the decoding tests only see
// ranges: the setting-to-quality mapping, scaled quantisation entries, the last byte's
// padding, and the largest size the format can hold.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "components/japi2/EntropyCoder.h"
#include "components/japi2/JpegEncoder.h"
#include "components/japi2/JpegTables.h"
#include "components/japi2/testing/CameraPicture.h"
#include "components/japi2/testing/ReferenceCodec.h"

namespace japi2 {
namespace {

TEST(JpegTables, SettingMapsToQualityByRoundingTwoThirds) {
    const std::pair<int, int> cases[] = {{-5, 1},  {0, 1},   {1, 1},    {2, 1},   {3, 2},    {4, 3},
                                         {140, 93}, {148, 99}, {149, 99}, {150, 100}, {1000, 100},
                                         {INT_MIN, 1}, {INT_MAX, 100}};
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

// The payloads of every segment with this marker before the scan, in file order.
std::vector<uint8_t> SegmentPayloads(const std::vector<uint8_t>& jpeg, uint8_t marker) {
    std::vector<uint8_t> out;
    for (size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;) {
        const size_t length = static_cast<size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (jpeg[at + 1] == marker) out.insert(out.end(), jpeg.begin() + at + 4, jpeg.begin() + at + 2 + length);
        at += 2 + length;
    }
    return out;
}

// Every entry of the quantisation and Huffman tables written, byte for byte as the reference
// encoder writes them at the same quality.
TEST(JpegTables, TheHeaderTablesAreTheReferenceEncodersOwn) {
    struct Sink {
        std::vector<uint8_t> bytes;
        static bool Write(void* c, const uint8_t* d, size_t n) {
            auto& b = static_cast<Sink*>(c)->bytes;
            b.insert(b.end(), d, d + n);
            return true;
        }
    };
    const testing::Picture picture = testing::MakeCameraPicture(16, 16, 1);
    for (int quality : {25, 50, 93}) {
        Sink sink;
        JpegEncoder encoder;
        ASSERT_TRUE(encoder.Start(16, 16, quality, Sink::Write, &sink));
        for (int y = 0; y < 16; ++y) ASSERT_TRUE(encoder.AddRow(picture.Row(y)));
        ASSERT_TRUE(encoder.Finish());
        const std::vector<uint8_t> reference = testing::EncodeReference(picture, quality);
        for (uint8_t marker : {0xDB, 0xC4})
            EXPECT_EQ(SegmentPayloads(sink.bytes, marker), SegmentPayloads(reference, marker))
                << "quality " << quality << " marker " << int{marker};
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
