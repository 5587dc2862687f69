// The driver registry layer against a map: detection and its access masks, the instance key
// path, the values the poll reads, the panel position and the description, with values that
// are unterminated, too short, zero-length or missing.
#include <gtest/gtest.h>

#include "tests/utility/FakeRegistry.h"
#include "utility/DriverRegistry.h"
#include "utility/PanelLayout.h"
#include "utility/PanelPlacement.h"
#include "utility/RegistryValues.h"

using namespace utility;
using fake::Dword;
using fake::FakeRegistry;
using fake::Text;
using Value = std::optional<fake::Bytes>;
using Values = std::vector<std::pair<const char*, fake::Bytes>>;

namespace {

const std::string kUvc = kUvcDriverKeyPath, kStd = kStdDriverKeyPath;
const std::string kDevice = "SYSTEM\\CurrentControlSet\\Control\\Class\\{6bdd1fc6}\\0001";
const std::string kKernel = "\\Registry\\MACHINE\\" + kDevice;
const fake::Bytes kEmpty;

// `driverKey` with the given values, "ii0001" naming the instance key unless replaced.
FakeRegistry Driver(const std::string& driverKey, Value index, const Values& values = {{"ii0001", Text(kKernel)}}) {
    FakeRegistry registry;
    registry.AddKey(driverKey);
    registry.AddKey(kDevice);
    if (index) registry.Set(driverKey, "InstanceIndex", *index);
    for (const auto& [name, bytes] : values) registry.Set(driverKey, name, bytes);
    return registry;
}

}  // namespace

TEST(DriverDetection, UvcNeedsAReadableInstanceIndexStandardOnlyItsKey) {
    struct Case {
        bool uvcKey;
        Value uvcIndex;
        bool stdKey;
        DriverKind kind;
    } cases[] = {
        {true, Value{{1}}, true, DriverKind::Uvc},     {true, std::nullopt, true, DriverKind::Standard},
        {true, kEmpty, true, DriverKind::Standard},    {true, Value{{0}}, false, DriverKind::Uvc},
        {true, std::nullopt, false, DriverKind::None}, {false, std::nullopt, true, DriverKind::Standard},
        {false, std::nullopt, false, DriverKind::None},
    };
    for (const Case& c : cases) {
        FakeRegistry registry;
        if (c.uvcKey) registry.Set(kUvc, "Family", {1});
        if (c.uvcIndex) registry.Set(kUvc, "InstanceIndex", *c.uvcIndex);
        if (c.stdKey) registry.Set(kStd, "Family", {0});
        const DetectedDriver driver = DetectDriver(registry);
        EXPECT_EQ(driver.kind, c.kind) << int(&c - cases);
        const Value family = driver.key ? driver.key->QueryValue("Family", 4) : std::nullopt;
        EXPECT_EQ(family, c.kind == DriverKind::None ? Value() : Value{{uint8_t(c.kind)}}) << int(&c - cases);
        EXPECT_EQ(registry.openKeys, driver.key ? 1 : 0) << "only the driver key stays open";
        if (driver.kind != DriverKind::None) continue;
        EXPECT_FALSE(HasDisplaySelection(driver.key.get())) << "the poll stops";
        EXPECT_EQ(LoadPanelPosition(registry, driver.key.get(), {7, 8}).x, 7);
        EXPECT_FALSE(SavePanelPosition(registry, driver.key.get(), {1, 2}));
        EXPECT_EQ(registry.masks.size(), 3u) << "the probe and the two driver keys only";
    }
}

TEST(DriverDetection, DriverKeysGetThe64BitViewOnlyOn64BitSystemsAndNeverBothViews) {
    for (const bool is64Bit : {true, false}) {
        FakeRegistry registry = Driver(kUvc, Value{{1}});
        registry.Set(kStd, "InstanceIndex", {1});
        registry.Set(kStd, "ii0001", Text(kKernel));
        if (is64Bit) registry.AddKey("SOFTWARE\\Wow6432Node");
        const DetectedDriver driver = DetectDriver(registry);
        ASSERT_EQ(driver.kind, DriverKind::Uvc) << "the fake refuses both view flags, as Windows 7 does";
        EXPECT_NE(OpenDriverKey(registry, DriverKind::Standard, driver.access), nullptr);
        EXPECT_TRUE(ReadDriverDesc(registry, driver.access));
        IsSnapshotActive(registry, driver.key.get());
        EXPECT_TRUE(SavePanelPosition(registry, driver.key.get(), {1, 2}));
        const uint32_t d = is64Bit ? 0x20119 : 0x20019;
        // Probe, UVC key, the panel's own key, the description's driver and device keys,
        // the instance key read, the instance key written.
        EXPECT_EQ(registry.masks, (std::vector<uint32_t>{0x20119, d, d, d, 0x20019, 0x20019, 0x2001B}));
    }
}

