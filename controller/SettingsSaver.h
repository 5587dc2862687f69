#pragma once
// Writes the settings file without ever destroying the previous list.
//
// A whole save writes the new file as a replacement beside the old one, flushes it and then
// replaces the old file in one step. When the only change since the last save or exact load
// is items appended at the end (the save after a photo), the new records are written after
// the old end and flushed first, and the picture number and count second, in one 8-byte write
// inside the first sector: a crash in between leaves a count that still names the old records,
// and the reader, which bounds N by the length and ignores what follows, sees the old list.
// Either way the file ends up byte for byte what a whole save writes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "controller/CapturedItem.h"
#include "controller/SettingsStore.h"

namespace settings {

class SettingsSaver {
public:
    explicit SettingsSaver(SettingsStore& store) : m_store(store) {}
    SettingsSaver(const SettingsSaver&) = delete;
    SettingsSaver& operator=(const SettingsSaver&) = delete;

    // Clears every item's selected field in `items`, then writes the file. False when it
    // could not be written; the previous file then still reads as the previous list.
    //
    // Items already saved must not be edited in place (apart from their selected field):
    // the append path recognises them by kind, path and frame header, not by thumbnail.
    bool Save(int32_t pictureNumber, std::vector<CapturedItem>& items);
    // As Save, but always writes the whole file anew.
    bool SaveWhole(int32_t pictureNumber, std::vector<CapturedItem>& items);

    // After a load: `exact` when encoding the loaded list gives the file's bytes, which lets
    // the next save append.
    void NoteLoaded(int32_t pictureNumber, const std::vector<CapturedItem>& items, bool exact);

    // Whether the last Save took the append path (for tests and benchmarks).
    bool LastSaveAppended() const { return m_bLastSaveAppended; }

private:
    bool TryAppend(int32_t pictureNumber, const std::vector<CapturedItem>& items);
    bool WriteWhole(int32_t pictureNumber, const std::vector<CapturedItem>& items);
    // Records that the file now holds `items`; the first `keptKeys` keys are unchanged.
    void Remember(int32_t pictureNumber, const std::vector<CapturedItem>& items, size_t keptKeys);
    void Forget();

    SettingsStore& m_store;
    // What the file holds after the last successful save or exact load.
    bool m_bKnown = false;
    int32_t m_nSavedPictureNumber = 0;
    size_t m_nSavedCount = 0;
    std::vector<uint8_t> m_savedKeys;  // kind, path and header of every saved record
    bool m_bLastSaveAppended = false;
};

}  // namespace settings
