#include "controller/SettingsCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace settings;

namespace {

// An item whose every field differs from its neighbours', with selection set.
CapturedItem Photo(int n) {
    CapturedItem item = MakeEmptyItem();
    item.kind = 2;
    item.selected = n % 2;
    const std::u16string path = u"C:\\users\\u\\Pictures\\Picture" + std::u16string(1, u'0' + n % 10) + u".jpg";
    SetItemPath(item, path.c_str());
    item.header = MakeFrameHeader(640 + n, 480);
    for (size_t i = 0; i < 80 * 60 * 4; ++i) item.thumbnail[i] = static_cast<uint8_t>(i * 7 + n);
    return item;
}

std::vector<CapturedItem> Photos(int count) {
    std::vector<CapturedItem> items;
    for (int n = 0; n < count; ++n) items.push_back(Photo(n));
    return items;
}

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

void Write32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}

// Every byte equal, except that loaded items are never selected.
void ExpectSameItemUnselected(const CapturedItem& loaded, const CapturedItem& saved) {
    EXPECT_EQ(loaded.selected, 0);
    CapturedItem expected = saved;
    expected.selected = 0;
    EXPECT_EQ(std::memcmp(&loaded, &expected, sizeof expected), 0);
}

TEST(SettingsCodec, RoundTripKeepsOrderAndEveryByteButTheSelection) {
    for (int count : {0, 1, 3, 7}) {
        const std::vector<CapturedItem> items = Photos(count);
        const std::vector<uint8_t> bytes = EncodeSettings(1234, items);
        ASSERT_EQ(bytes.size(), 16u + static_cast<size_t>(count) * 43768u);
        const auto loaded = DecodeSettings(bytes.data(), bytes.size());
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->pictureNumber, 1234);
        ASSERT_EQ(loaded->items.size(), items.size());
        for (int i = 0; i < count; ++i) ExpectSameItemUnselected(loaded->items[i], items[i]);
        EXPECT_TRUE(loaded->matchesData);
    }
    // Characters after a path's terminator are kept as stored: the list encodes to the file.
    std::vector<CapturedItem> items = Photos(1);
    items[0].path[kItemPathLength - 1] = u'x';
    const std::vector<uint8_t> bytes = EncodeSettings(5, items);
    const auto loaded = DecodeSettings(bytes.data(), bytes.size());
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->matchesData);
    EXPECT_EQ(EncodeSettings(loaded->pictureNumber, loaded->items), bytes);
}

TEST(SettingsCodec, HeaderFieldsAndRecordsLieWhereTheFormatPutsThem) {
    std::vector<CapturedItem> items = Photos(2);
    items[1].selected = 1;
    const std::vector<uint8_t> bytes = EncodeSettings(-5, items);
    EXPECT_EQ(Read32(bytes, 0), 0x0548FAC2u);
    EXPECT_EQ(Read32(bytes, 4), 100u);
    EXPECT_EQ(static_cast<int32_t>(Read32(bytes, 8)), -5);
    EXPECT_EQ(Read32(bytes, 12), 2u);
    const size_t second = 16 + 43768;
    EXPECT_EQ(Read32(bytes, second + 0), 2u);  // kind
    EXPECT_EQ(Read32(bytes, second + 4), 0u);  // selected, written as 0
    EXPECT_EQ(bytes[second + 8], 'C');         // path, UTF-16
    EXPECT_EQ(bytes[second + 9], 0);
    EXPECT_EQ(Read32(bytes, second + 528), 40u);      // frame header size
    EXPECT_EQ(Read32(bytes, second + 532), 641u);     // frame width
    EXPECT_EQ(Read32(bytes, second + 536), 480u);     // frame height
    EXPECT_EQ(Read32(bytes, second + 540), 1u | 32u << 16);  // one plane, 32 bits a pixel
    EXPECT_EQ(Read32(bytes, second + 544), 0u);               // uncompressed
    EXPECT_EQ(Read32(bytes, second + 548), 641u * 480 * 4);  // image size
    EXPECT_EQ(bytes[second + 568 + 5], static_cast<uint8_t>(5 * 7 + 1));  // thumbnail
}