TEST(InstanceKeyPath, FirstReadableValueUpToTheCountWithoutItsPrefixNeverPastItsBytes) {
    const std::string p = "\\Registry\\MACHINE\\";
    const std::optional<std::string> none;
    struct Case {
        Value index;
        Values values;
        std::optional<std::string> path;
    } cases[] = {
        {Value{{3}}, {{"ii0002", Text(kKernel + '\0')}}, kDevice},                      // count 3, only the second
        {Value{{1}}, {{"ii0002", Text(kKernel)}}, none},                                // beyond the count
        {Value{{2, 0, 0, 1}}, {{"ii0002", Text(kKernel)}}, kDevice},                    // count is the first byte
        {Value{{0xFF}}, {{"ii0001", Text(kKernel)}}, none},                             // negative count
        {kEmpty, {{"ii0001", Text(kKernel)}}, none},                                    // zero-length count
        {Value{{1}}, {{"ii0001", Text(kKernel + '\0' + "junk")}}, kDevice},             // NUL inside
        {Value{{1}}, {{"ii0001", Text(p + "S")}}, "S"},
        {Value{{1}}, {{"ii0001", Text(p)}}, none},                                // 18 characters
        {Value{{2}}, {{"ii0001", kEmpty}, {"ii0002", Text(kKernel)}}, none},      // an empty value ends it
        {Value{{2}}, {{"ii0001", Text(kKernel + std::string(256, 'x'))}, {"ii0002", Text(kKernel)}}, kDevice},
        {Value{{1}}, {{"ii0000", Text(p + "Zero")}, {"ii0001", Text(kKernel)}}, kDevice},  // counted from 1
    };
    for (const Case& c : cases) {
        FakeRegistry registry = Driver(kUvc, c.index, c.values);
        EXPECT_EQ(FindInstanceKeyPath(registry.OpenLocalMachineKey(kUvc, kKeyRead).get()), c.path) << int(&c - cases);
    }
}

TEST(PollValues, SnapshotStateFromTheInstanceKeyDisplaySelectionFromTheDriverKey) {
    struct Case {
        Value state, selection;
        bool active;
        int selected;
    } cases[] = {
        {Value{{1}}, Value{{0}}, false, 0},  {Value{{2}}, Value{{1}}, true, 1}, {Dword(3), Value{{0xFE, 1}}, true, -2},
        {Value{{2, 1}}, Value{{3}}, true, 3}, {kEmpty, kEmpty, false, 3}, {std::nullopt, std::nullopt, false, 3},
    };
    for (const Case& c : cases) {
        FakeRegistry registry = Driver(kUvc, Value{{1}});
        if (c.state) registry.Set(kDevice, "SnapShotState", *c.state);
        if (c.selection) registry.Set(kUvc, "DisplaySelection", *c.selection);
        const auto key = registry.OpenLocalMachineKey(kUvc, kKeyRead);
        EXPECT_EQ(IsSnapshotActive(registry, key.get()), c.active) << int(&c - cases);
        EXPECT_EQ(ReadDisplaySelection(key.get()), c.selected) << int(&c - cases);
        EXPECT_EQ(HasDisplaySelection(key.get()), c.selection && !c.selection->empty()) << int(&c - cases);
        EXPECT_EQ(registry.openKeys, 1) << "the instance key is closed again";
    }
    FakeRegistry registry = Driver(kUvc, kEmpty);
    registry.Set(kDevice, "SnapShotState", {2});
    const auto key = registry.OpenLocalMachineKey(kUvc, kKeyRead);
    EXPECT_FALSE(HasInstanceIndex(key.get()));
    EXPECT_FALSE(IsSnapshotActive(registry, key.get())) << "no instance path";
}

