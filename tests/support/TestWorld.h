#pragma once
// A private folder per test, used as the current folder of the programs under test, and
// the file and registry reads the tests make.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace e2e {

class TestWorld {
public:
    // Creates an empty folder in the temporary folder; it is removed with its content.
    TestWorld();
    ~TestWorld();
    TestWorld(const TestWorld&) = delete;
    TestWorld& operator=(const TestWorld&) = delete;

    const std::wstring& Folder() const { return m_folder; }
    std::wstring PathOf(const std::wstring& name) const { return m_folder + L"\\" + name; }

private:
    std::wstring m_folder;
};

bool FileExists(const std::wstring& path);
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
// Removes a folder and everything below it.
void RemoveTree(const std::wstring& folder);
// The names of the files and folders in `folder` (not "." and ".."); empty when it is not there.
std::set<std::wstring> FilesIn(const std::wstring& folder);

std::optional<DWORD> ReadRegistryDword(HKEY root, const wchar_t* key, const wchar_t* value);
std::optional<std::wstring> ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* value);

}  // namespace e2e
