#pragma once
// The settings file on disk: "halvo.dat" in the current folder unless told otherwise. A whole
// save prepares "halvo.dat.new" beside it and then replaces the file in one step; the save
// after a photo appends in a crash-safe order (SettingsSaver.h).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controller/CapturedItem.h"
#include "controller/PhotoFiles.h"
#include "controller/SettingsSaver.h"
#include "controller/SettingsStore.h"

class SettingsFile {
public:
    explicit SettingsFile(std::wstring path = L"halvo.dat");
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // Clears every item's selected field in `items`, then writes the file. False when a step
    // of the save failed; the file then reads as the previous list, or, when only the last
    // flush failed, already as the new one (never as anything else).
    // Items already saved must not be edited in place, apart from their selected field.
    bool Save(int32_t pictureNumber, std::vector<CapturedItem>& items) { return m_saver.Save(pictureNumber, items); }
    // As Save, but always writes the whole file anew.
    bool SaveWhole(int32_t pictureNumber, std::vector<CapturedItem>& items) {
        return m_saver.SaveWhole(pictureNumber, items);
    }

    // True when the file was read and accepted: then `pictureNumber` is the stored one and
    // `items` the stored records whose file exists, of those that `rule` may look for, and
    // the others untouched, in file order, none selected.
    // False when it is missing or not accepted; both arguments are then untouched.
    bool Load(int32_t& pictureNumber, std::vector<CapturedItem>& items,
              const photo_files::PathRule& rule = photo_files::PathRule());

    const std::wstring& Path() const { return m_path; }
    bool LastSaveAppended() const { return m_saver.LastSaveAppended(); }

private:
    std::wstring m_path;
    std::unique_ptr<settings::SettingsStore> m_store;
    settings::SettingsSaver m_saver;
};
