#pragma once
// File helpers for the Wine tests of imaging and the compressor: a fresh folder per test
// under the (private) temporary folder, whole-file reads and writes, and the picture size
// from a JPEG stream's frame header.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace imaging_test {

inline std::wstring FreshFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"dh_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

inline bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(h);
    return bytes;
}

struct JpegFrame {
    bool found = false;
    int width = 0, height = 0, components = 0;
    bool endsWithEoi = false;
};

// Walks the marker segments from SOI to the baseline frame header.
inline JpegFrame ParseJpegFrame(const std::vector<uint8_t>& j) {
    JpegFrame f;
    if (j.size() < 4 || j[0] != 0xFF || j[1] != 0xD8) return f;
    f.endsWithEoi = j[j.size() - 2] == 0xFF && j[j.size() - 1] == 0xD9;
    size_t at = 2;
    while (at + 4 <= j.size() && j[at] == 0xFF) {
        const uint8_t marker = j[at + 1];
        const size_t length = static_cast<size_t>(j[at + 2] << 8 | j[at + 3]);
        if (marker == 0xC0 && at + 2 + length <= j.size() && length >= 8) {
            f.found = true;
            f.height = j[at + 5] << 8 | j[at + 6];
            f.width = j[at + 7] << 8 | j[at + 8];
            f.components = j[at + 9];
            return f;
        }
        at += 2 + length;
    }
    return f;
}

}  // namespace imaging_test