TEST(PanelPosition, BothPointsReplaceTheDefaultsOnlyWhenNeitherIsUnsetOrMalformed) {
    struct Case {
        Value x, y;
        int32_t loadedX, loadedY;
    } cases[] = {
        {Dword(300), Dword(-5), 300, -5},   {Dword(-1), Dword(40), 10, 20},     {Dword(300), Dword(-1), 10, 20},
        {Dword(300), std::nullopt, 10, 20}, {Value{{1, 0}}, Dword(40), 10, 20}, {Dword(300), fake::Bytes(8), 10, 20},
    };
    for (const Case& c : cases) {
        FakeRegistry registry = Driver(kUvc, Value{{1}});
        if (c.x) registry.Set(kDevice, "PointX", *c.x);
        if (c.y) registry.Set(kDevice, "PointY", *c.y);
        const auto key = registry.OpenLocalMachineKey(kUvc, kKeyRead);
        const PanelPosition loaded = LoadPanelPosition(registry, key.get(), {10, 20});
        EXPECT_EQ(loaded.x, c.loadedX) << int(&c - cases);
        EXPECT_EQ(loaded.y, c.loadedY) << int(&c - cases);
    }
    FakeRegistry registry = Driver(kUvc, Value{{1}});
    const auto key = registry.OpenLocalMachineKey(kUvc, kKeyRead);
    ASSERT_TRUE(SavePanelPosition(registry, key.get(), {-7, 1200}));
    EXPECT_EQ(registry.OpenLocalMachineKey(kDevice, kKeyRead)->QueryValue("PointX", 4), Dword(-7));
    EXPECT_EQ(LoadPanelPosition(registry, key.get(), {0, 0}).y, 1200);
}

// A standard user cannot write the driver's keys under HKEY_LOCAL_MACHINE: the place is kept
// per user, and a per-user place wins when the panel opens.
TEST(PanelPosition, APerUserPlaceIsWrittenWhereTheDriversKeyIsRefusedAndWinsOnReading) {
    const std::string user = kUserPanelKeyPath;
    struct Case {
        const char* what;
        bool standardUser;
        Value userX, userY;  // a per-user place before the save
        int32_t loadedX, loadedY;  // what opens before the save (driver's place: 30, 40)
        bool driverWritten, userWritten;
    } cases[] = {
        {"administrator, no per-user place", false, std::nullopt, std::nullopt, 30, 40, true, false},
        {"standard user, no per-user place", true, std::nullopt, std::nullopt, 30, 40, false, true},
        {"standard user, an earlier per-user place", true, Dword(-300), Dword(5), -300, 5, false, true},
        {"administrator, an earlier per-user place", false, Dword(50), Dword(60), 50, 60, true, true},
        {"a per-user place half unset", true, Dword(50), Dword(-1), 30, 40, false, true},
        {"a per-user place half missing", false, std::nullopt, Dword(60), 30, 40, true, true},
    };
    for (const Case& c : cases) {
        FakeRegistry registry = Driver(kUvc, Value{{1}});
        registry.Set(kDevice, "PointX", Dword(30));
        registry.Set(kDevice, "PointY", Dword(40));
        if (c.userX) registry.SetUser(user, "PointX", *c.userX);
        if (c.userY) registry.SetUser(user, "PointY", *c.userY);
        registry.standardUser = c.standardUser;
        const auto key = registry.OpenLocalMachineKey(kUvc, kKeyRead);
        const PanelPosition loaded = LoadPanelPosition(registry, key.get(), {1, 2});
        EXPECT_EQ(loaded.x, c.loadedX) << c.what;
        EXPECT_EQ(loaded.y, c.loadedY) << c.what;

        EXPECT_TRUE(SavePanelPosition(registry, key.get(), {700, -20})) << c.what;
        EXPECT_EQ(registry.Get(kDevice, "PointX"), c.driverWritten ? Dword(700) : Dword(30)) << c.what;
        EXPECT_EQ(registry.Get(kDevice, "PointY"), c.driverWritten ? Dword(-20) : Dword(40)) << c.what;
        EXPECT_EQ(registry.GetUser(user, "PointX"), c.userWritten ? Dword(700) : c.userX) << c.what;
        EXPECT_EQ(registry.GetUser(user, "PointY"), c.userWritten ? Dword(-20) : c.userY) << c.what;
        EXPECT_EQ(registry.HasUserKey(user), c.userWritten) << c.what << ": no key made where none is needed";
        const PanelPosition again = LoadPanelPosition(registry, key.get(), {1, 2});
        EXPECT_EQ(again.x, 700) << c.what;
        EXPECT_EQ(again.y, -20) << c.what;
        EXPECT_EQ(registry.openKeys, 1) << c.what;
    }
    FakeRegistry noInstance = Driver(kUvc, kEmpty);  // the instance key cannot be found
    const auto key = noInstance.OpenLocalMachineKey(kUvc, kKeyRead);
    EXPECT_TRUE(SavePanelPosition(noInstance, key.get(), {3, 4}));
    EXPECT_EQ(noInstance.GetUser(user, "PointY"), Dword(4));
    // Half a place is no place: when the driver's key takes one point only, both go per user.
    for (const char* refused : {"PointX", "PointY"}) {
        FakeRegistry half = Driver(kUvc, Value{{1}});
        half.refusedLocalMachineValue = refused;
        const auto halfKey = half.OpenLocalMachineKey(kUvc, kKeyRead);
        EXPECT_TRUE(SavePanelPosition(half, halfKey.get(), {5, 6})) << refused;
        EXPECT_EQ(half.GetUser(user, "PointX"), Dword(5)) << refused;
        EXPECT_EQ(LoadPanelPosition(half, halfKey.get(), {1, 2}).y, 6) << refused;
    }
}

