#include "controller/SettingsFile.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

#include "controller/CapturedItemWin.h"
#include "controller/PhotoFiles.h"
#include "controller/SettingsCodec.h"
#include "framework/Handles.h"
#include "framework/Trace.h"

namespace {

// Largest single ReadFile or WriteFile.
constexpr size_t kMaxChunk = 1u << 24;
constexpr wchar_t kArea[] = L"settings";

// False after tracing the Win32 error of `step`; else true.
bool Succeeded(BOOL result, const wchar_t* step) {
    if (result) return true;
    TraceLastError(kArea, step);
    return false;
}

class Win32StoredFile : public settings::StoredFile {
public:
    explicit Win32StoredFile(UniqueFile file) : m_file(std::move(file)) {}

    std::optional<uint64_t> Size() override {
        LARGE_INTEGER size;
        if (!Succeeded(GetFileSizeEx(m_file.Get(), &size), L"read the file's size")) return std::nullopt;
        return static_cast<uint64_t>(size.QuadPart);
    }
    bool ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
        if (!SeekTo(offset)) return false;
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxChunk));
            DWORD read = 0;
            if (!Succeeded(ReadFile(m_file.Get(), data, chunk, &read, nullptr), L"read")) return false;
            if (read != chunk) {
                TraceFailure(kArea, L"read (the file ended)", E_FAIL);
                return false;
            }
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
            if (!Succeeded(WriteFile(m_file.Get(), data, chunk, &written, nullptr), L"write")) return false;
            if (written != chunk) {
                TraceFailure(kArea, L"write (the disk took less)", E_FAIL);
                return false;
            }
            data += chunk;
            size -= chunk;
        }
        return true;
    }
    bool Flush() override { return Succeeded(FlushFileBuffers(m_file.Get()), L"flush"); }
    bool Truncate(uint64_t size) override {
        return SeekTo(size) && Succeeded(SetEndOfFile(m_file.Get()), L"cut the file short");
    }

private:
    bool SeekTo(uint64_t offset) {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        return Succeeded(SetFilePointerEx(m_file.Get(), position, nullptr, FILE_BEGIN), L"seek");
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
        return Succeeded(
            MoveFileExW(m_newPath.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
            L"put the new file in the place of the old");
    }
    void DiscardReplacement() override { DeleteFileW(m_newPath.c_str()); }

private:
    static std::unique_ptr<settings::StoredFile> Open(const std::wstring& path, DWORD access, DWORD share,
                                                      DWORD disposition) {
        UniqueFile file(CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            TraceLastError(kArea, disposition == OPEN_EXISTING ? L"open the file" : L"create the new file");
            return nullptr;
        }
        return std::make_unique<Win32StoredFile>(std::move(file));
    }

    std::wstring m_path;
    std::wstring m_newPath;
};

}  // namespace

SettingsFile::SettingsFile(std::wstring path)
    : m_path(std::move(path)), m_store(std::make_unique<Win32SettingsStore>(m_path)), m_saver(*m_store) {}

SettingsFile::~SettingsFile() = default;

bool SettingsFile::Load(int32_t& pictureNumber, std::vector<CapturedItem>& items, const photo_files::PathRule& rule) {
    UniqueFile file(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file) {
        // No file yet is the first start, not a failure.
        if (GetLastError() != ERROR_FILE_NOT_FOUND) TraceLastError(kArea, L"open the file to load it");
        return false;
    }
    if (!Succeeded(GetFileSizeEx(file.Get(), &size), L"read the file's size")) return false;
    const settings::ByteSource source = [&file](uint8_t* data, size_t wanted) -> size_t {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(wanted, kMaxChunk));
        if (!Succeeded(ReadFile(file.Get(), data, chunk, &read, nullptr), L"read")) return 0;
        return read;
    };
    // Other paths are never looked for: asking about a network path would make the system
    // connect to its server. Those items stay, shown but never opened (photo_files).
    const settings::KeepRecord photoExists = [&rule](const CapturedItem& item) {
        return !rule.MayLookFor(ItemPath(item)) || PathFileExistsW(ItemPathW(item).c_str()) != FALSE;
    };
    std::optional<settings::LoadedSettings> loaded =
        settings::DecodeSettings(source, static_cast<uint64_t>(size.QuadPart), photoExists);
    if (!loaded) return false;
    pictureNumber = loaded->pictureNumber;
    items = std::move(loaded->items);
    m_saver.NoteLoaded(pictureNumber, items, loaded->matchesData);
    return true;
}
