#include "testworld/camera/CameraRegistry.h"

#include <cwchar>
#include <mutex>

#include "framework/Handles.h"

namespace camera {
namespace {

UniqueHKey OpenCameraKey() {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCameraKeyPath, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) key.Reset();
    return key;
}

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD type = 0, data = 0, size = sizeof(data);
    if (!key || ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(data))
        return false;
    value = data;
    return true;
}

bool ReadString(HKEY key, const wchar_t* name, std::wstring& value) {
    wchar_t data[256] = {};
    DWORD type = 0, size = sizeof(data) - sizeof(wchar_t);
    if (!key || ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    value.assign(data, wcsnlen(data, size / sizeof(wchar_t)));
    return true;
}

HRESULT WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    UniqueHKey key;
    LONG result = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCameraKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                    key.Put(), nullptr);
    if (result == ERROR_SUCCESS)
        result = ::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
    return result == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(result);
}

HRESULT WriteDword(const wchar_t* name, DWORD value) { return WriteValue(name, REG_DWORD, &value, sizeof(value)); }

DWORD ReadStateDword(const wchar_t* name) {
    const UniqueHKey key = OpenCameraKey();
    DWORD value = 0;
    return ReadDword(key.Get(), name, value) ? value : 0;
}

std::wstring ByteName(unsigned address) {
    wchar_t name[16];
    swprintf(name, 16, L"Byte%04X", address & 0xFFFFu);
    return name;
}

std::wstring PropertyName(unsigned number) {
    wchar_t name[24];
    swprintf(name, 24, L"Property%u", number);
    return name;
}

constexpr wchar_t kWriteLogValue[] = L"WriteLog";

// The strings of a REG_MULTI_SZ value, in order; none when it is missing.
std::vector<std::wstring> ReadMultiString(HKEY key, const wchar_t* name) {
    std::vector<std::wstring> entries;
    DWORD type = 0, size = 0;
    if (!key || ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return entries;
    // Two spare terminators: a stored value may lack its own.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return entries;
    for (const wchar_t* entry = data.data(); *entry; entry += wcslen(entry) + 1) entries.emplace_back(entry);
    return entries;
}

}  // namespace

RegistrationSettings ReadRegistrationSettings() {
    RegistrationSettings settings;
    const UniqueHKey key = OpenCameraKey();
    DWORD value = 0;
    if (ReadDword(key.Get(), L"Devices", value)) settings.devices = value < 1 ? 1 : (value > kMaxDevices ? kMaxDevices : value);
    std::wstring name;
    if (ReadString(key.Get(), L"FriendlyName", name) && !name.empty()) settings.friendlyName = name;
    if (ReadDword(key.Get(), L"NoDevicePath", value)) settings.noDevicePath = value != 0;
    return settings;
}

StreamSettings ReadStreamSettings() {
    StreamSettings settings;
    const UniqueHKey key = OpenCameraKey();
    std::wstring text;
    if (ReadString(key.Get(), L"Sizes", text)) settings.sizes = ParseSizes(text);
    if (ReadString(key.Get(), L"Formats", text)) settings.formats = ParseFormats(text);
    if (ReadString(key.Get(), L"RawSizeLimit", text) && !text.empty()) {
        const std::vector<FrameSize> limit = ParseSizes(text);
        if (!limit.empty()) settings.rawSizeLimit = limit.front();
    }
    // An offer that parses to nothing falls back to the default rather than to no pin types.
    if (settings.sizes.empty()) settings.sizes = DefaultSizes();
    if (settings.formats.empty()) settings.formats = DefaultFormats();
    return settings;
}

RunSettings ReadRunSettings() {
    RunSettings settings;
    const UniqueHKey key = OpenCameraKey();
    DWORD value = 0;
    if (ReadDword(key.Get(), L"Busy", value)) settings.busy = value != 0;
    if (ReadDword(key.Get(), L"UnplugAfter", value)) settings.unplugAfterFrames = value;
    if (ReadDword(key.Get(), L"Unpaced", value)) settings.unpaced = value != 0;
    if (ReadDword(key.Get(), L"CorruptMjpegEvery", value)) settings.corruptMjpegEvery = value;
    return settings;
}

bool ReadNoExtensionUnit() {
    const UniqueHKey key = OpenCameraKey();
    DWORD value = 0;
    return ReadDword(key.Get(), L"NoExtensionUnit", value) && value != 0;
}

bool ReadRefuseExtensionUnitWrites() {
    const UniqueHKey key = OpenCameraKey();
    DWORD value = 0;
    return ReadDword(key.Get(), L"RefuseExtensionUnitWrites", value) && value != 0;
}

DWORD ReadControlByte(unsigned address) { return ReadStateDword(ByteName(address).c_str()) & 0xFFu; }
HRESULT WriteControlByte(unsigned address, BYTE value) { return WriteDword(ByteName(address).c_str(), value); }
DWORD ReadStdProperty(unsigned number) { return ReadStateDword(PropertyName(number).c_str()); }
HRESULT WriteStdProperty(unsigned number, DWORD value) { return WriteDword(PropertyName(number).c_str(), value); }

HRESULT AppendWriteLog(const std::wstring& entry) {
    if (entry.empty()) return E_INVALIDARG;  // would end the list early
    // Read, append, write back: one property-set call at a time within this process.
    static std::mutex appending;
    const std::lock_guard<std::mutex> lock(appending);
    std::vector<std::wstring> entries = ReadWriteLog();
    entries.push_back(entry);
    const size_t first = entries.size() > kWriteLogEntries ? entries.size() - kWriteLogEntries : 0;
    std::wstring data;
    for (size_t i = first; i < entries.size(); ++i) data.append(entries[i]).push_back(L'\0');
    data.push_back(L'\0');
    return WriteValue(kWriteLogValue, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

std::vector<std::wstring> ReadWriteLog() {
    const UniqueHKey key = OpenCameraKey();
    return ReadMultiString(key.Get(), kWriteLogValue);
}

std::vector<std::wstring> TakeWriteLog() {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCameraKeyPath, 0, KEY_READ | KEY_SET_VALUE, key.Put()) != ERROR_SUCCESS)
        return {};
    std::vector<std::wstring> entries = ReadMultiString(key.Get(), kWriteLogValue);
    ::RegDeleteValueW(key.Get(), kWriteLogValue);
    return entries;
}

}  // namespace camera