TEST(SettingsCodec, EmptyListIsSixteenBytes) {
    const std::vector<uint8_t> bytes = EncodeSettings(1, {});
    ASSERT_EQ(bytes.size(), 16u);
    const auto loaded = DecodeSettings(bytes.data(), bytes.size());
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->items.empty());
    EXPECT_EQ(loaded->pictureNumber, 1);
}

TEST(SettingsCodec, OtherVersionsMagicsAndShortHeadersAreNotAccepted) {
    const std::vector<uint8_t> good = EncodeSettings(10001, Photos(1));
    for (uint32_t version : {99u, 101u, 0u}) {
        std::vector<uint8_t> bytes = good;
        Write32(bytes, 4, version);
        EXPECT_FALSE(DecodeSettings(bytes.data(), bytes.size())) << version;
    }
    std::vector<uint8_t> bytes = good;
    Write32(bytes, 0, 0xC2FA4805u);
    EXPECT_FALSE(DecodeSettings(bytes.data(), bytes.size()));
    for (size_t size : {0u, 4u, 15u}) EXPECT_FALSE(DecodeSettings(good.data(), size)) << size;
    EXPECT_FALSE(DecodeSettings(nullptr, 0));
    // The picture number is taken unchanged, without a range check.
    EXPECT_EQ(DecodeSettings(good.data(), good.size())->pictureNumber, 10001);
}

TEST(SettingsCodec, TruncatedFileGivesOnlyTheRecordsReadInFull) {
    const std::vector<CapturedItem> items = Photos(3);
    const std::vector<uint8_t> bytes = EncodeSettings(4, items);
    for (size_t cut : {size_t{16}, size_t{16 + 43767}, size_t{16 + 43768}, size_t{16 + 2 * 43768 + 1},
                       bytes.size() - 1}) {
        const auto loaded = DecodeSettings(bytes.data(), cut);
        ASSERT_TRUE(loaded) << cut;
        const size_t whole = (cut - 16) / 43768;
        ASSERT_EQ(loaded->items.size(), whole) << cut;
        for (size_t i = 0; i < whole; ++i) ExpectSameItemUnselected(loaded->items[i], items[i]);
        EXPECT_FALSE(loaded->matchesData);
    }
}

TEST(SettingsCodec, CountIsBoundedByTheLengthAndNegativeCountsReadNothing) {
    std::vector<uint8_t> bytes = EncodeSettings(4, Photos(2));
    for (uint32_t count : {3u, 1000u, 0x7FFFFFFFu}) {
        Write32(bytes, 12, count);
        const auto loaded = DecodeSettings(bytes.data(), bytes.size());
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->items.size(), 2u) << count;
        EXPECT_LE(loaded->items.capacity(), 2u) << "reserved by the stored count " << count;
    }
    for (uint32_t count : {0xFFFFFFFFu, 0x80000000u, 0u}) {
        Write32(bytes, 12, count);
        const auto loaded = DecodeSettings(bytes.data(), bytes.size());
        ASSERT_TRUE(loaded);
        EXPECT_TRUE(loaded->items.empty()) << count;
    }
    // A smaller count than the records present reads only that many; the rest is ignored.
    Write32(bytes, 12, 1);
    const auto loaded = DecodeSettings(bytes.data(), bytes.size());
    ASSERT_EQ(loaded->items.size(), 1u);
    EXPECT_FALSE(loaded->matchesData);
}

TEST(SettingsCodec, StoredSelectionIsClearedAndPathsAreTerminatedInsideTheirField) {
    std::vector<uint8_t> bytes = EncodeSettings(2, Photos(2));
    Write32(bytes, 16 + 4, 1);  // first record stored selected
    for (size_t i = 0; i < 520; i += 2) {  // second record's path without a terminator
        bytes[16 + 43768 + 8 + i] = 'A';
        bytes[16 + 43768 + 8 + i + 1] = 0;
    }
    const auto loaded = DecodeSettings(bytes.data(), bytes.size());
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->items.size(), 2u);
    EXPECT_EQ(loaded->items[0].selected, 0);
    EXPECT_EQ(ItemPath(loaded->items[1]), std::u16string(259, u'A'));
    EXPECT_FALSE(loaded->matchesData);
}

