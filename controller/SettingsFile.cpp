#include "controller/SettingsFile.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

#include "controller/CapturedItemWin.h"
#include "controller/SettingsCodec.h"
#include "framework/Handles.h"

namespace {

// Largest single ReadFile or WriteFile.
constexpr size_t kMaxChunk = 1u << 24;

class Win32StoredFile : public settings::StoredFile {
public:
    explicit Win32StoredFile(UniqueFile file) : m_file(std::move(file)) {}

    std::optional<uint64_t> Size() override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(m_file.Get(), &size)) return std::nullopt;
        return static_cast<uint64_t>(size.QuadPart);
    }
    bool ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
        if (!SeekTo(offset)) return false;
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxChunk));
            DWORD read = 0;
            if (!ReadFile(m_file.Get(), data, chunk, &read, nullptr) || read != chunk) return false;
            data += chunk;
            size -= chunk;
        }
        return true;
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
        if (!SeekTo(offset)) return false;
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxChunk));
            DWORD written = 0;
            if (!WriteFile(m_file.Get(), data, chunk, &written, nullptr) || written != chunk) return false;
            data += chunk;
            size -= chunk;
        }
        return true;
    }
    bool Flush() override { return FlushFileBuffers(m_file.Get()) != FALSE; }
    bool Truncate(uint64_t size) override { return SeekTo(size) && SetEndOfFile(m_file.Get()); }

private:
    bool SeekTo(uint64_t offset) {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(m_file.Get(), position, nullptr, FILE_BEGIN) != FALSE;
    }

    UniqueFile m_file;
};

class Win32SettingsStore : public settings::SettingsStore {
public:
    explicit Win32SettingsStore(const std::wstring& path) : m_path(path), m_newPath(path + L".new") {}

    std::unique_ptr<settings::StoredFile> OpenExisting() override {
        return Open(m_path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    }
    std::unique_ptr<settings::StoredFile> CreateReplacement() override {
        return Open(m_newPath, GENERIC_WRITE, 0, CREATE_ALWAYS);
    }
    bool CommitReplacement() override {
        return MoveFileExW(m_newPath.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
               FALSE;
    }
    void DiscardReplacement() override { DeleteFileW(m_newPath.c_str()); }

private:
    static std::unique_ptr<settings::StoredFile> Open(const std::wstring& path, DWORD access, DWORD share,
                                                      DWORD disposition) {
        UniqueFile file(CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return nullptr;
        return std::make_unique<Win32StoredFile>(std::move(file));
    }

    std::wstring m_path;
    std::wstring m_newPath;
};

}  // namespace

SettingsFile::SettingsFile(std::wstring path)
    : m_path(std::move(path)), m_store(std::make_unique<Win32SettingsStore>(m_path)), m_saver(*m_store) {}

SettingsFile::~SettingsFile() = default;

bool SettingsFile::Load(int32_t& pictureNumber, std::vector<CapturedItem>& items) {
    UniqueFile file(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size)) return false;
    const settings::ByteSource source = [&file](uint8_t* data, size_t wanted) -> size_t {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(wanted, kMaxChunk));
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
    m_saver.NoteLoaded(pictureNumber, items, loaded->matchesData);
    return true;
}
