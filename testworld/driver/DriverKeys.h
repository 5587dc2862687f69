#pragma once
// Where the simulated camera driver publishes its state, as the button utility reads it
// (all under HKEY_LOCAL_MACHINE). Shared by SimulatedDriver.exe and the tests, so that a
// test can read back exactly what the tool wrote.
//
// Driver key of each family ("SOFTWARE\Kettil\PCCAM\SNP2UVC" or "...\SNP2STD"):
//   "InstanceIndex"     REG_DWORD  N, number of device instances
//   "ii0001" … "ii%04u" REG_SZ     kernel form of instance i's key path:
//                                  "\Registry\MACHINE\" + InstanceKeyPath(i)
//   "DisplaySelection"  REG_DWORD  0 or 1 normally; without it the utility stops polling
// Device key of instance i (DeviceKeyPath(i), one class key per instance, shared by both
// families):
//   "DriverDesc"        REG_SZ     the virtual camera's friendly name
// Its "Settings" subkey, the instance key (InstanceKeyPath(i)):
//   "SnapShotState"     REG_DWORD  0/1 released, 2 or 3 pressed
//   "PointX", "PointY"  REG_DWORD  written by the utility: its panel's saved position
#include <cwchar>
#include <string>

namespace driver {

enum class Family { Uvc, Std };

inline constexpr wchar_t kVendorKeyPath[] = L"SOFTWARE\\Kettil";
inline constexpr wchar_t kProductKeyPath[] = L"SOFTWARE\\Kettil\\PCCAM";
inline constexpr wchar_t kUvcDriverKeyPath[] = L"SOFTWARE\\Kettil\\PCCAM\\SNP2UVC";
inline constexpr wchar_t kStdDriverKeyPath[] = L"SOFTWARE\\Kettil\\PCCAM\\SNP2STD";

inline constexpr wchar_t kInstanceIndexValue[] = L"InstanceIndex";
inline constexpr wchar_t kDisplaySelectionValue[] = L"DisplaySelection";
inline constexpr wchar_t kDriverDescValue[] = L"DriverDesc";
inline constexpr wchar_t kSnapShotStateValue[] = L"SnapShotState";
inline constexpr wchar_t kPointXValue[] = L"PointX";
inline constexpr wchar_t kPointYValue[] = L"PointY";

// The kernel's name for HKEY_LOCAL_MACHINE, which begins every "ii" value.
inline constexpr wchar_t kKernelMachinePrefix[] = L"\\Registry\\MACHINE\\";
// The imaging device class; a fresh Wine prefix has the class key but no device below it.
inline constexpr wchar_t kImageClassKeyPath[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
// Index of instance 1's device key under the class key. Far above the indices real
// devices get (they count from 0000), so that "remove" can never delete one of theirs.
inline constexpr unsigned kFirstDeviceIndex = 9000;
inline constexpr unsigned kMaxInstances = 16;

inline const wchar_t* DriverKeyPath(Family family) {
    return family == Family::Uvc ? kUvcDriverKeyPath : kStdDriverKeyPath;
}
inline const wchar_t* FamilyName(Family family) { return family == Family::Uvc ? L"uvc" : L"std"; }

// "ii0001" for instance 1.
inline std::wstring InstanceValueName(unsigned instance) {
    wchar_t name[16];
    std::swprintf(name, 16, L"ii%04u", instance);
    return name;
}

// Device key of instance 1 … kMaxInstances, relative to HKEY_LOCAL_MACHINE.
inline std::wstring DeviceKeyPath(unsigned instance) {
    wchar_t index[16];
    std::swprintf(index, 16, L"\\%04u", kFirstDeviceIndex + instance - 1);
    return kImageClassKeyPath + std::wstring(index);
}
inline std::wstring InstanceKeyPath(unsigned instance) { return DeviceKeyPath(instance) + L"\\Settings"; }
inline std::wstring KernelPath(const std::wstring& machinePath) { return kKernelMachinePrefix + machinePath; }

}  // namespace driver
