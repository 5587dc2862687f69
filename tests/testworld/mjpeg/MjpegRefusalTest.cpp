// Streams the decoder must refuse, each with its own error, without reading or writing out
// of bounds (the native tree runs under AddressSanitizer).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "components/japi2/testing/CameraPicture.h"
#include "components/japi2/testing/ReferenceCodec.h"
#include "testworld/mjpeg/MjpegDecoder.h"
#include "tests/testworld/mjpeg/DecoderTestSupport.h"

namespace mjpeg {
namespace {

using testing::DecodeToPicture;
using testing::StreamBuilder;

DecodeError DecodeStream(const std::vector<uint8_t>& jpeg) {
    DecodeError error;
    DecodeToPicture(jpeg, KernelPath::Auto, &error);
    // The header reader agrees up to the scan.
    const DecodeError header = ReadJpegInfo(jpeg.data(), jpeg.size()).error;
    if (header != DecodeError::None) EXPECT_EQ(header, error);
    if (header == DecodeError::None) {
        std::vector<uint8_t> big(1 << 20);
        const DecodeResult r = Decode(jpeg.data(), jpeg.size(), {PixelFormat::Bgra32, big.data(), big.size(), 4096, false});
        EXPECT_TRUE(r.error == error || r.error == DecodeError::BufferTooSmall);
    }
    return error;
}

TEST(MjpegDecoderRefusal, TheBuilderStreamItselfDecodes) {
    EXPECT_EQ(DecodeStream(StreamBuilder().Bytes()), DecodeError::None);
    StreamBuilder grey;
    grey.components = {{7, 0x22, 0}};  // a lone component's factors do not matter
    grey.scan = {{7, 0x00}};
    grey.entropyData = {0x00};  // four blocks of two bits
    EXPECT_EQ(DecodeStream(grey.Bytes()), DecodeError::None);
    grey.width = 24;  // three blocks in a row: as 2 x 2 units there would be eight
    grey.height = 8;
    EXPECT_EQ(DecodeStream(grey.Bytes()), DecodeError::None);
}

TEST(MjpegDecoderRefusal, EachBrokenFieldGivesItsError) {
    using Edit = std::function<void(StreamBuilder&)>;
    const struct {
        const char* name;
        Edit edit;
        DecodeError expected;
    } cases[] = {
        {"progressive", [](StreamBuilder& s) { s.frameMarker = 0xC2; }, DecodeError::UnsupportedProcess},
        {"lossless", [](StreamBuilder& s) { s.frameMarker = 0xC3; }, DecodeError::UnsupportedProcess},
        {"arithmetic", [](StreamBuilder& s) { s.frameMarker = 0xC9; }, DecodeError::UnsupportedProcess},
        {"12-bit samples", [](StreamBuilder& s) { s.precision = 12; }, DecodeError::UnsupportedPrecision},
        {"zero width", [](StreamBuilder& s) { s.width = 0; }, DecodeError::EmptyPicture},
        {"zero height (DNL)", [](StreamBuilder& s) { s.height = 0; }, DecodeError::EmptyPicture},
        {"wider than the cap", [](StreamBuilder& s) { s.width = kMaxDimension + 1; s.height = 8; }, DecodeError::TooLarge},
        {"more pixels than the cap", [](StreamBuilder& s) { s.width = s.height = 16384; }, DecodeError::TooLarge},
        {"largest sizes", [](StreamBuilder& s) { s.width = s.height = 65535; }, DecodeError::TooLarge},
        {"two components", [](StreamBuilder& s) { s.components.pop_back(); s.scan.pop_back(); }, DecodeError::UnsupportedLayout},
        {"four components",
         [](StreamBuilder& s) { s.components.push_back({4, 0x11, 0}); s.scan.push_back({4, 0x00}); },
         DecodeError::UnsupportedLayout},
        {"scan of one component of three", [](StreamBuilder& s) { s.scan.resize(1); }, DecodeError::UnsupportedLayout},
        {"luma 4x1 (4:1:1)", [](StreamBuilder& s) { s.components[0].factors = 0x41; }, DecodeError::UnsupportedSampling},
        {"luma 2x4: an MCU of 10 blocks", [](StreamBuilder& s) { s.components[0].factors = 0x24; }, DecodeError::UnsupportedSampling},
        {"luma 3x1", [](StreamBuilder& s) { s.components[0].factors = 0x31; }, DecodeError::UnsupportedSampling},
        {"luma 3x1, chroma 2x1",
         [](StreamBuilder& s) { s.components[0].factors = 0x31; s.components[1].factors = s.components[2].factors = 0x21; },
         DecodeError::UnsupportedSampling},
        {"luma 3x3: an MCU of 11 blocks",
         [](StreamBuilder& s) { s.components[0].factors = 0x33; s.components[1].factors = 0x11; }, DecodeError::CorruptHeader},
        {"MCU of 12 blocks", [](StreamBuilder& s) { s.components[0].factors = 0x42; s.components[1].factors = s.components[2].factors = 0x21; }, DecodeError::CorruptHeader},
        {"Cb 2x2 beside Cr 1x1", [](StreamBuilder& s) { s.components[1].factors = 0x22; }, DecodeError::UnsupportedSampling},
        {"Cr 2x1 beside Cb 1x1", [](StreamBuilder& s) { s.components[2].factors = 0x21; }, DecodeError::UnsupportedSampling},
        {"Cr 1x2 beside Cb 1x1", [](StreamBuilder& s) { s.components[2].factors = 0x12; }, DecodeError::UnsupportedSampling},
        {"luma 1x1 below chroma 2x2",
         [](StreamBuilder& s) { s.components[0].factors = 0x11; s.components[1].factors = s.components[2].factors = 0x22; },
         DecodeError::UnsupportedSampling},
        {"sampling factor 0", [](StreamBuilder& s) { s.components[2].factors = 0x10; }, DecodeError::CorruptHeader},
        {"sampling factor 5", [](StreamBuilder& s) { s.components[0].factors = 0x52; }, DecodeError::CorruptHeader},
        {"duplicate component id", [](StreamBuilder& s) { s.components[2].id = 1; }, DecodeError::CorruptHeader},
        {"frame names quant table 4", [](StreamBuilder& s) { s.components[1].quantTable = 4; }, DecodeError::BadTableId},
        {"quant segment for slot 4", [](StreamBuilder& s) { s.quantSegment = StreamBuilder::MakeQuant(0x04); }, DecodeError::BadTableId},
        {"quant precision 2", [](StreamBuilder& s) { s.quantSegment = StreamBuilder::MakeQuant(0x20); }, DecodeError::CorruptHeader},
        {"quant segment cut short", [](StreamBuilder& s) { s.quantSegment.resize(40); }, DecodeError::CorruptHeader},
        {"quant table never defined", [](StreamBuilder& s) { s.components[2].quantTable = 1; }, DecodeError::MissingTable},
        {"Huffman slot 4", [](StreamBuilder& s) { s.huffmanSegment[0] = 0x04; }, DecodeError::BadTableId},
        {"tables in slot 3, the last (accepted)",
         [](StreamBuilder& s) {
             s.huffmanSegment[0] = 0x03;
             s.huffmanSegment2[0] = 0x13;
             s.quantSegment[0] = 0x03;
             for (auto& c : s.components) c.quantTable = 3;
             for (auto& c : s.scan) c.tables = 0x33;
         },
         DecodeError::None},
        {"Huffman class 2", [](StreamBuilder& s) { s.huffmanSegment[0] = 0x20; }, DecodeError::CorruptHeader},
        {"two 1-bit codes", [](StreamBuilder& s) { s.huffmanSegment[1] = 2; s.huffmanSegment.push_back(1); }, DecodeError::BadHuffmanTable},
        {"code of all one bits", [](StreamBuilder& s) { s.huffmanSegment = {0x00, 1, 2}; s.huffmanSegment.insert(s.huffmanSegment.end(), 14, 0); s.huffmanSegment.insert(s.huffmanSegment.end(), {0, 1, 2}); }, DecodeError::BadHuffmanTable},
        {"more than 256 symbols", [](StreamBuilder& s) { s.huffmanSegment2 = {0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 2}; s.huffmanSegment2.resize(17 + 257); }, DecodeError::BadHuffmanTable},
        {"DC category 16", [](StreamBuilder& s) { s.huffmanSegment = StreamBuilder::MakeHuffman(0x00, 16); }, DecodeError::BadHuffmanTable},
        {"DC category 15, the largest (accepted)",
         [](StreamBuilder& s) { s.huffmanSegment = StreamBuilder::MakeHuffman(0x00, 15); s.entropyData.assign(16, 0); },
         DecodeError::None},
        {"Huffman segment cut short", [](StreamBuilder& s) { s.huffmanSegment.resize(10); }, DecodeError::CorruptHeader},
        {"scan names Huffman slot 4", [](StreamBuilder& s) { s.scan[1].tables = 0x04; }, DecodeError::BadTableId},
        {"scan names DC slot 4", [](StreamBuilder& s) { s.scan[1].tables = 0x40; }, DecodeError::BadTableId},
        {"scan uses undefined slot 2", [](StreamBuilder& s) { s.scan[0].tables = 0x20; }, DecodeError::MissingTable},
        {"scan component id unknown", [](StreamBuilder& s) { s.scan[1].id = 9; }, DecodeError::ComponentMismatch},
        {"scan components out of order", [](StreamBuilder& s) { std::swap(s.scan[1], s.scan[2]); }, DecodeError::ComponentMismatch},
        {"no scan before end of image", [](StreamBuilder& s) { s.headersOnly = true; }, DecodeError::Truncated},
        {"invalid Huffman code in the data", [](StreamBuilder& s) { s.entropyData = {0xFF, 0x00, 0xFF, 0x00}; }, DecodeError::CorruptData},
        {"invalid AC code in the data",
         // One grey block of the builder's one-symbol tables: a DC code, sixteen one bits (no code), an end of block.
         [](StreamBuilder& s) { s.components = {{7, 0x11, 0}}; s.scan = {{7, 0x00}}; s.width = s.height = 8; s.entropyData = {0x7F, 0xFF, 0x00, 0xBF}; },
         DecodeError::CorruptData},
        {"data ends mid-scan", [](StreamBuilder& s) { s.entropyData = {0x00}; }, DecodeError::Truncated},
        {"wrong restart marker",
         [](StreamBuilder& s) { s.width = 32; s.restartInterval = 1; s.entropyData = {0x00, 0x0F, 0xFF, 0xD3, 0x00, 0x0F}; },
         DecodeError::CorruptData},
        {"a broken first interval before a good one",
         [](StreamBuilder& s) { s.height = 32; s.restartInterval = 1; s.entropyData = {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xD0, 0x00, 0x0F}; },
         DecodeError::CorruptData},
        {"restart marker missing",
         [](StreamBuilder& s) { s.width = 32; s.restartInterval = 1; s.entropyData = {0x00, 0x0F, 0x00, 0x0F}; },
         DecodeError::CorruptData},
        {"AC run past the end of the block",
         // AC symbol 0xF1: 15 zeros and a coefficient, four times from position 1 reaches 64.
         [](StreamBuilder& s) { s.huffmanSegment2 = StreamBuilder::MakeHuffman(0x10, 0xF1); s.entropyData.assign(8, 0); },
         DecodeError::CorruptData},
        {"AC run past the end, of codes too long for the lookup",
         // 0xFA: 15 zeros and a 10-bit coefficient, 11 bits with its code.
         [](StreamBuilder& s) { s.huffmanSegment2 = StreamBuilder::MakeHuffman(0x10, 0xFA); s.entropyData.assign(8, 0); },
         DecodeError::CorruptData},
    };
    for (const auto& c : cases) {
        StreamBuilder builder;
        c.edit(builder);
        EXPECT_EQ(DecodeStream(builder.Bytes()), c.expected)
            << c.name << ": got " << DecodeErrorName(DecodeStream(builder.Bytes()));
    }
}

TEST(MjpegDecoderRefusal, BrokenSegmentFramingGivesItsError) {
    const std::vector<uint8_t> good = StreamBuilder().Bytes();
    // The good stream with `bytes` right after its start-of-image marker.
    auto inserted = [&](std::vector<uint8_t> bytes) {
        std::vector<uint8_t> s = good;
        s.insert(s.begin() + 2, bytes.begin(), bytes.end());
        return s;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> stream;
        DecodeError expected;
    } cases[] = {
        {"empty", {}, DecodeError::NotJpeg},
        {"PNG signature", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, DecodeError::NotJpeg},
        {"end of image right after the start", {0xFF, 0xD8, 0xFF, 0xD9}, DecodeError::MissingScan},
        {"nothing after the start", {0xFF, 0xD8}, DecodeError::Truncated},
        {"second start of image", {0xFF, 0xD8, 0xFF, 0xD8}, DecodeError::CorruptHeader},
        {"garbage between segments", inserted({0x12, 0x34}), DecodeError::CorruptHeader},
        {"segment length 1", inserted({0xFF, 0xFE, 0x00, 0x01}), DecodeError::CorruptHeader},
        {"segment longer than the data", {0xFF, 0xD8, 0xFF, 0xFE, 0x40, 0x00, 1, 2, 3}, DecodeError::Truncated},
        {"scan before any frame", inserted({0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 63, 0}), DecodeError::CorruptHeader},
        {"restart interval segment of 3 bytes", inserted({0xFF, 0xDD, 0x00, 0x03, 0x00}), DecodeError::CorruptHeader},
        {"second frame header", inserted({0xFF, 0xC0, 0x00, 0x0B, 8, 0, 8, 0, 8, 1, 1, 0x11, 0}), DecodeError::CorruptHeader},
        {"comment, application data and fill bytes are skipped",
         inserted({0xFF, 0xFE, 0x00, 0x04, 'h', 'i', 0xFF, 0xFF, 0xE1, 0x00, 0x03, 0x00}), DecodeError::None},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeStream(c.stream), c.expected) << c.name;
}

TEST(MjpegDecoderRefusal, EveryCutBeforeTheEndOfTheScanIsTruncated) {
    using japi2::testing::ReferenceOptions;
    ReferenceOptions options;
    options.quality = 90;
    options.lumaH = 2;
    options.lumaV = 1;
    options.restartInterval = 2;
    const auto jpeg = japi2::testing::EncodeReference(japi2::testing::MakeCameraPicture(35, 19, 6), options);
    ASSERT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    const size_t scanEnd = jpeg.size() - 2;  // the end-of-image marker is not needed
    for (size_t cut = 0; cut <= jpeg.size(); ++cut) {
        const std::vector<uint8_t> part(jpeg.begin(), jpeg.begin() + static_cast<ptrdiff_t>(cut));
        const DecodeError expected = cut < 2 ? DecodeError::NotJpeg : cut < scanEnd ? DecodeError::Truncated : DecodeError::None;
        ASSERT_EQ(DecodeStream(part), expected) << "cut at " << cut << " of " << jpeg.size();
    }
}

}  // namespace
}  // namespace mjpeg
