// The order of a save against a store that can fail at any step and "crash" after any step:
// whatever is lost of what was not yet flushed, the settings file must read as the old list or
// as the new one, and a save that reports success leaves exactly the bytes of a whole save.
#include "controller/SettingsSaver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/SettingsCodec.h"

using namespace settings;

namespace {

using Bytes = std::vector<uint8_t>;

// A file as the disk holds it: what is durable, and the writes since the last flush, which
// a crash may lose, keep whole or keep in part.
struct FileState {
    struct Pending {
        bool truncate;
        uint64_t offset;  // or the new size
        Bytes data;
    };
    Bytes durable;
    std::vector<Pending> pending;

    static void Apply(Bytes& bytes, const Pending& op, size_t keep) {
        if (op.truncate) {
            bytes.resize(op.offset);
            return;
        }
        if (bytes.size() < op.offset + keep) bytes.resize(op.offset + keep);
        std::memcpy(bytes.data() + op.offset, op.data.data(), keep);
    }
    Bytes Visible() const {
        Bytes bytes = durable;
        for (const Pending& op : pending) Apply(bytes, op, op.data.size());
        return bytes;
    }
    // Files of many photos are megabytes: read without copying when nothing is pending.
    template <typename Read>
    auto WithVisible(Read read) const {
        if (pending.empty()) return read(durable);
        return read(Visible());
    }
    void MakeDurable() {
        for (const Pending& op : pending) Apply(durable, op, op.data.size());
        pending.clear();
    }
    // Every state a crash can leave: each pending write lost, kept, or (if longer than the
    // 8 bytes assumed to land at once) kept in its first half.
    std::vector<Bytes> CrashImages() const {
        std::vector<Bytes> images;
        std::function<void(size_t, Bytes)> walk = [&](size_t i, Bytes bytes) {
            if (i == pending.size()) {
                images.push_back(std::move(bytes));
                return;
            }
            const Pending& op = pending[i];
            walk(i + 1, bytes);
            Bytes kept = bytes;
            Apply(kept, op, op.data.size());
            walk(i + 1, kept);
            if (!op.truncate && op.data.size() > 8) {
                Apply(bytes, op, op.data.size() / 2);
                walk(i + 1, bytes);
            }
        };
        walk(0, durable);
        return images;
    }
};

// The folder with "dat" (the settings file) and "new" (the replacement). Directory changes
// (create, rename, delete) are durable at once, as with write-through renames.
class FakeDisk : public SettingsStore {
public:
    std::map<std::string, std::shared_ptr<FileState>> files;
    int failAt = -1;      // the operation that fails, counted from 0; -1: none
    int alsoFailAt = -1;  // a second one
    int operations = 0;
    std::vector<std::map<std::string, FileState>> snapshots;  // after every step
    bool recording = false;

    bool Step() {
        const bool fail = operations == failAt || operations == alsoFailAt;
        ++operations;
        return !fail;
    }
    void Snapshot() {
        if (!recording) return;
        std::map<std::string, FileState> copy;
        for (const auto& [name, state] : files) copy[name] = *state;
        snapshots.push_back(std::move(copy));
    }

    class File : public StoredFile {
    public:
        File(FakeDisk& disk, std::shared_ptr<FileState> state) : m_disk(disk), m_state(std::move(state)) {}
        std::optional<uint64_t> Size() override {
            return m_state->WithVisible([](const Bytes& bytes) { return uint64_t{bytes.size()}; });
        }
        bool ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
            return m_state->WithVisible([&](const Bytes& bytes) {
                if (offset + size > bytes.size()) return false;
                std::memcpy(data, bytes.data() + offset, size);
                return true;
            });
        }
        bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
            if (!m_disk.Step()) return false;
            m_state->pending.push_back({false, offset, Bytes(data, data + size)});
            m_disk.Snapshot();
            return true;
        }
        bool Flush() override {
            if (!m_disk.Step()) return false;
            m_state->MakeDurable();
            m_disk.Snapshot();
            return true;
        }
        bool Truncate(uint64_t size) override {
            if (!m_disk.Step()) return false;
            m_state->pending.push_back({true, size, {}});
            m_disk.Snapshot();
            return true;
        }

