#pragma once
// A simulated camera driver for tests and demos (never installed for users): it writes
// the keys and values of DriverKeys.h as a real driver would, so that the button utility
// finds a driver, a device and a snapshot button on a machine without one.
// SimulatedDriver.exe runs these functions one per invocation; tests call them in-process.
// Results are Win32 error codes: ERROR_SUCCESS, ERROR_INVALID_PARAMETER for arguments out
// of range, ERROR_FILE_NOT_FOUND when no driver family (or no instance key) is installed.
#include <windows.h>

#include <string>
#include <vector>

#include "testworld/driver/DriverKeys.h"

namespace driver {

inline constexpr DWORD kReleasedState = 0;
inline constexpr DWORD kPressedState = 2;

struct InstallOptions {
    unsigned instances = 1;  // 1 … kMaxInstances
    DWORD displaySelection = 0;
};

// (Re)writes `family`'s driver key with instances 1 … N, and the device and instance key
// of each: "DriverDesc" is the virtual camera's friendly name, "SnapShotState" released.
// Values the utility wrote into an instance key ("PointX", "PointY") are kept.
LONG Install(Family family, const InstallOptions& options);

// The families whose driver key exists.
std::vector<Family> InstalledFamilies();
// Paths relative to HKEY_LOCAL_MACHINE named by the family's "ii" values, in value order.
std::vector<std::wstring> InstanceKeyPaths(Family family);

// "SnapShotState" in every instance key of every installed family.
LONG SetSnapshotState(DWORD state);
// A value of every installed family's driver key; a value already missing counts as removed.
LONG SetDisplaySelection(DWORD value);
LONG RemoveDriverValue(const wchar_t* name);

// Deletes both driver keys, every device key the tool may have made, and the vendor keys
// above the driver keys when nothing else is left in them. Succeeds when nothing is there.
LONG RemoveAll();

// What is installed, for people ("show").
std::wstring Describe();

}  // namespace driver
