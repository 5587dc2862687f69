#include "tests/support/OpenRecorder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"

namespace e2e {

namespace {
void SetDefault(const std::wstring& path, const std::wstring& value) {
    UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
}  // namespace

RecordingAssociation::RecordingAssociation(const std::wstring& extension, const std::wstring& recordFile)
    : m_extension(extension), m_class(L"DelmHalvoTest" + extension), m_record(recordFile) {
    ::DeleteFileW(m_record.c_str());
    SetDefault(L"Software\\Classes\\" + m_extension, m_class);
    SetDefault(L"Software\\Classes\\" + m_class + L"\\shell\\open\\command",
               L"\"" + BinDir() + L"\\open_recorder.exe\" \"" + m_record + L"\" \"%1\"");
}

RecordingAssociation::~RecordingAssociation() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + m_class).c_str());
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + m_extension).c_str());
}

std::optional<std::wstring> RecordingAssociation::Opened() const {
    auto bytes = ReadFileBytes(m_record);
    if (!bytes || bytes->empty()) return std::nullopt;
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
}

}  // namespace e2e
