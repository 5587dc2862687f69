#include "controller/SettingsFile.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "controller/CapturedItemWin.h"
#include "controller/SettingsCodec.h"
#include "framework/Handles.h"

namespace {

// The bytes that identify a saved record: kind, then path and frame header (selected, which
// lies in between, is always stored as 0, and thumbnails are never edited in place).
constexpr size_t kKeySize = sizeof(int32_t) + offsetof(CapturedItem, thumbnail) - offsetof(CapturedItem, path);

void AppendKey(std::vector<uint8_t>& keys, const CapturedItem& item) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&item);
    keys.insert(keys.end(), bytes, bytes + sizeof(int32_t));
    keys.insert(keys.end(), bytes + offsetof(CapturedItem, path), bytes + offsetof(CapturedItem, thumbnail));
}

bool KeyMatches(const uint8_t* key, const CapturedItem& item) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&item);
    return std::memcmp(key, bytes, sizeof(int32_t)) == 0 &&
           std::memcmp(key + sizeof(int32_t), bytes + offsetof(CapturedItem, path),
                       kKeySize - sizeof(int32_t)) == 0;
}

// The picture number after `photos` photos: numbers run 1 .. 10000, then start again at 1.
int32_t AdvancePictureNumber(int32_t number, size_t photos) {
    for (size_t i = 0; i < photos; ++i) number = number + 1 > 10000 || number < 0 ? 1 : number + 1;
    return number;
}

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

// Collects small writes into large ones.
class BufferedWriter {
public:
    explicit BufferedWriter(HANDLE file) : m_file(file) { m_buffer.reserve(kCapacity); }
    bool Write(const uint8_t* data, size_t size) {
        if (m_buffer.size() + size > kCapacity && !Flush()) return false;
        if (size >= kCapacity) return WriteAll(m_file, data, size);
        m_buffer.insert(m_buffer.end(), data, data + size);
        return true;
    }
    bool Flush() {
        const bool ok = WriteAll(m_file, m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return ok;
    }

private:
    static constexpr size_t kCapacity = 1u << 20;
    HANDLE m_file;
    std::vector<uint8_t> m_buffer;
};

}  // namespace

SettingsFile::SettingsFile(std::wstring path) : m_path(std::move(path)) {}

bool SettingsFile::Save(int32_t pictureNumber, std::vector<CapturedItem>& items) {
    for (CapturedItem& item : items) item.selected = 0;
    m_bLastSaveAppended = TryAppend(pictureNumber, items);
    if (m_bLastSaveAppended) {
        Remember(pictureNumber, items, m_nSavedCount);  // the earlier records were just compared
        return true;
    }
    return SaveWhole(pictureNumber, items);
}

bool SettingsFile::SaveWhole(int32_t pictureNumber, std::vector<CapturedItem>& items) {
    for (CapturedItem& item : items) item.selected = 0;
    m_bLastSaveAppended = false;
    if (!WriteWhole(pictureNumber, items)) {
        Forget();
        return false;
    }
    Remember(pictureNumber, items, 0);
    return true;
}