    private:
        FakeDisk& m_disk;
        std::shared_ptr<FileState> m_state;
    };

    std::unique_ptr<StoredFile> OpenExisting() override {
        if (!Step() || !files.count("dat")) return nullptr;
        return std::make_unique<File>(*this, files["dat"]);
    }
    std::unique_ptr<StoredFile> CreateReplacement() override {
        if (!Step()) return nullptr;
        files["new"] = std::make_shared<FileState>();
        Snapshot();
        return std::make_unique<File>(*this, files["new"]);
    }
    bool CommitReplacement() override {
        if (!Step() || !files.count("new")) return false;
        files["dat"] = files["new"];
        files.erase("new");
        Snapshot();
        return true;
    }
    void DiscardReplacement() override {
        files.erase("new");
        Snapshot();
    }

    std::optional<Bytes> Visible(const std::string& name) const {
        const auto it = files.find(name);
        if (it == files.end()) return std::nullopt;
        return it->second->Visible();
    }
};

CapturedItem Photo(int n) {
    CapturedItem item = MakeEmptyItem();
    item.kind = 2;
    item.selected = 1;
    const std::u16string path = u"C:\\Pictures\\Picture000" + std::u16string(1, u'0' + n) + u".jpg";
    SetItemPath(item, path.c_str());
    item.header = MakeFrameHeader(640, 480);
    for (size_t i = 0; i < 19200; ++i) item.thumbnail[i] = static_cast<uint8_t>(i * 3 + n);
    return item;
}

std::vector<CapturedItem> Photos(std::initializer_list<int> numbers) {
    std::vector<CapturedItem> items;
    for (int n : numbers) items.push_back(Photo(n));
    return items;
}

std::vector<CapturedItem> PhotosFromTo(int first, int last) {
    std::vector<CapturedItem> items;
    for (int n = first; n <= last; ++n) items.push_back(Photo(n));
    return items;
}

// What a reader makes of `bytes`, written back in the program's own form; nothing when the
// file is missing or not accepted.
std::optional<Bytes> AsRead(const std::optional<Bytes>& bytes) {
    if (!bytes) return std::nullopt;
    const auto loaded = DecodeSettings(bytes->data(), bytes->size());
    if (!loaded) return std::nullopt;
    return EncodeSettings(loaded->pictureNumber, loaded->items);
}

struct Scenario {
    const char* name;
    bool oldFileExists;
    int32_t oldNumber;
    std::vector<CapturedItem> oldItems;
    int32_t newNumber;
    std::vector<CapturedItem> newItems;
    bool appends;
};

std::vector<Scenario> Scenarios() {
    return {
        {"photo appended", true, 3, Photos({1, 2}), 4, Photos({1, 2, 3}), true},
        {"photo appended at the wrap", true, 10000, Photos({1, 2}), 1, Photos({1, 2, 3}), true},
        {"three photos appended at once", true, 3, Photos({1, 2}), 6, Photos({1, 2, 3, 4, 5}), true},
        {"nothing changed", true, 4, Photos({1, 2}), 4, Photos({1, 2}), true},
        {"middle item deleted", true, 4, Photos({1, 2, 3}), 4, Photos({1, 3}), false},
        {"first save, no file yet", false, 1, {}, 2, Photos({1}), false},
        {"everything deleted", true, 5, Photos({1, 2}), 5, {}, false},
        {"first photo after an empty list", true, 5, {}, 6, Photos({1}), true},
        {"a whole save longer than one buffered write", true, 26, PhotosFromTo(1, 25), 26, PhotosFromTo(2, 25),
         false},
    };
}

// Puts the old file on the disk and lets `saver` know it, as the save before would have.
void Prepare(FakeDisk& disk, SettingsSaver& saver, Scenario& s) {
    if (!s.oldFileExists) return;
    ASSERT_TRUE(saver.Save(s.oldNumber, s.oldItems));
    ASSERT_EQ(disk.Visible("dat"), EncodeSettings(s.oldNumber, s.oldItems));
    disk.operations = 0;
}

