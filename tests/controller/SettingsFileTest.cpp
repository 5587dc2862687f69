#include "controller/SettingsFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controller/CapturedItemWin.h"
#include "controller/SettingsCodec.h"
#include "framework/Handles.h"
#include "tests/support/TestWorld.h"

namespace {

using e2e::ReadFileBytes;
using e2e::TestWorld;
using e2e::WriteFileBytes;

constexpr size_t kRecord = 43768;

// A photo in the test folder; its file exists unless told otherwise.
CapturedItem Photo(const TestWorld& world, int number, bool createFile = true) {
    CapturedItem item = MakeEmptyItem();
    item.kind = 2;
    item.selected = number % 2;
    wchar_t name[32];
    swprintf(name, 32, L"Picture%04d.jpg", number);
    const std::wstring path = world.PathOf(name);
    SetItemPath(item, path.c_str());
    item.header = MakeFrameHeader(640, 480);
    for (size_t i = 0; i < 80 * 60 * 4; ++i) item.thumbnail[i] = static_cast<uint8_t>(i + number * 31);
    if (createFile) {
        EXPECT_TRUE(WriteFileBytes(path, {0xFF, 0xD8}));
    }
    return item;
}

std::vector<CapturedItem> Photos(const TestWorld& world, int first, int count) {
    std::vector<CapturedItem> items;
    for (int n = first; n < first + count; ++n) items.push_back(Photo(world, n));
    return items;
}

std::vector<uint8_t> Expected(int32_t pictureNumber, const std::vector<CapturedItem>& items) {
    return settings::EncodeSettings(pictureNumber, items);
}

void ExpectSameUnselected(const std::vector<CapturedItem>& loaded, const std::vector<CapturedItem>& saved) {
    ASSERT_EQ(loaded.size(), saved.size());
    for (size_t i = 0; i < saved.size(); ++i) {
        CapturedItem expected = saved[i];
        expected.selected = 0;
        EXPECT_EQ(std::memcmp(&loaded[i], &expected, sizeof expected), 0) << "item " << i;
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    TestWorld world;
    const std::wstring path = world.PathOf(L"halvo.dat");

    std::vector<uint8_t> OnDisk() const { return ReadFileBytes(path).value_or(std::vector<uint8_t>{}); }
};

TEST_F(SettingsFileTest, SavedListLoadsBackInOrderUnselectedWithTheExactSize) {
    std::vector<CapturedItem> items = Photos(world, 1, 3);
    SettingsFile file(path);
    ASSERT_TRUE(file.Save(4, items));
    for (const CapturedItem& item : items) EXPECT_EQ(item.selected, 0) << "saving clears the selection in memory";
    EXPECT_EQ(OnDisk().size(), 16 + 3 * kRecord);
    EXPECT_EQ(OnDisk(), Expected(4, items));
    EXPECT_FALSE(e2e::FileExists(path + L".new"));

    SettingsFile reader(path);
    int32_t pictureNumber = 1;
    std::vector<CapturedItem> loaded;
    ASSERT_TRUE(reader.Load(pictureNumber, loaded));
    EXPECT_EQ(pictureNumber, 4);
    ExpectSameUnselected(loaded, items);
}

TEST_F(SettingsFileTest, EmptyListIsSixteenBytesAndLoadsEmpty) {
    std::vector<CapturedItem> none;
    SettingsFile file(path);
    ASSERT_TRUE(file.Save(1, none));
    EXPECT_EQ(OnDisk(), Expected(1, none));
    EXPECT_EQ(OnDisk().size(), 16u);
    int32_t pictureNumber = 0;
    std::vector<CapturedItem> loaded = Photos(world, 1, 1);
    ASSERT_TRUE(SettingsFile(path).Load(pictureNumber, loaded));
    EXPECT_EQ(pictureNumber, 1);
    EXPECT_TRUE(loaded.empty());
}

TEST_F(SettingsFileTest, DefaultFileIsHalvoDatInTheCurrentFolder) {
    wchar_t previous[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(world.Folder().c_str()));
    std::vector<CapturedItem> items = Photos(world, 1, 1);
    const bool saved = SettingsFile().Save(2, items);
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(saved);
    EXPECT_EQ(OnDisk(), Expected(2, items));
}

TEST_F(SettingsFileTest, RecordsWhoseFileIsGoneAreDroppedInOrder) {
    std::vector<CapturedItem> items = Photos(world, 1, 3);
    ASSERT_TRUE(SettingsFile(path).Save(4, items));
    ASSERT_TRUE(DeleteFileW(ItemPathW(items[1]).c_str()));
    int32_t pictureNumber = 1;
    std::vector<CapturedItem> loaded;
    ASSERT_TRUE(SettingsFile(path).Load(pictureNumber, loaded));
    ExpectSameUnselected(loaded, {items[0], items[2]});
}

TEST_F(SettingsFileTest, MissingOrForeignFileIsNotAcceptedAndChangesNothing) {
    int32_t pictureNumber = 1;
    std::vector<CapturedItem> loaded;
    EXPECT_FALSE(SettingsFile(path).Load(pictureNumber, loaded));
    for (uint8_t version : {99, 101}) {
        std::vector<uint8_t> bytes = Expected(77, Photos(world, 1, 1));
        bytes[4] = version;
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        EXPECT_FALSE(SettingsFile(path).Load(pictureNumber, loaded)) << int(version);
        EXPECT_EQ(pictureNumber, 1);
        EXPECT_TRUE(loaded.empty());
    }
}

// A crash after the new record was written but before the count was updated.
TEST_F(SettingsFileTest, TornAppendStillReadsAsTheOldList) {
    std::vector<CapturedItem> items = Photos(world, 1, 3);
    std::vector<uint8_t> bytes = Expected(3, {items[0], items[1]});
    const std::vector<uint8_t> whole = Expected(4, items);
    bytes.insert(bytes.end(), whole.end() - kRecord, whole.end() - kRecord / 2);
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    SettingsFile file(path);
    int32_t pictureNumber = 1;
    std::vector<CapturedItem> loaded;
    ASSERT_TRUE(file.Load(pictureNumber, loaded));
    EXPECT_EQ(pictureNumber, 3);
    ExpectSameUnselected(loaded, {items[0], items[1]});
    // The trailing bytes must not survive into the next save after a photo.
    loaded.push_back(items[2]);
    ASSERT_TRUE(file.Save(4, loaded));
    EXPECT_EQ(OnDisk(), whole);
}

TEST_F(SettingsFileTest, PreviousFileStaysWhenTheNewOneCannotBeCreated) {
    std::vector<CapturedItem> items = Photos(world, 1, 2);
    SettingsFile file(path);
    ASSERT_TRUE(file.Save(3, items));
    const std::vector<uint8_t> before = OnDisk();
    // A folder where the new file should go makes its creation fail.
    ASSERT_TRUE(CreateDirectoryW((path + L".new").c_str(), nullptr));
    std::vector<CapturedItem> fewer = {items[0]};
    EXPECT_FALSE(file.Save(3, fewer));
    EXPECT_EQ(OnDisk(), before);
    ASSERT_TRUE(RemoveDirectoryW((path + L".new").c_str()));
    // The next save works again.
    EXPECT_TRUE(file.Save(3, fewer));
    EXPECT_EQ(OnDisk(), Expected(3, fewer));
}

// Another process holds the file open without sharing (the read-only attribute cannot be
// used here: Wine maps it to Unix permissions, which do not stop a root user).
TEST_F(SettingsFileTest, LockedFileIsLeftAsItIsOnBothPaths) {
    std::vector<CapturedItem> items = Photos(world, 1, 2);
    SettingsFile file(path);
    ASSERT_TRUE(file.Save(3, items));
    const std::vector<uint8_t> before = OnDisk();
    {
        UniqueFile lock(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        std::vector<CapturedItem> more = items;
        more.push_back(Photo(world, 3));  // would take the append path
        EXPECT_FALSE(file.Save(4, more));
        std::vector<CapturedItem> fewer = {items[1]};  // a whole save
        EXPECT_FALSE(file.Save(4, fewer));
        EXPECT_FALSE(e2e::FileExists(path + L".new"));
    }
    EXPECT_EQ(OnDisk(), before);
}

TEST_F(SettingsFileTest, SaveAfterOnePhotoAppendsAndGivesTheBytesOfAWholeSave) {
    std::vector<CapturedItem> items = Photos(world, 1, 3);
    SettingsFile file(path);
    ASSERT_TRUE(file.Save(4, items));
    EXPECT_FALSE(file.LastSaveAppended());

    items[0].selected = 1;  // selection changes do not matter
    items.push_back(Photo(world, 4));
    ASSERT_TRUE(file.Save(5, items));
    EXPECT_TRUE(file.LastSaveAppended());
    EXPECT_EQ(OnDisk(), Expected(5, items));

    // Nothing changed: only the header is rewritten, to the same bytes.
    ASSERT_TRUE(file.Save(5, items));
    EXPECT_TRUE(file.LastSaveAppended());
    EXPECT_EQ(OnDisk(), Expected(5, items));
}

TEST_F(SettingsFileTest, AppendAlsoFollowsALoadOfAnExactFile) {
    std::vector<CapturedItem> items = Photos(world, 1, 2);
    ASSERT_TRUE(SettingsFile(path).Save(3, items));
    SettingsFile file(path);
    int32_t pictureNumber = 1;
    std::vector<CapturedItem> loaded;
    ASSERT_TRUE(file.Load(pictureNumber, loaded));
    loaded.push_back(Photo(world, 3));
    ASSERT_TRUE(file.Save(pictureNumber + 1, loaded));
    EXPECT_TRUE(file.LastSaveAppended());
    EXPECT_EQ(OnDisk(), Expected(4, loaded));
}

// A file changed or removed behind the program's back gets a whole save.
TEST_F(SettingsFileTest, FileChangedOnDiskFallsBackToAWholeSave) {
    SettingsFile file(path);
    std::vector<CapturedItem> items = Photos(world, 1, 3);
    ASSERT_TRUE(file.Save(8, items));

    // The file changed behind our back (another copy of the list was written).
    ASSERT_TRUE(WriteFileBytes(path, Expected(8, {items[0]})));
    items.push_back(Photo(world, 8));
    ASSERT_TRUE(file.Save(9, items));
    EXPECT_FALSE(file.LastSaveAppended());
    EXPECT_EQ(OnDisk(), Expected(9, items));

    // The file was removed.
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    items.push_back(Photo(world, 9));
    ASSERT_TRUE(file.Save(10, items));
    EXPECT_FALSE(file.LastSaveAppended());
    EXPECT_EQ(OnDisk(), Expected(10, items));
}

}  // namespace