TEST(SettingsCodec, KeepDecidesWhichRecordsJoinInFileOrder) {
    const std::vector<CapturedItem> items = Photos(3);
    const std::vector<uint8_t> bytes = EncodeSettings(9, items);
    std::vector<std::u16string> asked;
    const auto loaded = DecodeSettings(bytes.data(), bytes.size(), [&asked](const CapturedItem& item) {
        asked.push_back(ItemPath(item));
        return item.header.biWidth != 641;  // the second photo's file is gone
    });
    ASSERT_TRUE(loaded);
    EXPECT_EQ(asked.size(), 3u);
    ASSERT_EQ(loaded->items.size(), 2u);
    ExpectSameItemUnselected(loaded->items[0], items[0]);
    ExpectSameItemUnselected(loaded->items[1], items[2]);
    EXPECT_FALSE(loaded->matchesData);
}

TEST(SettingsCodec, StreamingEncoderStopsAtTheFirstFailingWrite) {
    int calls = 0;
    const bool ok = EncodeSettings(1, Photos(3), [&calls](const uint8_t*, size_t) { return ++calls < 2; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(calls, 2);
}

TEST(SettingsCodec, StreamingDecoderCopesWithShortReadsAndAnEarlyEnd) {
    const std::vector<CapturedItem> items = Photos(2);
    const std::vector<uint8_t> bytes = EncodeSettings(3, items);
    // The second row: the file was cut after its length was taken.
    for (const size_t available : {bytes.size(), bytes.size() - 1}) {
        size_t position = 0;
        int endsTold = 0;
        const ByteSource trickle = [&](uint8_t* out, size_t wanted) {
            const size_t n = std::min({wanted, size_t{1000}, available - position});
            if (n == 0 && ++endsTold > 1) throw std::runtime_error("read again after the end");
            std::memcpy(out, bytes.data() + position, n);
            position += n;
            return n;
        };
        const auto loaded = DecodeSettings(trickle, bytes.size());
        ASSERT_TRUE(loaded) << available;
        const size_t whole = available == bytes.size() ? 2 : 1;
        ASSERT_EQ(loaded->items.size(), whole) << available;
        ExpectSameItemUnselected(loaded->items[whole - 1], items[whole - 1]);
        EXPECT_EQ(loaded->matchesData, whole == 2) << available;
    }
}

TEST(CapturedItemPath, SetCutsAndTerminatesAndReadStopsAtTheEndOfTheField) {
    auto item = std::make_unique<CapturedItem>(MakeEmptyItem());
    const auto* raw = reinterpret_cast<const uint8_t*>(item.get());
    EXPECT_TRUE(std::all_of(raw, raw + sizeof(CapturedItem), [](uint8_t b) { return b == 0; }))
        << "what a photo leaves unset is written to the file as zeros";
    EXPECT_EQ(ItemPath(*item), u"");
    std::fill(std::begin(item->path), std::end(item->path), u'#');
    SetItemPath(*item, u"C:\\a.jpg");
    EXPECT_EQ(ItemPath(*item), u"C:\\a.jpg");
    EXPECT_EQ(item->path[259], 0);  // the rest of the field is zeroed

    const std::u16string longPath(300, u'p');
    SetItemPath(*item, longPath.c_str());
    EXPECT_EQ(ItemPath(*item), std::u16string(259, u'p'));

    std::fill(std::begin(item->path), std::end(item->path), u'q');
    EXPECT_EQ(ItemPath(*item).size(), 260u);
    TerminateItemPath(*item);
    EXPECT_EQ(ItemPath(*item), std::u16string(259, u'q'));
}

}  // namespace