TEST(PanelPlacement, APanelOpensWhollyInsideTheWorkAreaMovedNoFurtherThanNeeded) {
    const ScreenRect area{0, 0, 1920, 1040};  // a 1920 x 1080 screen, the taskbar at the bottom
    const ScreenRect leftBar{60, 0, 1920, 1080};  // the taskbar on the left
    const ScreenRect second{-1280, -200, 0, 824};  // a monitor left of the main one
    struct Case {
        ScreenRect area;
        PanelPosition place, opened;
    } cases[] = {
        {area, {1870, 800}, {1870, 800}},    // inside: unchanged
        {area, {0, 0}, {0, 0}},              // at the corner
        {area, {1878, 878}, {1878, 878}},    // touching the right and bottom edges
        {area, {1879, 879}, {1878, 878}},    // a pixel beyond each
        {area, {1900, 100}, {1878, 100}},    // partly off the right edge
        {area, {-10, 100}, {0, 100}},        // partly off the left edge
        {area, {500, -1}, {500, 0}},         // partly off the top
        {area, {500, 1000}, {500, 878}},     // partly under the taskbar
        {area, {5000, 3000}, {1878, 878}},   // off every monitor (one unplugged)
        {area, {-5000, -3000}, {0, 0}},
        {area, {INT32_MAX, INT32_MIN}, {1878, 0}},
        {leftBar, {10, 500}, {60, 500}},     // saved under a taskbar now on the left
        {second, {-1300, 900}, {-1280, 662}},
        {ScreenRect{0, 0, 30, 100}, {5, 5}, {0, 0}},  // larger than the area: left and top inside
    };
    for (const Case& c : cases) {
        const PanelPosition opened = KeepInside(c.place, 42, 162, c.area);
        EXPECT_EQ(opened.x, c.opened.x) << c.place.x << "," << c.place.y;
        EXPECT_EQ(opened.y, c.opened.y) << c.place.x << "," << c.place.y;
    }
}

// The size at the DPI of the monitor it opens on: 42 x 162, 63 x 243, 84 x 324.
TEST(PanelPlacement, APanelIsKeptInsideAtTheDpiOfTheMonitorItOpensOn) {
    const ScreenRect area{0, 0, 1920, 1040};
    const ScreenRect tall{2560, -400, 4000, 2160};  // a monitor right of it, reaching higher
    struct Case {
        ScreenRect area;
        int dpi;
        PanelPosition place, opened;
    } cases[] = {
        {area, 96, {1870, 800}, {1870, 800}},
        {area, 144, {1870, 800}, {1857, 797}},
        {area, 192, {1870, 800}, {1836, 716}},
        {area, 192, {1836, 716}, {1836, 716}},    // exactly at the edges
        {area, 192, {1837, 717}, {1836, 716}},
        {area, 120, {1900, 1000}, {1867, 837}},   // 53 x 203
        {tall, 192, {3990, -500}, {3916, -400}},
        {tall, 144, {2500, 2100}, {2560, 1917}},
    };
    for (const Case& c : cases) {
        const PanelPosition opened = KeepInsideAtDpi(c.place, c.dpi, c.area);
        EXPECT_EQ(opened.x, c.opened.x) << c.dpi << ": " << c.place.x << "," << c.place.y;
        EXPECT_EQ(opened.y, c.opened.y) << c.dpi << ": " << c.place.x << "," << c.place.y;
    }
}

