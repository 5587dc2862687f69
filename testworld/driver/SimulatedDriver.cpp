#include "testworld/driver/SimulatedDriver.h"

#include <algorithm>
#include <cwchar>

#include "testworld/camera/CameraRegistry.h"
#include "testworld/driver/DriverRegistry.h"

namespace driver {
namespace {

constexpr Family kFamilies[] = {Family::Uvc, Family::Std};

LONG InstallDevice(unsigned instance, const std::wstring& description) {
    UniqueHKey device, settings;
    LONG result = CreateMachineKey(DeviceKeyPath(instance), device);
    if (result == ERROR_SUCCESS) result = WriteString(device.Get(), kDriverDescValue, description);
    if (result == ERROR_SUCCESS) result = CreateMachineKey(InstanceKeyPath(instance), settings);
    if (result == ERROR_SUCCESS) result = WriteDword(settings.Get(), kSnapShotStateValue, kReleasedState);
    return result;
}

// The driver key of every installed family; ERROR_FILE_NOT_FOUND when there is none.
template <typename Action>
LONG ForEachDriverKey(Action action) {
    bool any = false;
    for (Family family : kFamilies) {
        const UniqueHKey key = OpenMachineKey(DriverKeyPath(family), KEY_READ | KEY_WRITE);
        if (!key) continue;
        any = true;
        const LONG result = action(key.Get());
        if (result != ERROR_SUCCESS) return result;
    }
    return any ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

}  // namespace

LONG Install(Family family, const InstallOptions& options) {
    if (options.instances < 1 || options.instances > kMaxInstances) return ERROR_INVALID_PARAMETER;
    const std::wstring description = camera::ReadRegistrationSettings().friendlyName;
    // Devices first, so that a utility polling meanwhile never finds a path to a missing key.
    for (unsigned i = 1; i <= options.instances; ++i) {
        const LONG result = InstallDevice(i, description);
        if (result != ERROR_SUCCESS) return result;
    }
    LONG result = DeleteMachineTree(DriverKeyPath(family));
    UniqueHKey key;
    if (result == ERROR_SUCCESS) result = CreateMachineKey(DriverKeyPath(family), key);
    for (unsigned i = 1; i <= options.instances && result == ERROR_SUCCESS; ++i)
        result = WriteString(key.Get(), InstanceValueName(i).c_str(), KernelPath(InstanceKeyPath(i)));
    if (result == ERROR_SUCCESS) result = WriteDword(key.Get(), kDisplaySelectionValue, options.displaySelection);
    // Last: a readable "InstanceIndex" is what tells the utility that the driver is active.
    if (result == ERROR_SUCCESS) result = WriteDword(key.Get(), kInstanceIndexValue, options.instances);
    return result;
}

std::vector<Family> InstalledFamilies() {
    std::vector<Family> families;
    for (Family family : kFamilies)
        if (OpenMachineKey(DriverKeyPath(family))) families.push_back(family);
    return families;
}

std::vector<std::wstring> InstanceKeyPaths(Family family) {
    std::vector<std::wstring> paths;
    const UniqueHKey key = OpenMachineKey(DriverKeyPath(family));
    const size_t prefix = std::wcslen(kKernelMachinePrefix);
    for (unsigned i = 1; key && i <= kMaxInstances; ++i) {
        const auto value = ReadString(key.Get(), InstanceValueName(i).c_str());
        if (!value) continue;
        const bool kernelForm = _wcsnicmp(value->c_str(), kKernelMachinePrefix, prefix) == 0;
        paths.push_back(kernelForm ? value->substr(prefix) : *value);
    }
    return paths;
}

LONG SetSnapshotState(DWORD state) {
    std::vector<std::wstring> paths;
    for (Family family : InstalledFamilies())
        for (const std::wstring& path : InstanceKeyPaths(family))
            if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
    if (paths.empty()) return ERROR_FILE_NOT_FOUND;
    for (const std::wstring& path : paths) {
        // Never created here: an instance key a test deleted stays deleted.
        const UniqueHKey key = OpenMachineKey(path, KEY_SET_VALUE);
        if (!key) return ERROR_FILE_NOT_FOUND;
        const LONG result = WriteDword(key.Get(), kSnapShotStateValue, state);
        if (result != ERROR_SUCCESS) return result;
    }
    return ERROR_SUCCESS;
}

LONG SetDisplaySelection(DWORD value) {
    return ForEachDriverKey([value](HKEY key) { return WriteDword(key, kDisplaySelectionValue, value); });
}

LONG RemoveDriverValue(const wchar_t* name) {
    return ForEachDriverKey([name](HKEY key) { return DeleteValue(key, name); });
}

LONG RemoveAll() {
    LONG result = ERROR_SUCCESS;
    for (Family family : kFamilies)
        if (result == ERROR_SUCCESS) result = DeleteMachineTree(DriverKeyPath(family));
    for (unsigned i = 1; i <= kMaxInstances && result == ERROR_SUCCESS; ++i)
        result = DeleteMachineTree(DeviceKeyPath(i));
    if (result != ERROR_SUCCESS) return result;
    // RegDeleteKeyW refuses a key with subkeys: another vendor product's keys stay.
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKeyPath);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kVendorKeyPath);
    return ERROR_SUCCESS;
}

}  // namespace driver
