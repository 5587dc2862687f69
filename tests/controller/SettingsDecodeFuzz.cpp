// The settings file as the program loads and saves it, from arbitrary bytes.
//
// The input is the file. It is decoded as SettingsFile::Load does it (a record of odd kind
// stands for a photo whose file is gone), in one piece and through a source that hands out
// chunks and may stop early, and encoded again. Then a session runs against an in-memory
// folder that holds the input, one step per byte: the bytes after the last whole record, or
// the first bytes of a file that is not accepted; a file with neither takes one photo.
//   step % 8   0 photo (bit 3: it failed and only used its number), 1 delete an item,
//              2 select an item, each followed by a save; 3 whole save;
//              4 the next save meets a failing store: bits 4-7 pick the operation, bit 3
//                makes it fail from there on (else that operation only);
//              5 someone puts the input back; 6 someone deletes the file; 7 restart.
// The file must always read as the list of the last successful save (with a lone failure) or
// as one of the two lists (when everything fails from some point), a successful save leaves
// exactly the bytes of a whole save, a photo after a known file is appended, and a restart
// finds the list that was saved.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/SettingsCodec.h"
#include "controller/SettingsSaver.h"

using namespace settings;

namespace {

using Bytes = std::vector<uint8_t>;

// Few and small enough for thousands of sessions a second.
constexpr size_t kMaxSteps = 16;
constexpr size_t kMaxItems = 4;
constexpr uint64_t kMaxFileSize = 4u << 20;

void Check(bool condition) {
    if (!condition) std::abort();
}

uint32_t Get32(const uint8_t* in) { return in[0] | in[1] << 8 | in[2] << 16 | static_cast<uint32_t>(in[3]) << 24; }

bool PhotoExists(const CapturedItem& item) { return (item.kind & 1) == 0; }

bool SameItems(const std::vector<CapturedItem>& a, const std::vector<CapturedItem>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(CapturedItem)) != 0) return false;
    return true;
}

// The file in the program's own form as a reader takes it; nothing when missing or refused.
std::optional<Bytes> AsRead(const std::optional<Bytes>& file) {
    if (!file) return std::nullopt;
    const auto loaded = DecodeSettings(file->data(), file->size());
    if (!loaded) return std::nullopt;
    return EncodeSettings(loaded->pictureNumber, loaded->items);
}

// The folder with the settings file and the replacement of a whole save. Every operation
// counts; from `failFrom` on they fail (only that one when `failOnce`). A failing write of
// more than 8 bytes leaves its first half, as a full disk does.
class MemoryFolder : public SettingsStore {
public:
    std::optional<Bytes> file, replacement;
    int operations = 0;
    int failFrom = -1;
    bool failOnce = true;

    bool Step() {
        const int n = operations++;
        return failFrom < 0 || n < failFrom || (failOnce && n > failFrom);
    }
    bool Failed() const { return failFrom >= 0 && operations > failFrom; }

    class File : public StoredFile {
    public:
        File(MemoryFolder& folder, std::optional<Bytes>& bytes) : m_folder(folder), m_bytes(bytes) {}
        std::optional<uint64_t> Size() override {
            if (!m_folder.Step() || !m_bytes) return std::nullopt;
            return m_bytes->size();
        }
        bool ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
            if (!m_folder.Step() || !m_bytes || offset > m_bytes->size() || m_bytes->size() - offset < size)
                return false;
            std::memcpy(data, m_bytes->data() + offset, size);
            return true;
        }
        bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
            Check(offset + size <= kMaxFileSize);
            if (!m_bytes) return false;
            const bool ok = m_folder.Step();
            const size_t written = ok ? size : (size > 8 ? size / 2 : 0);
            if (written == 0) return ok;
            if (m_bytes->size() < offset + written) m_bytes->resize(offset + written);
            std::memcpy(m_bytes->data() + offset, data, written);
            return ok;
        }
        bool Flush() override { return m_folder.Step() && m_bytes; }
        bool Truncate(uint64_t size) override {
            Check(size <= kMaxFileSize);
            if (!m_folder.Step() || !m_bytes) return false;
            m_bytes->resize(size);
            return true;
        }

    private:
        MemoryFolder& m_folder;
        std::optional<Bytes>& m_bytes;
    };

    std::unique_ptr<StoredFile> OpenExisting() override {
        if (!Step() || !file) return nullptr;
        return std::make_unique<File>(*this, file);
    }
    std::unique_ptr<StoredFile> CreateReplacement() override {
        if (!Step()) return nullptr;
        replacement.emplace();
        return std::make_unique<File>(*this, replacement);
    }
    bool CommitReplacement() override {
        if (!Step() || !replacement) return false;
        file = std::move(replacement);
        replacement.reset();
        return true;
    }
    void DiscardReplacement() override { replacement.reset(); }
};

