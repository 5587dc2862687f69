#pragma once
// The settings file on disk: "halvo.dat" in the current folder unless told otherwise.
//
// Saving never destroys the previous list. A whole save writes the new file beside the old
// one ("halvo.dat.new"), flushes it and then replaces the old file in one step. When the
// only change since the last save or load is items appended at the end (the save after a
// photo), the new records are written after the old end and flushed first, and the picture
// number and count second: a crash in between leaves a file whose count still names the old
// records, which the reader takes as the old list (it bounds N by the length and ignores
// what follows). Either way the file ends up byte for byte what a whole save writes.
#include <cstdint>
#include <string>
#include <vector>

#include "controller/CapturedItem.h"

class SettingsFile {
public:
    explicit SettingsFile(std::wstring path = L"halvo.dat");
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // Clears every item's selected field in `items`, then writes the file. False when the
    // file could not be written; the previous file is then unchanged.
    //
    // Items already saved must not be edited in place (apart from their selected field):
    // the append path recognises them by kind, path and frame header, not by thumbnail.
    bool Save(int32_t pictureNumber, std::vector<CapturedItem>& items);
    // As Save, but always writes the whole file anew.
    bool SaveWhole(int32_t pictureNumber, std::vector<CapturedItem>& items);

    // True when the file was read and accepted: then `pictureNumber` is the stored one and
    // `items` the stored records whose photo file exists, in file order, none selected.
    // False when it is missing or not accepted; both arguments are then untouched.
    bool Load(int32_t& pictureNumber, std::vector<CapturedItem>& items);

    const std::wstring& Path() const { return m_path; }
    // Whether the last Save took the append path (for tests and benchmarks).
    bool LastSaveAppended() const { return m_bLastSaveAppended; }

private:
    bool TryAppend(int32_t pictureNumber, const std::vector<CapturedItem>& items);
    bool WriteWhole(int32_t pictureNumber, const std::vector<CapturedItem>& items);
    // Records that the file now holds `items`; the keys of the first `keptKeys` records are
    // known to be unchanged.
    void Remember(int32_t pictureNumber, const std::vector<CapturedItem>& items, size_t keptKeys);
    void Forget();

    std::wstring m_path;
    // What the file holds after the last successful save or exact load.
    bool m_bKnown = false;
    int32_t m_nSavedPictureNumber = 0;
    size_t m_nSavedCount = 0;
    std::vector<uint8_t> m_savedKeys;  // kind, path and header of every saved record
    bool m_bLastSaveAppended = false;
};
