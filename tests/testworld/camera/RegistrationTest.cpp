// DllRegisterServer / DllUnregisterServer of both DLLs, in the private prefix.
#include <gtest/gtest.h>

#include "testworld/camera/CameraRegistry.h"
#include "components/effect/EffectFilterInterfaces.h"
#include "tests/components/support/ComponentWorld.h"

namespace components_test {
namespace {

std::vector<DeviceEntry> VirtualCameras() {
    std::vector<DeviceEntry> found;
    for (DeviceEntry& device : ListVideoDevices())
        if (device.friendlyName.rfind(L"Delm Halvo", 0) == 0 || device.friendlyName == L"Second Name")
            found.push_back(std::move(device));
    return found;
}

class RegistrationTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Back to the registration the other tests expect.
        CameraSettings::Clear();
        EXPECT_EQ(CameraDll().Register(), S_OK);
        EXPECT_EQ(EffectDll().Register(), S_OK);
        EXPECT_EQ(CameraDll().LiveObjects(), 0);
        EXPECT_EQ(EffectDll().LiveObjects(), 0);
    }
    CameraSettings m_settings;
};

TEST_F(RegistrationTest, CameraIsAVideoInputDeviceWithAUsbDevicePath) {
    ASSERT_EQ(CameraDll().Register(), S_OK);
    const std::vector<DeviceEntry> cameras = VirtualCameras();
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(cameras[0].friendlyName, camera::kDefaultFriendlyName);
    ASSERT_TRUE(cameras[0].hasDevicePath);
    EXPECT_EQ(cameras[0].devicePath.rfind(L"\\\\?\\usb#vid_0c45&pid_", 0), 0u) ;
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(cameras[0].moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid()), S_OK);
}

TEST_F(RegistrationTest, RoundTripRemovesAndRestoresBothClasses) {
    ASSERT_EQ(CameraDll().Unregister(), S_OK);
    ASSERT_EQ(EffectDll().Unregister(), S_OK);
    EXPECT_TRUE(VirtualCameras().empty());
    ComPtr<IBaseFilter> effect;
    EXPECT_EQ(::CoCreateInstance(CLSID_EffectFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, effect.PutVoid()),
              REGDB_E_CLASSNOTREG);
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(EffectDll().Unregister(), S_OK);

    // Registering twice, as the camera program does at every start, is harmless.
    ASSERT_EQ(EffectDll().Register(), S_OK);
    ASSERT_EQ(EffectDll().Register(), S_OK);
    ASSERT_EQ(CameraDll().Register(), S_OK);
    ASSERT_EQ(CameraDll().Register(), S_OK);
    EXPECT_EQ(VirtualCameras().size(), 1u);
    EXPECT_EQ(::CoCreateInstance(CLSID_EffectFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, effect.PutVoid()),
              S_OK);
    // The effect filter is listed with the other DirectShow filters.
    ComPtr<IFilterMapper2> mapper;
    ASSERT_EQ(::CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2, mapper.PutVoid()),
              S_OK);
    ComPtr<ICreateDevEnum> devices;
    ASSERT_EQ(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                 devices.PutVoid()),
              S_OK);
    ComPtr<IEnumMoniker> legacy;
    ASSERT_EQ(devices->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, legacy.Put(), 0), S_OK);
    bool listed = false;
    ComPtr<IMoniker> moniker;
    while (!listed && legacy->Next(1, moniker.Put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
        VARIANT value;
        ::VariantInit(&value);
        if (SUCCEEDED(bag->Read(L"CLSID", &value, nullptr)) && value.vt == VT_BSTR) {
            CLSID clsid;
            listed = SUCCEEDED(::CLSIDFromString(value.bstrVal, &clsid)) && clsid == CLSID_EffectFilter;
        }
        ::VariantClear(&value);
    }
    EXPECT_TRUE(listed);
}

TEST_F(RegistrationTest, TwoDevicesOfOneNameAndNoDevicePath) {
    m_settings.Set(L"Devices", 2);
    m_settings.Set(L"NoDevicePath", 1);
    m_settings.Set(L"FriendlyName", L"Second Name");
    ASSERT_EQ(CameraDll().Register(), S_OK);
    const std::vector<DeviceEntry> cameras = VirtualCameras();
    ASSERT_EQ(cameras.size(), 2u);
    for (const DeviceEntry& device : cameras) {
        EXPECT_EQ(device.friendlyName, L"Second Name");
        EXPECT_FALSE(device.hasDevicePath);
    }
    // Fewer devices at the next registration: the extra one goes.
    m_settings.Set(L"Devices", 1);
    ASSERT_EQ(CameraDll().Register(), S_OK);
    EXPECT_EQ(VirtualCameras().size(), 1u);
}

}  // namespace
}  // namespace components_test