CapturedItem Photo(int32_t number) {
    CapturedItem item = MakeEmptyItem();
    item.kind = 2;
    char name[48];
    std::snprintf(name, sizeof name, "C:\\Pictures\\Picture%04d.jpg", static_cast<int>(number));
    const std::u16string path(name, name + std::strlen(name));
    SetItemPath(item, path.c_str());
    item.header = MakeFrameHeader(640, 480);
    for (size_t i = 0; i < 80 * 60 * 4; ++i) item.thumbnail[i] = static_cast<uint8_t>(number + i);
    return item;
}

// Everything one decode of `data` may say, against a decode without the keep-callback, the
// file's own records, a decode of the same bytes in chunks that may end early, and a round trip.
void CheckDecoding(const uint8_t* data, size_t size) {
    std::vector<CapturedItem> asked;
    const auto kept = DecodeSettings(data, size, [&asked](const CapturedItem& item) {
        asked.push_back(item);
        return PhotoExists(item);
    });
    const auto all = DecodeSettings(data, size);
    const bool accepted = size >= kHeaderSize && Get32(data) == kMagic && Get32(data + 4) == uint32_t(kVersion);
    Check(kept.has_value() == accepted && all.has_value() == accepted);
    if (!accepted) return;

    const auto stored = static_cast<int32_t>(Get32(data + 12));
    const size_t records = stored <= 0 ? 0 : std::min<size_t>(stored, (size - kHeaderSize) / kRecordSize);
    Check(all->pictureNumber == static_cast<int32_t>(Get32(data + 8)) && kept->pictureNumber == all->pictureNumber);
    Check(all->items.size() == records && SameItems(asked, all->items));
    std::vector<CapturedItem> existing;
    for (size_t i = 0; i < records; ++i) {
        const CapturedItem& item = all->items[i];
        Check(ItemPath(item).size() < kItemPathLength && item.selected == 0);
        // Nothing else differs from the record as stored.
        CapturedItem asStored;
        std::memcpy(&asStored, data + kHeaderSize + i * kRecordSize, kRecordSize);
        asStored.selected = 0;
        if (std::find(std::begin(asStored.path), std::end(asStored.path), 0) == std::end(asStored.path))
            asStored.path[kItemPathLength - 1] = 0;
        Check(std::memcmp(&asStored, &item, kRecordSize) == 0);
        if (PhotoExists(item)) existing.push_back(item);
    }
    Check(SameItems(kept->items, existing));
    // The flag says exactly whether encoding what was read gives back the bytes.
    const Bytes encodedAll = EncodeSettings(all->pictureNumber, all->items);
    Check(all->matchesData == (encodedAll.size() == size && std::memcmp(encodedAll.data(), data, size) == 0));
    const Bytes encodedKept = EncodeSettings(kept->pictureNumber, kept->items);
    Check(kept->matchesData == (encodedKept.size() == size && std::memcmp(encodedKept.data(), data, size) == 0));
    const auto again = DecodeSettings(encodedKept.data(), encodedKept.size(), PhotoExists);
    Check(again && again->matchesData && SameItems(again->items, kept->items));

    // The same bytes in chunks of 64 .. 16384, from a file that may end early.
    const size_t chunk = 64 + size_t(data[size / 2]) * 64;
    const uint8_t cutByte = data[size / 3];
    const size_t limit = cutByte & 1 ? size - std::min(size, size_t(cutByte >> 1) * 397) : size;
    size_t at = 0;
    const auto cut = DecodeSettings(
        [&](uint8_t* out, size_t wanted) {
            const size_t n = std::min({wanted, chunk, limit - at});
            std::memcpy(out, data + at, n);
            at += n;
            return n;
        },
        size, PhotoExists);
    if (limit < kHeaderSize) {
        Check(!cut);
        return;
    }
    const size_t whole = std::min(records, (limit - kHeaderSize) / kRecordSize);
    std::vector<CapturedItem> prefix;
    for (size_t i = 0; i < whole; ++i)
        if (PhotoExists(all->items[i])) prefix.push_back(all->items[i]);
    Check(cut && cut->pictureNumber == all->pictureNumber && SameItems(cut->items, prefix));
    Check(cut->matchesData == (kept->matchesData && whole == records));
}