TEST(SettingsSaver, TakesTheAppendPathOnlyWhenTheListOnlyGrew) {
    for (Scenario s : Scenarios()) {
        FakeDisk disk;
        SettingsSaver saver(disk);
        Prepare(disk, saver, s);
        ASSERT_TRUE(saver.Save(s.newNumber, s.newItems)) << s.name;
        EXPECT_EQ(saver.LastSaveAppended(), s.appends) << s.name;
        EXPECT_EQ(disk.Visible("dat"), EncodeSettings(s.newNumber, s.newItems)) << s.name;
        EXPECT_FALSE(disk.Visible("new")) << s.name;
        for (const CapturedItem& item : s.newItems) EXPECT_EQ(item.selected, 0) << s.name;
    }
    // A whole save remembers every record anew: the photo after it is appended again.
    FakeDisk disk;
    SettingsSaver saver(disk);
    auto items = Photos({1, 2});
    ASSERT_TRUE(saver.Save(3, items));
    items = Photos({3, 2});  // the first replaced (a delete, a photo): a whole save
    ASSERT_TRUE(saver.Save(4, items));
    EXPECT_FALSE(saver.LastSaveAppended());
    items = Photos({3, 2, 4});
    ASSERT_TRUE(saver.Save(5, items));
    EXPECT_TRUE(saver.LastSaveAppended());
}

TEST(SettingsSaver, ACrashAfterAnyStepLeavesTheOldOrTheNewList) {
    for (Scenario s : Scenarios()) {
        FakeDisk disk;
        SettingsSaver saver(disk);
        Prepare(disk, saver, s);
        const std::optional<Bytes> oldList =
            s.oldFileExists ? std::optional<Bytes>(EncodeSettings(s.oldNumber, s.oldItems)) : std::nullopt;
        const Bytes newList = EncodeSettings(s.newNumber, s.newItems);
        disk.recording = true;
        disk.Snapshot();
        ASSERT_TRUE(saver.Save(s.newNumber, s.newItems)) << s.name;
        ASSERT_GT(disk.snapshots.size(), 1u);
        size_t images = 0;
        for (size_t step = 0; step < disk.snapshots.size(); ++step) {
            const auto& files = disk.snapshots[step];
            const auto dat = files.find("dat");
            if (dat == files.end()) {
                EXPECT_FALSE(oldList) << s.name << ", step " << step << ": the file went missing";
                continue;
            }
            for (const Bytes& image : dat->second.CrashImages()) {
                ++images;
                const std::optional<Bytes> read = AsRead(image);
                EXPECT_TRUE(read == oldList || read == newList) << s.name << ", step " << step;
            }
        }
        EXPECT_GT(images, 0u) << s.name;
    }
}

TEST(SettingsSaver, AFailureAtAnyStepKeepsTheOldListAndTheNextSaveRecovers) {
    for (Scenario s : Scenarios()) {
        // How many steps the save takes when nothing fails.
        int steps = 0;
        {
            FakeDisk disk;
            SettingsSaver saver(disk);
            Scenario copy = s;
            Prepare(disk, saver, copy);
            ASSERT_TRUE(saver.Save(copy.newNumber, copy.newItems));
            steps = disk.operations;
        }
        for (int failAt = 0; failAt < steps; ++failAt) {
            FakeDisk disk;
            SettingsSaver saver(disk);
            Scenario copy = s;
            Prepare(disk, saver, copy);
            const std::optional<Bytes> oldList =
                s.oldFileExists ? std::optional<Bytes>(EncodeSettings(s.oldNumber, s.oldItems)) : std::nullopt;
            const Bytes newList = EncodeSettings(s.newNumber, s.newItems);
            disk.failAt = failAt;
            const bool saved = saver.Save(copy.newNumber, copy.newItems);
            if (saved) {
                // The append path failed and the whole save behind it worked.
                EXPECT_EQ(disk.Visible("dat"), newList) << s.name << ", failure at " << failAt;
            } else {
                EXPECT_EQ(AsRead(disk.Visible("dat")), oldList) << s.name << ", failure at " << failAt;
            }
            EXPECT_FALSE(disk.Visible("new")) << s.name << ", failure at " << failAt;

            disk.failAt = -1;
            ASSERT_TRUE(saver.Save(copy.newNumber, copy.newItems)) << s.name;
            EXPECT_EQ(disk.Visible("dat"), newList) << s.name << ", after failure at " << failAt;
        }
    }
}

