#include "components/camera/CameraRegistry.h"

#include <cwchar>

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

HRESULT WriteDword(const wchar_t* name, DWORD value) {
    UniqueHKey key;
    LONG result = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCameraKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                    key.Put(), nullptr);
    if (result == ERROR_SUCCESS)
        result = ::RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    return result == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(result);
}

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
    return settings;
}

DWORD ReadControlByte(unsigned address) { return ReadStateDword(ByteName(address).c_str()) & 0xFFu; }
HRESULT WriteControlByte(unsigned address, BYTE value) { return WriteDword(ByteName(address).c_str(), value); }
DWORD ReadStdProperty(unsigned number) { return ReadStateDword(PropertyName(number).c_str()); }
HRESULT WriteStdProperty(unsigned number, DWORD value) { return WriteDword(PropertyName(number).c_str(), value); }

}  // namespace camera