bool SettingsFile::TryAppend(int32_t pictureNumber, const std::vector<CapturedItem>& items) {
    if (!m_bKnown || items.size() < m_nSavedCount || items.size() > INT32_MAX) return false;
    const size_t appended = items.size() - m_nSavedCount;
    // One photo advances the number by one and adds at most one item, so a number that moved
    // exactly as far as the list grew rules out deletions in between.
    if (AdvancePictureNumber(m_nSavedPictureNumber, appended) != pictureNumber) return false;
    for (size_t i = 0; i < m_nSavedCount; ++i)
        if (!KeyMatches(&m_savedKeys[i * kKeySize], items[i])) return false;

    UniqueFile file(CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // The file must still be exactly what was last saved.
    const uint64_t oldSize = settings::FileSize(m_nSavedCount);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) != oldSize) return false;
    uint8_t expectedHeader[settings::kHeaderSize];
    settings::EncodeHeader(m_nSavedPictureNumber, static_cast<int32_t>(m_nSavedCount), expectedHeader);
    uint8_t header[settings::kHeaderSize];
    DWORD read = 0;
    if (!ReadFile(file.Get(), header, sizeof header, &read, nullptr) || read != sizeof header ||
        std::memcmp(header, expectedHeader, sizeof header) != 0)
        return false;

    // New records first, flushed: until the count below lands, readers still see the old list.
    bool ok = SeekTo(file.Get(), oldSize);
    if (ok && appended > 0) {
        BufferedWriter writer(file.Get());
        std::vector<uint8_t> record(settings::kRecordSize);
        for (size_t i = m_nSavedCount; ok && i < items.size(); ++i) {
            settings::EncodeRecord(items[i], record.data());
            ok = writer.Write(record.data(), record.size());
        }
        ok = ok && writer.Flush() && FlushFileBuffers(file.Get());
    }
    // Then the picture number and count together, in one small write inside the first sector.
    uint8_t fields[settings::kCountFieldsSize];
    settings::EncodeCountFields(pictureNumber, static_cast<int32_t>(items.size()), fields);
    ok = ok && SeekTo(file.Get(), settings::kCountFieldsOffset) && WriteAll(file.Get(), fields, sizeof fields) &&
         FlushFileBuffers(file.Get());
    if (!ok) {
        // Best effort back to the old bytes; the whole save that follows replaces the file anyway.
        if (SeekTo(file.Get(), settings::kCountFieldsOffset))
            WriteAll(file.Get(), expectedHeader + settings::kCountFieldsOffset, settings::kCountFieldsSize);
        if (SeekTo(file.Get(), oldSize)) SetEndOfFile(file.Get());
        Forget();
    }
    return ok;
}

bool SettingsFile::WriteWhole(int32_t pictureNumber, const std::vector<CapturedItem>& items) {
    if (items.size() > INT32_MAX) return false;
    const std::wstring newPath = m_path + L".new";
    bool ok;
    {
        UniqueFile file(CreateFileW(newPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        BufferedWriter writer(file.Get());
        ok = settings::EncodeSettings(pictureNumber, items,
                                      [&writer](const uint8_t* data, size_t size) { return writer.Write(data, size); }) &&
             writer.Flush() && FlushFileBuffers(file.Get());
    }
    ok = ok && MoveFileExW(newPath.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(newPath.c_str());
    return ok;
}

bool SettingsFile::Load(int32_t& pictureNumber, std::vector<CapturedItem>& items) {
    UniqueFile file(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size)) return false;
    const settings::ByteSource source = [&file](uint8_t* data, size_t wanted) -> size_t {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wanted, 1u << 24));
        if (!ReadFile(file.Get(), data, chunk, &read, nullptr)) return 0;
        return read;
    };
    const settings::KeepRecord photoExists = [](const CapturedItem& item) {
        return PathFileExistsW(ItemPathW(item).c_str()) != FALSE;
    };
    std::optional<settings::LoadedSettings> loaded =
        settings::DecodeSettings(source, static_cast<uint64_t>(size.QuadPart), photoExists);
    if (!loaded) return false;
    pictureNumber = loaded->pictureNumber;
    items = std::move(loaded->items);
    // Appending after a load is safe only when the list is exactly what the file holds.
    if (loaded->matchesData)
        Remember(pictureNumber, items, 0);
    else
        Forget();
    return true;
}

void SettingsFile::Remember(int32_t pictureNumber, const std::vector<CapturedItem>& items, size_t keptKeys) {
    keptKeys = std::min({keptKeys, m_nSavedCount, items.size()});
    m_savedKeys.resize(keptKeys * kKeySize);
    for (size_t i = keptKeys; i < items.size(); ++i) AppendKey(m_savedKeys, items[i]);
    m_nSavedCount = items.size();
    m_nSavedPictureNumber = pictureNumber;
    m_bKnown = true;
}

void SettingsFile::Forget() {
    m_bKnown = false;
    m_nSavedCount = 0;
    m_savedKeys.clear();
}
