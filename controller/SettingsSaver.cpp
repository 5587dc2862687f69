#include "controller/SettingsSaver.h"

#include <algorithm>
#include <cstring>

#include "controller/SettingsCodec.h"

namespace settings {
namespace {

// The bytes that identify a saved record: kind, then path and frame header (selected, which
// lies in between, is always stored as 0, and thumbnails are never edited in place).
constexpr size_t kPathOffset = offsetof(CapturedItem, path);
constexpr size_t kKeyTailSize = offsetof(CapturedItem, thumbnail) - kPathOffset;
constexpr size_t kKeySize = sizeof(int32_t) + kKeyTailSize;

void AppendKey(std::vector<uint8_t>& keys, const CapturedItem& item) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&item);
    keys.insert(keys.end(), bytes, bytes + sizeof(int32_t));
    keys.insert(keys.end(), bytes + kPathOffset, bytes + kPathOffset + kKeyTailSize);
}

// `record` holds at least the bytes of a record up to its thumbnail.
bool KeyMatches(const uint8_t* key, const uint8_t* record) {
    return std::memcmp(key, record, sizeof(int32_t)) == 0 &&
           std::memcmp(key + sizeof(int32_t), record + kPathOffset, kKeyTailSize) == 0;
}

bool KeyMatches(const uint8_t* key, const CapturedItem& item) {
    return KeyMatches(key, reinterpret_cast<const uint8_t*>(&item));
}

// The picture number after `photos` photos: numbers run 1 .. 10000, then start again at 1.
int32_t AdvancePictureNumber(int32_t number, size_t photos) {
    for (size_t i = 0; i < photos; ++i) number = number >= 10000 ? 1 : number + 1;
    return number;
}

// Collects the encoder's small writes into large ones at increasing offsets.
class BufferedWriter {
public:
    explicit BufferedWriter(StoredFile& file) : m_file(file) { m_buffer.reserve(kCapacity); }
    bool Write(const uint8_t* data, size_t size) {
        if (m_buffer.size() + size > kCapacity && !Flush()) return false;
        if (size >= kCapacity) {
            if (!m_file.WriteAt(m_offset, data, size)) return false;
            m_offset += size;
            return true;
        }
        m_buffer.insert(m_buffer.end(), data, data + size);
        return true;
    }
    bool Flush() {
        if (m_buffer.empty()) return true;
        const bool ok = m_file.WriteAt(m_offset, m_buffer.data(), m_buffer.size());
        m_offset += m_buffer.size();
        m_buffer.clear();
        return ok;
    }

private:
    static constexpr size_t kCapacity = 1u << 20;
    StoredFile& m_file;
    uint64_t m_offset = 0;
    std::vector<uint8_t> m_buffer;
};

}  // namespace

bool SettingsSaver::Save(int32_t pictureNumber, std::vector<CapturedItem>& items) {
    for (CapturedItem& item : items) item.selected = 0;
    m_bLastSaveAppended = TryAppend(pictureNumber, items);
    if (m_bLastSaveAppended) {
        Remember(pictureNumber, items, m_nSavedCount);  // the earlier records were just compared
        return true;
    }
    return SaveWhole(pictureNumber, items);
}

bool SettingsSaver::SaveWhole(int32_t pictureNumber, std::vector<CapturedItem>& items) {
    for (CapturedItem& item : items) item.selected = 0;
    m_bLastSaveAppended = false;
    if (!WriteWhole(pictureNumber, items)) {
        Forget();
        return false;
    }
    Remember(pictureNumber, items, 0);
    return true;
}

void SettingsSaver::NoteLoaded(int32_t pictureNumber, const std::vector<CapturedItem>& items, bool exact) {
    if (exact)
        Remember(pictureNumber, items, 0);
    else
        Forget();
}