// Two failures in one save: the append fails, and so does the whole save behind it (or a
// later step of either). The file still reads as the old list and the next save recovers.
TEST(SettingsSaver, TwoFailuresInOneSaveStillKeepTheOldList) {
    for (Scenario s : Scenarios()) {
        if (!s.appends) continue;
        constexpr int kSteps = 24;  // more than an append and a whole save take together
        const Bytes oldList = EncodeSettings(s.oldNumber, s.oldItems);
        const Bytes newList = EncodeSettings(s.newNumber, s.newItems);
        for (int first = 0; first < kSteps; ++first) {
            for (int second = first + 1; second < kSteps; ++second) {
                FakeDisk disk;
                SettingsSaver saver(disk);
                Scenario copy = s;
                Prepare(disk, saver, copy);
                disk.failAt = first;
                disk.alsoFailAt = second;
                const std::string where = std::string(s.name) + ", failures at " + std::to_string(first) + " and " +
                                          std::to_string(second);
                if (saver.Save(copy.newNumber, copy.newItems))
                    EXPECT_EQ(disk.Visible("dat"), newList) << where;
                else
                    EXPECT_EQ(AsRead(disk.Visible("dat")), oldList) << where;
                EXPECT_FALSE(disk.Visible("new")) << where;

                disk.failAt = disk.alsoFailAt = -1;
                ASSERT_TRUE(saver.Save(copy.newNumber, copy.newItems)) << where;
                EXPECT_EQ(disk.Visible("dat"), newList) << where;
            }
        }
    }
}

TEST(SettingsSaver, FileChangedByOthersOrEditedItemsGetAWholeSave) {
    FakeDisk disk;
    SettingsSaver saver(disk);
    std::vector<CapturedItem> items = Photos({1, 2});
    ASSERT_TRUE(saver.Save(3, items));

    // Someone else wrote another list with the same header and length.
    disk.files["dat"]->durable = EncodeSettings(3, Photos({4, 5}));
    items.push_back(Photo(3));
    ASSERT_TRUE(saver.Save(4, items));
    EXPECT_FALSE(saver.LastSaveAppended());
    EXPECT_EQ(disk.Visible("dat"), EncodeSettings(4, items));

    // An earlier item's path edited in place.
    SetItemPath(items[0], u"C:\\elsewhere.jpg");
    items.push_back(Photo(4));
    ASSERT_TRUE(saver.Save(5, items));
    EXPECT_FALSE(saver.LastSaveAppended());
    EXPECT_EQ(disk.Visible("dat"), EncodeSettings(5, items));

    // A photo whose frame never came, then one that worked: the number moved by two.
    items.push_back(Photo(6));
    ASSERT_TRUE(saver.Save(7, items));
    EXPECT_FALSE(saver.LastSaveAppended());
    EXPECT_EQ(disk.Visible("dat"), EncodeSettings(7, items));
}

TEST(SettingsSaver, AppendFollowsAnExactLoadButNotAnInexactOne) {
    std::vector<CapturedItem> items = Photos({1, 2});
    for (const bool exact : {true, false}) {
        FakeDisk disk;
        disk.files["dat"] = std::make_shared<FileState>();
        disk.files["dat"]->durable = EncodeSettings(3, items);
        SettingsSaver saver(disk);
        saver.NoteLoaded(3, items, exact);
        std::vector<CapturedItem> more = items;
        more.push_back(Photo(3));
        ASSERT_TRUE(saver.Save(4, more));
        EXPECT_EQ(saver.LastSaveAppended(), exact);
        EXPECT_EQ(disk.Visible("dat"), EncodeSettings(4, more));
    }
}

}  // namespace
