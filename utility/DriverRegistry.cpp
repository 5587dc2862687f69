#include "utility/DriverRegistry.h"

#include <cstdio>

#include "utility/RegistryValues.h"

namespace utility {
namespace {

// The standard driver's key as ReadDriverDesc spells it (registry names ignore case).
constexpr char kDescDriverKeyPath[] = "SOFTWARE\\KETTIL\\PCCAM\\SNP2STD";
constexpr uint32_t kValueBufferSize = 256;
constexpr uint32_t kDescInstanceBufferSize = 260;
constexpr uint32_t kPointBufferSize = 4;
constexpr size_t kDescPathLimit = 256;
constexpr char kKernelMachinePrefix[] = "\\Registry\\MACHINE\\";
constexpr size_t kKernelMachinePrefixLength = sizeof kKernelMachinePrefix - 1;
constexpr char kSettingsSuffix[] = "\\Settings";
constexpr int kDisplaySelectionAbsent = 3;
constexpr int32_t kPointUnset = -1;

std::string InstanceValueName(uint32_t i) {
    char name[16];
    std::snprintf(name, sizeof name, "ii%04u", static_cast<unsigned>(i));
    return name;
}

ValueBytes Query(const RegistryKey* key, const char* name, uint32_t bufferSize = kValueBufferSize) {
    if (!key) return std::nullopt;
    return key->QueryValue(name, bufferSize);
}

// A zero-length value counts as absent, as if it could not be read.
bool HasBytes(const ValueBytes& value) { return value && !value->empty(); }

std::unique_ptr<RegistryKey> OpenInstanceKey(Registry& registry, const RegistryKey* driverKey, uint32_t access) {
    const std::optional<std::string> path = FindInstanceKeyPath(driverKey);
    if (!path) return nullptr;
    return registry.OpenLocalMachineKey(*path, access);
}

// The device key path of a standard-driver instance value: after the kernel prefix up to
// "\Settings" when the prefix is there, else the whole text.
std::string DescInstancePath(const std::string& text) {
    std::string path = text;
    const size_t prefix = text.find(kKernelMachinePrefix);
    if (prefix != std::string::npos) {
        path = text.substr(prefix + kKernelMachinePrefixLength);
        const size_t settings = path.find(kSettingsSuffix);
        if (settings != std::string::npos) path.resize(settings);
    }
    if (path.size() > kDescPathLimit) path.resize(kDescPathLimit);
    return path;
}

// Both points, when both are 4-byte values other than -1.
std::optional<PanelPosition> ReadPoints(const RegistryKey* key) {
    if (!key) return std::nullopt;
    const int32_t x = ExactInt32(Query(key, "PointX", kPointBufferSize)).value_or(kPointUnset);
    const int32_t y = ExactInt32(Query(key, "PointY", kPointBufferSize)).value_or(kPointUnset);
    if (x == kPointUnset || y == kPointUnset) return std::nullopt;
    return PanelPosition{x, y};
}

bool WritePoints(RegistryKey& key, PanelPosition position) {
    const bool x = key.SetDwordValue("PointX", static_cast<uint32_t>(position.x));
    const bool y = key.SetDwordValue("PointY", static_cast<uint32_t>(position.y));
    return x && y;
}

}  // namespace

uint32_t ProbeDriverKeyAccess(Registry& registry) {
    const bool is64BitSystem = registry.OpenLocalMachineKey(kWow64NodePath, kWow64ProbeAccess) != nullptr;
    return DriverKeyAccess(is64BitSystem);
}

DetectedDriver DetectDriver(Registry& registry) {
    DetectedDriver driver;
    driver.access = ProbeDriverKeyAccess(registry);
    driver.key = OpenDriverKey(registry, DriverKind::Uvc, driver.access);
    if (driver.key && HasInstanceIndex(driver.key.get())) {
        driver.kind = DriverKind::Uvc;
        return driver;
    }
    driver.key = OpenDriverKey(registry, DriverKind::Standard, driver.access);
    driver.kind = driver.key ? DriverKind::Standard : DriverKind::None;
    return driver;
}

std::unique_ptr<RegistryKey> OpenDriverKey(Registry& registry, DriverKind kind, uint32_t access) {
    switch (kind) {
    case DriverKind::Uvc:
        return registry.OpenLocalMachineKey(kUvcDriverKeyPath, access);
    case DriverKind::Standard:
        return registry.OpenLocalMachineKey(kStdDriverKeyPath, access);
    case DriverKind::None:
        break;
    }
    return nullptr;
}

bool HasInstanceIndex(const RegistryKey* driverKey) { return HasBytes(Query(driverKey, "InstanceIndex")); }

bool HasDisplaySelection(const RegistryKey* driverKey) { return HasBytes(Query(driverKey, "DisplaySelection")); }

std::optional<std::string> FindInstanceKeyPath(const RegistryKey* driverKey) {
    const std::optional<int> count = FirstByteSigned(Query(driverKey, "InstanceIndex"));
    if (!count) return std::nullopt;
    for (int i = 1; i <= *count; ++i) {
        const ValueBytes value = Query(driverKey, InstanceValueName(static_cast<uint32_t>(i)).c_str());
        if (!value) continue;
        const std::string text = ValueText(*value);
        if (text.size() <= kKernelMachinePrefixLength) return std::nullopt;
        return text.substr(kKernelMachinePrefixLength);
    }
    return std::nullopt;
}

bool IsSnapshotActive(Registry& registry, const RegistryKey* driverKey) {
    const std::unique_ptr<RegistryKey> instance = OpenInstanceKey(registry, driverKey, kInstanceKeyReadAccess);
    const std::optional<int> state = FirstByteSigned(Query(instance.get(), "SnapShotState"));
    return state == 2 || state == 3;
}

int ReadDisplaySelection(const RegistryKey* driverKey) {
    return FirstByteSigned(Query(driverKey, "DisplaySelection")).value_or(kDisplaySelectionAbsent);
}

PanelPosition LoadPanelPosition(Registry& registry, const RegistryKey* driverKey, PanelPosition defaults) {
    if (!driverKey) return defaults;
    const std::unique_ptr<RegistryKey> user = registry.OpenUserKey(kUserPanelKeyPath, false);
    if (const std::optional<PanelPosition> place = ReadPoints(user.get())) return *place;
    const std::unique_ptr<RegistryKey> instance = OpenInstanceKey(registry, driverKey, kInstanceKeyReadAccess);
    return ReadPoints(instance.get()).value_or(defaults);
}

bool SavePanelPosition(Registry& registry, const RegistryKey* driverKey, PanelPosition position) {
    if (!driverKey) return false;
    const std::unique_ptr<RegistryKey> instance = OpenInstanceKey(registry, driverKey, kInstanceKeyWriteAccess);
    const bool driverSaved = instance && WritePoints(*instance, position);
    const std::unique_ptr<RegistryKey> user = registry.OpenUserKey(kUserPanelKeyPath, !driverSaved);
    const bool userSaved = user && WritePoints(*user, position);
    return driverSaved || userSaved;
}

std::optional<std::string> ReadDriverDesc(Registry& registry, uint32_t driverKeyAccess) {
    const std::unique_ptr<RegistryKey> driverKey = registry.OpenLocalMachineKey(kDescDriverKeyPath, driverKeyAccess);
    if (!driverKey) return std::nullopt;
    uint32_t count = LeadingUnsigned32(Query(driverKey.get(), "InstanceIndex")).value_or(0);
    if (count > kMaxDescInstanceValues) count = kMaxDescInstanceValues;
    for (uint32_t i = 1; i <= count; ++i) {
        const ValueBytes value = Query(driverKey.get(), InstanceValueName(i).c_str(), kDescInstanceBufferSize);
        if (!value) continue;
        const std::string text = ValueText(*value);
        if (text.empty()) break;
        const std::unique_ptr<RegistryKey> device =
            registry.OpenLocalMachineKey(DescInstancePath(text), kInstanceKeyReadAccess);
        if (!device) return std::nullopt;
        const ValueBytes desc = Query(device.get(), "DriverDesc");
        return desc ? ValueText(*desc) : std::string();
    }
    return std::string();
}

}  // namespace utility
