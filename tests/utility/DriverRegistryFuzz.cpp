// Arbitrary bytes as the camera driver's registry values, through every operation of the
// registry layer. The input edits a well-formed set-up, so that short inputs reach the deep
// paths: records [slot][length][bytes] replace a value (length 255 removes it); slots past
// the values remove a key. The fake hands out copies of exactly a value's size, so a read
// past its bytes is an AddressSanitizer report; every key opened must be closed again.
#include <cstdlib>

#include "tests/utility/FakeRegistry.h"
#include "utility/DriverRegistry.h"

using namespace utility;
using fake::Text;

namespace {

const std::string kDevice = "SYSTEM\\Cam", kKernel = "\\Registry\\MACHINE\\" + kDevice;

struct Slot {
    std::string key, name;
    std::optional<fake::Bytes> value;
    bool kernelTail;  // the input follows the instance key's kernel path
};

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string uvc = kUvcDriverKeyPath, std = kStdDriverKeyPath;
    std::vector<Slot> slots = {
        {uvc, "InstanceIndex", fake::Bytes{2}, false},    {uvc, "DisplaySelection", fake::Bytes{1}, false},
        {uvc, "ii0001", std::nullopt, false},             {uvc, "ii0002", Text(kKernel + '\0'), false},
        {uvc, "ii0002", std::nullopt, true},              {std, "InstanceIndex", fake::Dword(2), false},
        {std, "ii0001", Text(kKernel + "\\Settings"), false}, {std, "ii0001", std::nullopt, true},
        {std, "ii0002", std::nullopt, false},             {kDevice, "SnapShotState", fake::Bytes{2}, false},
        {kDevice, "PointX", fake::Dword(100), false},     {kDevice, "PointY", fake::Dword(200), false},
        {kDevice, "DriverDesc", Text("Cam"), false},
    };
    std::vector<std::string> keys = {kWow64NodePath, uvc, std, kDevice};
    for (size_t at = 0; at + 2 <= size;) {
        const size_t slot = data[at] % (slots.size() + 3), length = data[at + 1];
        at += 2;
        if (slot >= slots.size()) {
            keys[slot - slots.size()].clear();
        } else if (length == 255) {
            slots[slot].value.reset();
        } else {
            const size_t taken = std::min(length, size - at);
            fake::Bytes bytes = slots[slot].kernelTail ? Text(kKernel) : fake::Bytes();
            bytes.insert(bytes.end(), data + at, data + at + taken);
            slots[slot].value = bytes;
            at += taken;
        }
    }
    fake::FakeRegistry registry;
    for (const std::string& key : keys) registry.AddKey(key);  // a removed key is "", which nothing opens
    for (const Slot& slot : slots)
        if (slot.value && std::find(keys.begin(), keys.end(), slot.key) != keys.end())
            registry.Set(slot.key, slot.name, *slot.value);

    const DetectedDriver driver = DetectDriver(registry);
    const RegistryKey* key = driver.key.get();
    const int held = key ? 1 : 0;
    const int selection = ReadDisplaySelection(key);
    Check(selection >= -128 && selection <= 127 && (HasDisplaySelection(key) || selection == 3));
    if (const auto path = FindInstanceKeyPath(key))
        Check(!path->empty() && path->size() <= 256 - 18 && path->find('\0') == std::string::npos);
    IsSnapshotActive(registry, key);
    const PanelPosition defaults{-123456, -654321}, loaded = LoadPanelPosition(registry, key, defaults);
    Check((loaded.x == defaults.x && loaded.y == defaults.y) || (loaded.x != -1 && loaded.y != -1));
    const PanelPosition saved{int32_t(size), 7};
    if (SavePanelPosition(registry, key, saved)) Check(LoadPanelPosition(registry, key, defaults).x == saved.x);
    if (const auto desc = ReadDriverDesc(registry, driver.access))
        Check(desc->size() <= 256 && desc->find('\0') == std::string::npos);
    Check(registry.openKeys == held);
    return 0;
}
