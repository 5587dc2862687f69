#pragma once
// The camera driver's settings under HKEY_LOCAL_MACHINE: which driver family is installed,
// the device instance key, the snapshot-button state, the display selection, the device
// description and the camera panel's saved position. Every failure is silent: a value that
// cannot be read counts as absent, and so does one of zero length.
//
// A driver key passed as null (no-driver mode) counts as a key without any value.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "utility/Registry.h"
#include "utility/RegistryAccess.h"

namespace utility {

inline constexpr char kUvcDriverKeyPath[] = "SOFTWARE\\Kettil\\PCCAM\\SNP2UVC";
inline constexpr char kStdDriverKeyPath[] = "SOFTWARE\\Kettil\\PCCAM\\SNP2STD";
inline constexpr char kWow64NodePath[] = "SOFTWARE\\Wow6432Node";

enum class DriverKind : int { Standard = 0, Uvc = 1, None = 2 };

// The mask for every driver key: the 64-bit view when "SOFTWARE\Wow6432Node" opens.
uint32_t ProbeDriverKeyAccess(Registry& registry);

struct DetectedDriver {
    DriverKind kind = DriverKind::None;
    uint32_t access = 0;               // the mask every driver key is opened with
    std::unique_ptr<RegistryKey> key;  // the driver key; null in no-driver mode
};
// UVC when its key opens and has a readable "InstanceIndex"; else standard when its key
// opens (with or without "InstanceIndex"); else none.
DetectedDriver DetectDriver(Registry& registry);

// The driver key of `kind` (the camera panel's own handle); null for DriverKind::None or
// when it does not open.
std::unique_ptr<RegistryKey> OpenDriverKey(Registry& registry, DriverKind kind, uint32_t access);

// Whether the poll finds the driver active, and whether it should go on polling.
bool HasInstanceIndex(const RegistryKey* driverKey);
bool HasDisplaySelection(const RegistryKey* driverKey);

// The device instance key path relative to HKEY_LOCAL_MACHINE: the first readable "ii%04d"
// value of 1 .. the first byte of "InstanceIndex", without its 18-character kernel prefix
// "\Registry\MACHINE\" (skipped unchecked). Nothing when that value is no longer than 18.
std::optional<std::string> FindInstanceKeyPath(const RegistryKey* driverKey);

// The instance key's "SnapShotState" starts with 2 or 3.
bool IsSnapshotActive(Registry& registry, const RegistryKey* driverKey);

// The first byte of "DisplaySelection" as a signed number; 3 when absent.
int ReadDisplaySelection(const RegistryKey* driverKey);

// The camera panel's top-left corner in screen coordinates.
struct PanelPosition {
    int32_t x = 0;
    int32_t y = 0;
};
// Where a user without the rights to write the driver's keys keeps the panel's place, with
// the same "PointX" and "PointY" values (HKEY_CURRENT_USER).
inline constexpr char kUserPanelKeyPath[] = "Software\\DelmHalvo\\CameraPanel";
// "PointX" and "PointY" when both are 4-byte values other than -1: the user's own place
// first, else the instance key's; `defaults` otherwise, and always without a driver key.
PanelPosition LoadPanelPosition(Registry& registry, const RegistryKey* driverKey, PanelPosition defaults);
// Writes "PointX" and "PointY" as REG_DWORD to the instance key and, where that is refused
// (no administrator rights), to the user's own key; a user's place that exists is updated
// too, since it wins over the instance key's. Nothing without a driver key. True when the
// place was saved.
bool SavePanelPosition(Registry& registry, const RegistryKey* driverKey, PanelPosition position);

// At most this many "ii%04d" values are walked by ReadDriverDesc, whatever "InstanceIndex"
// claims: a corrupt count would otherwise hold the user-interface thread for hours.
constexpr uint32_t kMaxDescInstanceValues = 9999;

// The "DriverDesc" of the standard driver's first existing instance (at most 256 bytes);
// empty when "InstanceIndex" is absent or below 1, when that instance value is empty, or
// when its key has no "DriverDesc". Nothing when the driver key or that instance's device
// key does not open.
std::optional<std::string> ReadDriverDesc(Registry& registry, uint32_t driverKeyAccess);

}  // namespace utility
