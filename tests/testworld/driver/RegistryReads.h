#pragma once
// Plain registry reads under HKEY_LOCAL_MACHINE for the driver tests, so that they check
// what a reader such as the button utility finds, not what the driver library reads back.
#include <windows.h>

#include <optional>
#include <string>

#include "framework/Handles.h"

namespace driver_test {

inline std::optional<DWORD> MachineDword(const std::wstring& key, const wchar_t* value) {
    DWORD data = 0, size = sizeof(data);
    const LONG result = ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_DWORD, nullptr, &data, &size);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return data;
}

inline std::optional<std::wstring> MachineString(const std::wstring& key, const wchar_t* value) {
    wchar_t data[512] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

inline bool MachineKeyExists(const std::wstring& key) {
    UniqueHKey handle;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, handle.Put()) == ERROR_SUCCESS;
}

// The instance key named by an "ii" value, as the utility takes it: the text without its
// first 18 characters ("\Registry\MACHINE\").
inline std::wstring InstanceKeyOf(const std::wstring& iiValue) {
    return iiValue.size() > 18 ? iiValue.substr(18) : std::wstring();
}

// The device key holding "DriverDesc", as the utility finds it: the instance path cut at
// its first "\Settings".
inline std::wstring DeviceKeyOf(const std::wstring& iiValue) {
    const std::wstring path = InstanceKeyOf(iiValue);
    return path.substr(0, path.find(L"\\Settings"));
}

}  // namespace driver_test
