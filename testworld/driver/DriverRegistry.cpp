#include "testworld/driver/DriverRegistry.h"

#include <vector>

namespace driver {

UniqueHKey OpenMachineKey(const std::wstring& path, REGSAM access) {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, key.Put()) != ERROR_SUCCESS) key.Reset();
    return key;
}

LONG CreateMachineKey(const std::wstring& path, UniqueHKey& key) {
    const LONG result = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                          nullptr, key.Put(), nullptr);
    if (result != ERROR_SUCCESS) key.Reset();
    return result;
}

LONG DeleteMachineTree(const std::wstring& path) {
    const LONG result = ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

LONG WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG WriteString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG DeleteValue(HKEY key, const wchar_t* name) {
    const LONG result = ::RegDeleteValueW(key, name);
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
    DWORD type = 0, value = 0, size = sizeof(value);
    if (!key) return std::nullopt;
    const LONG result = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (!key || ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::wstring(text.data());
}

}  // namespace driver
