// Skins and thumbnails resized for a display scale: exact rows of the triangle filter, each
// channel by itself, rows apart by their strides, and the refusals.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/Resample.h"

using imaging::PixelRect;
using imaging::PixelView;

namespace {
// A picture of one row whose pixels have blue = `values`, green = 255 - blue, red 7, alpha 200.
std::vector<uint8_t> Row(const std::vector<int>& values) {
    std::vector<uint8_t> row;
    for (int v : values) row.insert(row.end(), {uint8_t(v), uint8_t(255 - v), 7, 200});
    return row;
}
std::vector<int> Blues(const std::vector<uint8_t>& pixels) {
    std::vector<int> blues;
    for (size_t i = 0; i < pixels.size(); i += 4) blues.push_back(pixels[i]);
    return blues;
}
}  // namespace

TEST(Resample, RowsAreResizedByTheTriangleFilterEachChannelByItself) {
    struct Case {
        std::vector<int> from, to;
    } cases[] = {
        {{0, 255}, {0, 64, 191, 255}},                       // enlarged: bilinear between pixel centres
        {{0, 255, 0}, {0, 64, 191, 191, 64, 0}},
        {{0, 0, 255, 255}, {32, 223}},                       // halved: a weighted average of four
        {{0, 0, 0, 255, 0, 0}, {0, 96, 32}},                 // a thin line fades, it does not vanish
        {{10, 20, 30}, {10, 20, 30}},                        // same size: the pixels as they are
        {{100}, {100, 100, 100}},
        {{0, 40, 80, 120, 160, 200}, {13, 71, 129, 187}},   // reduced by 1.5: edges weigh the edge pixel
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> from = Row(c.from);
        std::vector<uint8_t> to(c.to.size() * 4);
        ASSERT_TRUE(imaging::Resample(PixelView{from.data(), int(c.from.size()), 1, from.size()},
                                      PixelRect{to.data(), int(c.to.size()), 1, to.size()}));
        EXPECT_EQ(Blues(to), c.to) << c.from.size() << " -> " << c.to.size();
        for (size_t i = 0; i < to.size(); i += 4) {
            EXPECT_EQ(to[i] + to[i + 1], 255) << "green mirrors blue at " << i / 4;
            EXPECT_EQ(to[i + 2], 7);
            EXPECT_EQ(to[i + 3], 200);
        }
    }
    // One colour stays that colour however far it is reduced: each pixel's weights sum to one.
    const std::vector<uint8_t> white(81 * 128 * 4, 255);
    std::vector<uint8_t> small(2 * 5 * 4);
    ASSERT_TRUE(imaging::Resample(PixelView{white.data(), 81, 128, 81 * 4}, PixelRect{small.data(), 2, 5, 2 * 4}));
    EXPECT_EQ(small, std::vector<uint8_t>(small.size(), 255));
}

TEST(Resample, ColumnsFollowTheSameRuleAndRowsAreReadAndWrittenAtTheirStrides) {
    // Two columns, three rows, with room after every row on both sides.
    const std::vector<uint8_t> column = {0, 0, 0, 0, 255, 255, 255, 255, 9, 9, 9, 9,      // row 0 and room
                                         60, 60, 60, 60, 255, 255, 255, 255, 9, 9, 9, 9,  // row 1
                                         120, 120, 120, 120, 255, 255, 255, 255, 9, 9, 9, 9};
    std::vector<uint8_t> out(6 * 24, 77);
    ASSERT_TRUE(imaging::Resample(PixelView{column.data(), 2, 3, 12}, PixelRect{out.data(), 2, 2 * 3, 12 * 2}));
    const int expectedLeft[] = {0, 15, 45, 75, 105, 120};
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(out[size_t(y) * 24], expectedLeft[y]) << "row " << y;
        EXPECT_EQ(out[size_t(y) * 24 + 4], 255) << "row " << y;
        EXPECT_EQ(out[size_t(y) * 24 + 8], 77) << "the room after row " << y << " is left alone";
    }
}

TEST(Resample, RefusesEmptyPicturesAndStridesShorterThanTheirRows) {
    std::vector<uint8_t> pixels(64, 1), out(64, 5);
    const PixelView source{pixels.data(), 2, 2, 8};
    const PixelRect target{out.data(), 2, 2, 8};
    EXPECT_FALSE(imaging::Resample(PixelView{pixels.data(), 0, 2, 8}, target));
    EXPECT_FALSE(imaging::Resample(PixelView{pixels.data(), 2, 0, 8}, target));
    EXPECT_FALSE(imaging::Resample(PixelView{nullptr, 2, 2, 8}, target));
    EXPECT_FALSE(imaging::Resample(PixelView{pixels.data(), 2, 2, 7}, target));
    EXPECT_FALSE(imaging::Resample(source, PixelRect{out.data(), 2, 2, 7}));
    EXPECT_FALSE(imaging::Resample(source, PixelRect{out.data(), -1, 2, 8}));
    EXPECT_FALSE(imaging::Resample(source, PixelRect{nullptr, 2, 2, 8}));
    EXPECT_EQ(out, std::vector<uint8_t>(64, 5)) << "nothing written";
}
