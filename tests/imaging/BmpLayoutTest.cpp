// Reading of packed DIBs: what is accepted, what is refused, and the rows handed over.
#include <gtest/gtest.h>

#include "imaging/BmpLayout.h"
#include "tests/imaging/BmpBuilder.h"

namespace {

using imaging_test::MakeBmpFile;
using imaging_test::PositionPixel;
using imaging_test::Put16;
using imaging_test::Put32;

// The DIB part of a file (what the buffer holds), without the 14-byte file header.
std::vector<uint8_t> Dib(const std::vector<uint8_t>& file) { return {file.begin() + 14, file.end()}; }

TEST(BmpFileHeader, NeedsFourteenBytesStartingWithBM) {
    const auto file = MakeBmpFile(2, 2, 24, PositionPixel);
    EXPECT_TRUE(imaging::IsBmpFileHeader(file.data(), 14));
    EXPECT_FALSE(imaging::IsBmpFileHeader(file.data(), 13));
    const uint8_t mb[14] = {'M', 'B'};
    EXPECT_FALSE(imaging::IsBmpFileHeader(mb, 14));
}

// A photo's bitmap file, written field by field, is the file the readers take: compared
// byte for byte with one built by the tests (its reserved pixel bytes aside), at a size
// whose width and height differ.
TEST(BmpWriting, AFramesHeadersAreTheOnesTheReadersAccept) {
    const int width = 5, height = 3;
    auto expected = MakeBmpFile(width, height, 32, PositionPixel);
    Put32(expected, 14 + 20, width * height * 4);  // the image size, which the builder leaves 0
    uint8_t fileHeader[14], info[40];
    imaging::WriteFrameInfoHeader(width, height, info);
    imaging::WriteBmpFileHeader(imaging::DibDataSize(info), imaging::DibBitsOffset(info), fileHeader);
    EXPECT_EQ(std::vector<uint8_t>(fileHeader, fileHeader + 14), std::vector<uint8_t>(expected.begin(), expected.begin() + 14));
    EXPECT_EQ(std::vector<uint8_t>(info, info + 40), std::vector<uint8_t>(expected.begin() + 14, expected.begin() + 54));
    EXPECT_EQ(imaging::DibDataSize(info), expected.size() - 14);
    const auto dib = Dib(expected);
    EXPECT_TRUE(imaging::IsBmpFileHeader(fileHeader, 14));
    EXPECT_TRUE(imaging::IsCompleteDib(dib.data(), dib.size()));
    imaging::JpegSource source;
    ASSERT_TRUE(imaging::PlanJpegSource(dib.data(), dib.size(), source));
    EXPECT_EQ(source.width, width);
    EXPECT_EQ(source.height, height);
    // Fields whose every byte counts: 4096 x 1024 x 4 bytes need the fourth.
    imaging::WriteFrameInfoHeader(4096, 1024, info);
    EXPECT_EQ(imaging::DibDataSize(info), 40u + 4096u * 1024u * 4u);
    EXPECT_EQ(std::vector<uint8_t>(info + 20, info + 24), (std::vector<uint8_t>{0, 0, 0, 1}));
    imaging::WriteBmpFileHeader(imaging::DibDataSize(info), 40, fileHeader);
    EXPECT_EQ(std::vector<uint8_t>(fileHeader + 2, fileHeader + 6), (std::vector<uint8_t>{54, 0, 0, 1}));
}

TEST(DibColorTable, CountFollowsColoursUsedThenBitCount) {
    auto dib = Dib(MakeBmpFile(4, 4, 24, PositionPixel));
    const std::pair<int, int> byBits[] = {{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}};
    for (const auto& [bits, count] : byBits) {
        Put16(dib, 14, static_cast<uint32_t>(bits));
        EXPECT_EQ(imaging::DibColorCount(dib.data()), count) << bits;
        EXPECT_EQ(imaging::DibColorTableSize(dib.data()), count * 4) << bits;
        EXPECT_EQ(imaging::DibBitsOffset(dib.data()), 40u + count * 4) << bits;
    }
    Put32(dib, 32, 3);  // colours used
    EXPECT_EQ(imaging::DibColorCount(dib.data()), 3);
    EXPECT_EQ(imaging::DibBitsOffset(dib.data()), 52u);
}

TEST(DibCompleteness, TruncatedRowsOrShortHeadersAreIncomplete) {
    for (int bits : {24, 32}) {
        const auto dib = Dib(MakeBmpFile(5, 3, bits, PositionPixel));
        EXPECT_TRUE(imaging::IsCompleteDib(dib.data(), dib.size()));
        EXPECT_FALSE(imaging::IsCompleteDib(dib.data(), dib.size() - 1));
        EXPECT_FALSE(imaging::IsCompleteDib(dib.data(), 39));
    }
    auto dib = Dib(MakeBmpFile(5, 3, 24, PositionPixel));
    Put32(dib, 0, 12);  // a core header is not read
    EXPECT_FALSE(imaging::IsCompleteDib(dib.data(), dib.size()));
    dib = Dib(MakeBmpFile(5, 3, 24, PositionPixel));
    Put32(dib, 8, static_cast<uint32_t>(-3));  // top-down rows are counted too
    EXPECT_TRUE(imaging::IsCompleteDib(dib.data(), dib.size()));
    Put32(dib, 8, static_cast<uint32_t>(-4));
    EXPECT_FALSE(imaging::IsCompleteDib(dib.data(), dib.size()));
    Put32(dib, 16, 1);  // run-length rows have no length the header gives
    EXPECT_TRUE(imaging::IsCompleteDib(dib.data(), 40));

    // Fields out of range, each at its limit: width and bit count.
    struct Field {
        size_t offset;
        uint32_t value;
        bool word, complete;
    } fields[] = {{4, static_cast<uint32_t>(-1), false, false}, {4, 0, false, true}, {14, 0, true, false},
                  {14, 33, true, false},                          {14, 32, true, true}};
    for (const Field& f : fields) {
        dib = Dib(MakeBmpFile(5, 3, 32, PositionPixel));
        dib.resize(dib.size() + 64);  // room for wider rows: only the field decides
        if (f.word) Put16(dib, f.offset, f.value);
        else Put32(dib, f.offset, f.value);
        EXPECT_EQ(imaging::IsCompleteDib(dib.data(), dib.size()), f.complete) << f.offset << " = " << f.value;
    }
    // One bit a pixel, 33 wide: two 32-bit words a row, after a two-colour table.
    std::vector<uint8_t> mono(40 + 8 + 8, 0);
    Put32(mono, 0, 40);
    Put32(mono, 4, 33);
    Put32(mono, 8, 1);
    Put16(mono, 14, 1);
    EXPECT_TRUE(imaging::IsCompleteDib(mono.data(), mono.size()));
    EXPECT_FALSE(imaging::IsCompleteDib(mono.data(), mono.size() - 1));
}

TEST(JpegSourcePlan, RefusesHeadersThatDoNotMatchTheData) {
    const auto good = Dib(MakeBmpFile(8, 6, 32, PositionPixel));
    imaging::JpegSource s;
    ASSERT_TRUE(imaging::PlanJpegSource(good.data(), good.size(), s));
    EXPECT_EQ(s.width, 8);
    EXPECT_EQ(s.height, 6);
    EXPECT_EQ(s.stride, 32u);
    EXPECT_EQ(s.stride24, 24u);
    EXPECT_EQ(s.bitsOffset, 40u);

    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        bool isWord;
    };
    const Case cases[] = {
        {"wider than the data", 4, 9, false},
        {"taller than the data", 8, 7, false},
        {"huge width", 4, 0x7FFFFFFF, false},
        {"huge height", 8, 0x7FFFFFFF, false},
        {"zero width", 4, 0, false},
        {"top-down", 8, static_cast<uint32_t>(-6), false},
        {"8 bits", 14, 8, true},
        {"16 bits", 14, 16, true},
        {"compressed", 16, 1, false},
        {"bit fields", 16, 3, false},
        {"colour table beyond the data", 32, 0xFFFF, false},
        {"header size beyond the data", 0, 0x10000, false},
    };
    for (const Case& c : cases) {
        auto dib = good;
        if (c.isWord) Put16(dib, c.offset, c.value);
        else Put32(dib, c.offset, c.value);
        EXPECT_FALSE(imaging::PlanJpegSource(dib.data(), dib.size(), s)) << c.what;
    }
    // 64 bits per pixel would claim 64 * 8 bytes per row: longer rows than 32 bits hold.
    auto wide = Dib(MakeBmpFile(8, 6, 24, PositionPixel));
    Put16(wide, 14, 32);
    EXPECT_FALSE(imaging::PlanJpegSource(wide.data(), wide.size(), s));
    EXPECT_FALSE(imaging::PlanJpegSource(good.data(), good.size() - 1, s));
    EXPECT_FALSE(imaging::PlanJpegSource(good.data(), 39, s));
    // The widest picture, a pixel high, and one pixel wider.
    auto widest = Dib(MakeBmpFile(65536, 1, 24, PositionPixel));
    EXPECT_FALSE(imaging::PlanJpegSource(widest.data(), widest.size(), s));
    Put32(widest, 4, 65535);
    EXPECT_TRUE(imaging::PlanJpegSource(widest.data(), widest.size(), s));
}