struct Session {
    const uint8_t* input;
    size_t inputSize;
    MemoryFolder folder;
    std::unique_ptr<SettingsSaver> saver;
    int32_t pictureNumber = 1;
    std::vector<CapturedItem> items;
    std::optional<Bytes> readsAs;  // what the file reads as
    bool known = false;    // the saver knows the file as it is, so a photo appends
    bool foreign = false;  // put back since the last whole save: only what it reads as counts
    bool failNext = false;
    int failAfter = 0;
    bool failOnce = true;

    void Restart() {
        const Bytes before = EncodeSettings(pictureNumber, items);
        const bool savedList = readsAs == before;
        saver = std::make_unique<SettingsSaver>(folder);
        pictureNumber = 1;
        items.clear();
        known = false;
        if (folder.file) {
            const Bytes& bytes = *folder.file;
            if (auto loaded = DecodeSettings(bytes.data(), bytes.size(), PhotoExists)) {
                Check(loaded->matchesData == (EncodeSettings(loaded->pictureNumber, loaded->items) == bytes));
                pictureNumber = loaded->pictureNumber;
                items = std::move(loaded->items);
                saver->NoteLoaded(pictureNumber, items, loaded->matchesData);
                known = loaded->matchesData;
            }
        }
        if (savedList) Check(EncodeSettings(pictureNumber, items) == before);
    }

    // `appendable`: only appended items or a changed selection since the last save.
    void Save(bool whole, bool appendable) {
        if (failNext) {
            folder.failFrom = folder.operations + failAfter;
            folder.failOnce = failOnce;
        }
        const Bytes wanted = EncodeSettings(pictureNumber, items);
        const bool ok = whole ? saver->SaveWhole(pictureNumber, items) : saver->Save(pictureNumber, items);
        const bool failed = folder.Failed();
        folder.failFrom = -1;
        failNext = false;
        Check(!folder.replacement);
        for (const CapturedItem& item : items) Check(item.selected == 0);
        if (ok) {
            if (saver->LastSaveAppended()) {
                Check(!whole);
                Check(foreign ? AsRead(folder.file) == wanted : folder.file == wanted);
            } else {
                Check(folder.file == wanted);
                foreign = false;
            }
            if (appendable && known && !failed && !whole) Check(saver->LastSaveAppended());
            readsAs = wanted;
            known = true;
            return;
        }
        Check(failed);
        const std::optional<Bytes> now = AsRead(folder.file);
        Check(now == readsAs || (!failOnce && now == wanted));
        readsAs = now;
        known = false;
    }

    void Run(uint8_t step) {
        const size_t n = items.size();
        const size_t pick = n ? (step >> 3) % n : 0;
        switch (step % 8) {
            case 0: {
                // The number is used whether or not the photo is stored.
                const int32_t number = pictureNumber;
                pictureNumber = number >= 10000 ? 1 : number + 1;
                const bool stored = !(step & 8) && n < kMaxItems;
                if (stored) items.push_back(Photo(number));
                Save(false, stored);
                break;
            }
            case 1:
                if (n) items.erase(items.begin() + static_cast<std::ptrdiff_t>(pick));
                Save(false, n == 0);
                break;
            case 2:
                if (n) items[pick].selected = 1;
                Save(false, true);
                break;
            case 3: Save(true, false); break;
            case 4:
                failNext = true;
                failAfter = step >> 4;
                failOnce = !(step & 8);
                break;
            case 5:
                folder.file = Bytes(input, input + inputSize);
                readsAs = AsRead(folder.file);
                foreign = true;
                known = false;
                break;
            case 6:
                folder.file.reset();
                readsAs.reset();
                known = false;
                break;
            case 7: Restart(); break;
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckDecoding(data, size);

    Session session{data, size};
    session.folder.file = Bytes(data, data + size);
    session.readsAs = AsRead(session.folder.file);
    session.Restart();
    // The steps: the bytes of a torn last record, or of a file that is not accepted.
    size_t first = 0;
    if (session.readsAs) first = size - (size - kHeaderSize) % kRecordSize;
    const size_t steps = std::min(kMaxSteps, size - first);
    if (steps == 0) session.Run(0);
    for (size_t i = 0; i < steps; ++i) session.Run(data[first + i]);
    return 0;
}
