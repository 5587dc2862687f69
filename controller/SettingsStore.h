#pragma once
// The file operations a settings save needs, so that the order of writes, flushes and the
// final replacement is platform-free (and tested against a store that fails or "crashes" at
// every step). SettingsFile.cpp implements them with Win32 calls.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace settings {

// One open file. Every operation reports whether it succeeded.
class StoredFile {
public:
    virtual ~StoredFile() = default;
    virtual std::optional<uint64_t> Size() = 0;
    virtual bool ReadAt(uint64_t offset, uint8_t* data, size_t size) = 0;
    virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
    // Returns once everything written so far is on the disk.
    virtual bool Flush() = 0;
    virtual bool Truncate(uint64_t size) = 0;
};

// The settings file and the replacement that a whole save prepares beside it.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The settings file for reading and writing; null when missing or not accessible.
    virtual std::unique_ptr<StoredFile> OpenExisting() = 0;
    // A new, empty replacement file; null when it cannot be created.
    virtual std::unique_ptr<StoredFile> CreateReplacement() = 0;
    // Puts the (closed) replacement in place of the settings file in one step, durably.
    virtual bool CommitReplacement() = 0;
    // Removes a replacement that will not be committed.
    virtual void DiscardReplacement() = 0;
};

}  // namespace settings