TEST(DriverDesc, FirstExistingInstanceNamesTheDeviceKeyCutAtSettings) {
    const std::optional<std::string> failed;
    struct Case {
        Value index;
        Values values;
        std::optional<std::string> desc;
    } cases[] = {
        {Dword(1), {{"ii0001", Text(kKernel + "\\Settings\\A\\Settings")}}, "Cam"},
        {Value{{1}}, {{"ii0001", Text("??" + kKernel)}}, "Cam"},                     // prefix inside, unterminated
        {Dword(3), {{"ii0003", Text(kKernel + '\0')}}, "Cam"},                      // missing values skipped
        {Dword(1), {{"ii0001", Text(kDevice + "\\Settings")}}, failed},             // no prefix: not cut
        {Dword(1), {{"ii0001", Text(kDevice)}}, "Cam"},
        {Dword(2), {{"ii0001", Text(std::string(1, '\0'))}, {"ii0002", Text(kKernel)}}, ""},  // empty ends it
        {Dword(2), {{"ii0001", kEmpty}, {"ii0002", Text(kKernel)}}, ""},
        {kEmpty, {{"ii0001", Text(kKernel)}}, ""},
        {Dword(0xFFFFFFFF), {{"ii10000", Text(kKernel)}}, ""},                      // the walk stops at ii9999
        {Dword(1), {{"ii0001", Text("\\Registry\\MACHINE\\SYSTEM\\Gone")}}, failed},
        {Dword(1), {{"ii0000", Text("\\Registry\\MACHINE\\SYSTEM\\Gone")}, {"ii0001", Text(kKernel)}}, "Cam"},
        // A value of exactly the 260-byte buffer is read; one byte more is not.
        {Dword(1), {{"ii0001", Text(kKernel + "\\Settings" + std::string(260 - kKernel.size() - 9, 's'))}}, "Cam"},
        {Dword(2), {{"ii0001", Text(kKernel + std::string(261 - kKernel.size(), 'x'))}, {"ii0002", Text(kKernel)}}, "Cam"},
    };
    for (const Case& c : cases) {
        FakeRegistry registry = Driver(kStd, c.index, c.values);
        registry.Set(kDevice, "DriverDesc", Text("Cam"));
        EXPECT_EQ(ReadDriverDesc(registry, kKeyRead), c.desc) << int(&c - cases);
        EXPECT_EQ(registry.openKeys, 0) << int(&c - cases);
    }
    FakeRegistry registry = Driver(kStd, Dword(1));
    EXPECT_EQ(ReadDriverDesc(registry, kKeyRead), "") << "no DriverDesc";
    registry.Set(kDevice, "DriverDesc", Text(std::string(256, 'd')));
    EXPECT_EQ(ReadDriverDesc(registry, kKeyRead), std::string(256, 'd'));
    FakeRegistry empty;
    EXPECT_EQ(ReadDriverDesc(empty, kKeyRead), failed) << "no driver key";

    // The device key's path is cut to 256 characters.
    const std::string longDevice = "SYSTEM\\" + std::string(256 - 7, 'd');
    FakeRegistry cut = Driver(kStd, Dword(1), {{"ii0001", Text(longDevice + "e")}});
    cut.Set(longDevice, "DriverDesc", Text("Long"));
    EXPECT_EQ(ReadDriverDesc(cut, kKeyRead), "Long");
}

// The count before the instance values is read from whatever bytes the value has: up to
// four, little-endian, with every byte in its place.
TEST(RegistryValues, ALeadingCountTakesUpToFourBytesLittleEndian) {
    const struct {
        ValueBytes value;
        std::optional<uint32_t> count;
    } cases[] = {
        {std::nullopt, std::nullopt},
        {std::vector<uint8_t>{}, std::nullopt},
        {std::vector<uint8_t>{0x81}, 0x81u},
        {std::vector<uint8_t>{0x03, 0x02, 0x81}, 0x810203u},
        {std::vector<uint8_t>{0x78, 0x56, 0x34, 0x92}, 0x92345678u},
        {std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12, 0xFF}, 0x12345678u},  // a fifth byte is not the count's
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeadingUnsigned32(c.value), c.count) << (c.value ? c.value->size() : 99) << " bytes";
}