TEST(JpegSourcePlan, HeightZeroIsAcceptedWithNoRows) {
    auto dib = Dib(MakeBmpFile(8, 0, 32, PositionPixel));
    imaging::JpegSource s;
    ASSERT_TRUE(imaging::PlanJpegSource(dib.data(), dib.size(), s));
    EXPECT_EQ(s.height, 0);
}

TEST(JpegSourceRows, ThirtyTwoBitRowsBecomeTopDownBlueGreenRed) {
    for (int bits : {24, 32}) {
        for (int width : {1, 3, 5, 640}) {
            const int height = 7;
            auto dib = Dib(MakeBmpFile(width, height, bits, PositionPixel));
            imaging::JpegSource s;
            ASSERT_TRUE(imaging::PlanJpegSource(dib.data(), dib.size(), s));
            uint8_t* pixels = dib.data() + s.bitsOffset;
            imaging::ConvertTo24Bit(pixels, s);
            for (int y = 0; y < height; ++y) {
                const uint8_t* row = imaging::TopDownRow(pixels, s, y);
                for (int x = 0; x < width; ++x) {
                    const auto want = PositionPixel(x, y);
                    ASSERT_EQ(row[3 * x], want.b) << bits << " bits, " << x << "," << y;
                    ASSERT_EQ(row[3 * x + 1], want.g);
                    ASSERT_EQ(row[3 * x + 2], want.r);
                }
            }
        }
    }
}

}  // namespace
