// The simulated driver's keys as the button utility finds them, written in-process by the
// functions SimulatedDriver.exe runs and read back with plain registry reads.
#include <gtest/gtest.h>

#include <set>

#include "testworld/camera/CameraRegistry.h"
#include "testworld/driver/SimulatedDriver.h"
#include "tests/testworld/driver/RegistryReads.h"

namespace driver_test {
namespace {

using driver::Family;

class SimulatedDriverTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        ASSERT_EQ(driver::RemoveAll(), ERROR_SUCCESS);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath);
    }
    // Instance key paths of every "ii" value 1 … count of a family, each checked on the way.
    static std::vector<std::wstring> InstanceKeys(Family family, unsigned count,
                                                  const wchar_t* description = camera::kDefaultFriendlyName) {
        std::vector<std::wstring> keys;
        for (unsigned i = 1; i <= count; ++i) {
            const auto ii = MachineString(driver::DriverKeyPath(family), driver::InstanceValueName(i).c_str());
            EXPECT_TRUE(ii) << "ii" << i;
            if (!ii) continue;
            EXPECT_EQ(ii->rfind(L"\\Registry\\MACHINE\\SYSTEM\\", 0), 0u) << "kernel form";
            keys.push_back(InstanceKeyOf(*ii));
            EXPECT_EQ(MachineString(DeviceKeyOf(*ii), L"DriverDesc"), std::wstring(description));
        }
        return keys;
    }
};

TEST_F(SimulatedDriverTest, InstallWritesOneFamilyWithItsDeviceAndReleasedButton) {
    ASSERT_EQ(driver::Install(Family::Uvc, {}), ERROR_SUCCESS);
    const std::wstring uvc = L"SOFTWARE\\Kettil\\PCCAM\\SNP2UVC";
    EXPECT_EQ(MachineDword(uvc, L"InstanceIndex"), 1u);
    EXPECT_EQ(MachineDword(uvc, L"DisplaySelection"), 0u);
    EXPECT_FALSE(MachineString(uvc, L"ii0002"));
    const std::vector<std::wstring> keys = InstanceKeys(Family::Uvc, 1);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].substr(keys[0].size() - 9), L"\\Settings");
    EXPECT_EQ(MachineDword(keys[0], L"SnapShotState"), 0u);
    EXPECT_FALSE(MachineDword(keys[0], L"PointX"));
    EXPECT_FALSE(MachineKeyExists(L"SOFTWARE\\Kettil\\PCCAM\\SNP2STD"));
}

TEST_F(SimulatedDriverTest, BothFamiliesNameTheSameDevicesDescribedByTheCameraFriendlyName) {
    UniqueHKey cameraKey;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                cameraKey.Put(), nullptr),
              ERROR_SUCCESS);
    const wchar_t name[] = L"Studio Camera";
    const auto bytes = reinterpret_cast<const BYTE*>(name);
    ASSERT_EQ(::RegSetValueExW(cameraKey.Get(), L"FriendlyName", 0, REG_SZ, bytes, sizeof(name)), ERROR_SUCCESS);
    ASSERT_EQ(driver::Install(Family::Std, {3, 1}), ERROR_SUCCESS);
    ASSERT_EQ(driver::Install(Family::Uvc, {3, 1}), ERROR_SUCCESS);
    for (Family family : {Family::Uvc, Family::Std}) {
        EXPECT_EQ(MachineDword(driver::DriverKeyPath(family), L"InstanceIndex"), 3u);
        EXPECT_EQ(MachineDword(driver::DriverKeyPath(family), L"DisplaySelection"), 1u);
        EXPECT_FALSE(MachineString(driver::DriverKeyPath(family), L"ii0004"));
    }
    const std::vector<std::wstring> uvcKeys = InstanceKeys(Family::Uvc, 3, name);
    EXPECT_EQ(InstanceKeys(Family::Std, 3, name), uvcKeys);
    EXPECT_EQ(std::set<std::wstring>(uvcKeys.begin(), uvcKeys.end()).size(), 3u);  // one device per instance
}

TEST_F(SimulatedDriverTest, PressAndReleaseReachEveryInstanceAndReinstallKeepsThePanelPosition) {
    ASSERT_EQ(driver::Install(Family::Uvc, {2, 0}), ERROR_SUCCESS);
    ASSERT_EQ(driver::Install(Family::Std, {2, 0}), ERROR_SUCCESS);
    const std::vector<std::wstring> keys = InstanceKeys(Family::Uvc, 2);
    ASSERT_EQ(keys.size(), 2u);
    for (DWORD state : {driver::kPressedState, DWORD{3}, driver::kReleasedState, DWORD{1}}) {
        ASSERT_EQ(driver::SetSnapshotState(state), ERROR_SUCCESS);
        for (const std::wstring& key : keys) EXPECT_EQ(MachineDword(key, L"SnapShotState"), state);
    }
    // The utility saves its panel position in the instance key; a new install keeps it.
    UniqueHKey settings;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keys[0].c_str(), 0, KEY_SET_VALUE, settings.Put()), ERROR_SUCCESS);
    const DWORD x = 120;
    ASSERT_EQ(::RegSetValueExW(settings.Get(), L"PointX", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&x), sizeof(x)),
              ERROR_SUCCESS);
    ASSERT_EQ(driver::SetSnapshotState(driver::kPressedState), ERROR_SUCCESS);
    ASSERT_EQ(driver::Install(Family::Std, {2, 0}), ERROR_SUCCESS);
    EXPECT_EQ(MachineDword(keys[0], L"PointX"), x);
    EXPECT_EQ(MachineDword(keys[0], L"SnapShotState"), driver::kReleasedState);
}

TEST_F(SimulatedDriverTest, RemoveLeavesNoKeyOfItsOwnAndNothingElseGoes) {
    UniqueHKey other;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Kettil\\OtherProduct", 0, nullptr, 0, KEY_READ, nullptr,
                                other.Put(), nullptr),
              ERROR_SUCCESS);
    other.Reset();
    ASSERT_EQ(driver::Install(Family::Uvc, {driver::kMaxInstances, 0}), ERROR_SUCCESS);
    ASSERT_EQ(driver::Install(Family::Std, {2, 0}), ERROR_SUCCESS);
    const std::vector<std::wstring> keys = InstanceKeys(Family::Uvc, driver::kMaxInstances);
    ASSERT_EQ(driver::RemoveAll(), ERROR_SUCCESS);
    EXPECT_FALSE(MachineKeyExists(L"SOFTWARE\\Kettil\\PCCAM"));
    for (const std::wstring& key : keys) EXPECT_FALSE(MachineKeyExists(DeviceKeyOf(L"\\Registry\\MACHINE\\" + key)));
    // The device class and another product of the same vendor are not ours to delete.
    EXPECT_TRUE(MachineKeyExists(driver::kImageClassKeyPath));
    EXPECT_TRUE(MachineKeyExists(L"SOFTWARE\\Kettil\\OtherProduct"));
    ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Kettil"), ERROR_SUCCESS);
    EXPECT_EQ(driver::RemoveAll(), ERROR_SUCCESS);  // nothing left to remove
}

}  // namespace
}  // namespace driver_test
