#include "tests/support/TestWorld.h"

#include <gtest/gtest.h>

#include "framework/Handles.h"

namespace e2e {

TestWorld::TestWorld() {
    static LONG counter = 0;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::wstring name = L"dh-";
    if (test)
        for (const char* c = test->name(); *c; ++c) name += static_cast<wchar_t>(*c);
    name += L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::InterlockedIncrement(&counter));
    m_folder = std::wstring(temp) + name;
    RemoveTree(m_folder);
    if (!::CreateDirectoryW(m_folder.c_str(), nullptr)) ADD_FAILURE() << "cannot create the test folder";
}

TestWorld::~TestWorld() { RemoveTree(m_folder); }

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() ||
           (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size());
}

void RemoveTree(const std::wstring& folder) {
    for (const std::wstring& name : FilesIn(folder)) {
        const std::wstring path = folder + L"\\" + name;
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            RemoveTree(path);
        } else {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        }
    }
    ::RemoveDirectoryW(folder.c_str());
}

std::optional<DWORD> ReadRegistryDword(HKEY root, const wchar_t* key, const wchar_t* value) {
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (::RegGetValueW(root, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* value) {
    DWORD size = 0;
    if (::RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcslen(text.c_str()));
    return text;
}

std::set<std::wstring> FilesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) return names;
    do {
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names.insert(found.cFileName);
    } while (::FindNextFileW(search.Get(), &found));
    return names;
}

}  // namespace e2e