bool SettingsSaver::TryAppend(int32_t pictureNumber, const std::vector<CapturedItem>& items) {
    if (!m_bKnown || items.size() < m_nSavedCount || items.size() > INT32_MAX) return false;
    const size_t appended = items.size() - m_nSavedCount;
    // One photo advances the number by one and adds at most one item, so a number that moved
    // exactly as far as the list grew rules out deletions in between.
    if (AdvancePictureNumber(m_nSavedPictureNumber, appended) != pictureNumber) return false;
    for (size_t i = 0; i < m_nSavedCount; ++i)
        if (!KeyMatches(&m_savedKeys[i * kKeySize], items[i])) return false;

    std::unique_ptr<StoredFile> file = m_store.OpenExisting();
    if (!file) return false;
    // The file must still be exactly what was last saved.
    const uint64_t oldSize = FileSize(m_nSavedCount);
    uint8_t expectedHeader[kHeaderSize];
    EncodeHeader(m_nSavedPictureNumber, static_cast<int32_t>(m_nSavedCount), expectedHeader);
    uint8_t header[kHeaderSize];
    if (file->Size() != oldSize || !file->ReadAt(0, header, sizeof header) ||
        std::memcmp(header, expectedHeader, sizeof header) != 0)
        return false;
    if (m_nSavedCount > 0) {
        // And end with the record saved last (a cheap guard against a file put back by others).
        uint8_t last[offsetof(CapturedItem, thumbnail)];
        if (!file->ReadAt(FileSize(m_nSavedCount - 1), last, sizeof last) ||
            !KeyMatches(&m_savedKeys[(m_nSavedCount - 1) * kKeySize], last))
            return false;
    }

    // New records first, flushed: until the count below lands, readers still see the old list.
    bool ok = true;
    if (appended > 0) {
        std::vector<uint8_t> records(appended * kRecordSize);
        for (size_t i = 0; i < appended; ++i) EncodeRecord(items[m_nSavedCount + i], &records[i * kRecordSize]);
        ok = file->WriteAt(oldSize, records.data(), records.size()) && file->Flush();
    }
    uint8_t fields[kCountFieldsSize];
    EncodeCountFields(pictureNumber, static_cast<int32_t>(items.size()), fields);
    ok = ok && file->WriteAt(kCountFieldsOffset, fields, sizeof fields) && file->Flush();
    if (!ok) {
        // Back to the old bytes as far as possible; a whole save follows and replaces the file.
        file->WriteAt(kCountFieldsOffset, expectedHeader + kCountFieldsOffset, kCountFieldsSize);
        file->Truncate(oldSize);
        file->Flush();
        Forget();
    }
    return ok;
}

bool SettingsSaver::WriteWhole(int32_t pictureNumber, const std::vector<CapturedItem>& items) {
    if (items.size() > INT32_MAX) return false;
    bool ok;
    {
        std::unique_ptr<StoredFile> file = m_store.CreateReplacement();
        if (!file) {
            m_store.DiscardReplacement();
            return false;
        }
        BufferedWriter writer(*file);
        ok = EncodeSettings(pictureNumber, items,
                            [&writer](const uint8_t* data, size_t size) { return writer.Write(data, size); }) &&
             writer.Flush() && file->Flush();
    }  // closed before it is put in place
    ok = ok && m_store.CommitReplacement();
    if (!ok) m_store.DiscardReplacement();
    return ok;
}

void SettingsSaver::Remember(int32_t pictureNumber, const std::vector<CapturedItem>& items, size_t keptKeys) {
    keptKeys = std::min({keptKeys, m_nSavedCount, items.size()});
    m_savedKeys.resize(keptKeys * kKeySize);
    for (size_t i = keptKeys; i < items.size(); ++i) AppendKey(m_savedKeys, items[i]);
    m_nSavedCount = items.size();
    m_nSavedPictureNumber = pictureNumber;
    m_bKnown = true;
}

void SettingsSaver::Forget() {
    m_bKnown = false;
    m_nSavedCount = 0;
    m_savedKeys.clear();
}

}  // namespace settings
