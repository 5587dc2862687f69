// Device lists, lookups and the façade's selection on the platform's device enumerator, with
// test devices registered in the private prefix.
#include <windows.h>
#include <strmif.h>
#include <uuids.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "ComFakes.h"
#include "DeviceTestSupport.h"
#include "GraphTestSupport.h"
#include "capture/DeviceEnumeration.h"
#include "capture/TeskLib.h"

namespace {

using ::testing::Contains;
using ::testing::Not;

const wchar_t kTwinName[] = L"DH Test Camera";
const wchar_t kPathlessName[] = L"DH Pathless Camera";

// The façade with its selected sources visible to the test.
class TeskLibProbe : public TeskLib {
public:
    IBaseFilter* VideoSource() const { return m_pVideoSource.Get(); }
    IBaseFilter* AudioSource() const { return m_pAudioSource.Get(); }
    void UseVideoSource(IBaseFilter* source) { m_pVideoSource = ComPtr<IBaseFilter>(source); }
    const std::vector<std::wstring>& VideoDeviceNames() const { return m_videoDeviceNames; }
};

class DeviceLookupTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        devices = std::make_unique<TestDeviceCategory>(std::vector<TestDevice>{
            {L"DhTestTwinB", kTwinName, kClsidNullRenderer, true},
            {L"DhTestTwinA", kTwinName, CLSID_AVIDec, true},
            {L"DhTestPathless", kPathlessName, kClsidNullRenderer, false},
            {L"DhTestNumberName", L"", kClsidNullRenderer, true},
        });
        ASSERT_TRUE(devices->ok());
    }
    void TearDown() override {
        devices.reset();
        ComTest::TearDown();
    }
    std::vector<size_t> IndexesOf(const std::vector<std::wstring>& names, const wchar_t* name) {
        std::vector<size_t> found;
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) found.push_back(i);
        return found;
    }
    std::unique_ptr<TestDeviceCategory> devices;
};

TEST_F(DeviceLookupTest, ListHoldsDevicesWithPathOnlyAndBothTwins) {
    std::vector<std::wstring> names{L"stale"};
    EXPECT_EQ(EnumerateCategory(CLSID_VideoInputDeviceCategory, names), S_OK);
    EXPECT_EQ(IndexesOf(names, kTwinName).size(), 2u);
    EXPECT_THAT(names, Not(Contains(std::wstring(kPathlessName))));
    EXPECT_THAT(names, Not(Contains(std::wstring(L"stale"))));
    EXPECT_THAT(names, Not(Contains(std::wstring())));
}

TEST_F(DeviceLookupTest, LookupIsByExactNameAndBindsTheFirstOfTwins) {
    const CLSID first = FirstDeviceClass(kTwinName);
    ASSERT_FALSE(IsEqualGUID(first, CLSID_NULL));
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(FindDeviceFilter(kTwinName, filter.Put(), true), S_OK);
    EXPECT_TRUE(IsEqualGUID(ClassOf(filter.Get()), first));
    // Found by name although it is not listed.
    EXPECT_EQ(FindDeviceFilter(kPathlessName, filter.Put(), true), S_OK);
    EXPECT_TRUE(IsEqualGUID(ClassOf(filter.Get()), kClsidNullRenderer));
    EXPECT_EQ(FindDeviceFilter(L"dh test camera", filter.Put(), true), E_FAIL);
    EXPECT_EQ(FindDeviceFilter(L"DH Test Camera ", filter.Put(), true), E_FAIL);
    EXPECT_EQ(filter.Get(), nullptr);
    EXPECT_EQ(FindDeviceFilter(kTwinName, filter.Put(), false), E_FAIL);
    EXPECT_EQ(FindDeviceFilter(nullptr, filter.Put(), true), E_POINTER);
    EXPECT_EQ(FindDeviceFilter(kTwinName, nullptr, true), E_POINTER);
}

TEST_F(DeviceLookupTest, FacadeSelectsByIndexAndKeepsTheSourceOnABadIndex) {
    TeskLibProbe lib;
    ASSERT_EQ(lib.EnumerateDevices(), S_OK);
    const std::vector<size_t> twins = IndexesOf(lib.VideoDeviceNames(), kTwinName);
    ASSERT_EQ(twins.size(), 2u);

    EXPECT_EQ(lib.SelectVideoDevice(static_cast<int>(twins[1])), S_OK);
    ASSERT_NE(lib.VideoSource(), nullptr);
    EXPECT_TRUE(IsEqualGUID(ClassOf(lib.VideoSource()), FirstDeviceClass(kTwinName)));
    IBaseFilter* selected = lib.VideoSource();

    EXPECT_EQ(lib.SelectVideoDevice(lib.GetVideoDeviceCount()), E_INVALIDARG);
    EXPECT_EQ(lib.SelectVideoDevice(-2), E_INVALIDARG);
    EXPECT_EQ(lib.VideoSource(), selected);
    EXPECT_EQ(lib.SelectAudioDevice(-1), S_OK);
    EXPECT_EQ(lib.VideoSource(), selected);
    EXPECT_EQ(lib.AudioSource(), nullptr);

    // The bound filter is no camera: the size question fails at the pin search.
    EXPECT_EQ(lib.IsVideoSizeSupported(640, 480), E_FAIL);
    EXPECT_EQ(lib.SelectVideoDevice(-1), S_OK);
    EXPECT_EQ(lib.VideoSource(), nullptr);
    EXPECT_EQ(lib.StartPreview(nullptr), E_FAIL);
}

class TeskLibTest : public ComTest {};

TEST_F(TeskLibTest, WithoutSourceNothingStartsAndNothingChanges) {
    TeskLibProbe lib;
    EXPECT_EQ(lib.GetVideoDeviceCount(), 0);
    EXPECT_EQ(lib.SelectVideoDevice(0), E_INVALIDARG);
    EXPECT_EQ(lib.SelectVideoDevice(-1), S_OK);
    EXPECT_EQ(lib.StartPreview(nullptr), E_FAIL);
    EXPECT_EQ(lib.IsVideoSizeSupported(640, 480), E_FAIL);
    EXPECT_EQ(lib.TakeSnapshot(), E_FAIL);
    EXPECT_EQ(lib.SetVideoRect(0, 0, 320, 240), S_OK);
    lib.CloseAll();
    lib.HandleEvents(nullptr);
}

// With a fake camera: the failure of the build stops StartPreview and is returned; the next
// StartPreview tears down what the first one left.
TEST_F(TeskLibTest, BuildFailureIsReturnedAndTheNextStartTearsDown) {
    FakeFilter* camera = world.Make<FakeFilter>("camera");
    FakePin* pin = world.Make<FakePin>("capture", PINDIR_OUTPUT);
    pin->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 640, 480, 333333));
    camera->AddPin(pin);
    FakeEffectFilter* effect = world.Make<FakeEffectFilter>("effect");
    FakeClassFactory* factory = world.Make<FakeClassFactory>("effect factory", effect);
    ClassRegistration effectClass(CLSID_EffectFilter, factory);
    {
        TeskLibProbe lib;
        lib.UseVideoSource(camera);
        lib.m_notifyMessage = WM_APP + 1;
        EXPECT_EQ(lib.StartPreview(nullptr), E_FAIL);  // the effect filter has no input pin
        EXPECT_NE(camera->joinedGraph, nullptr);
        EXPECT_EQ(lib.StartPreview(nullptr), E_FAIL);
        EXPECT_EQ(factory->created, 2);
        EXPECT_EQ(effect->closeModuleCalls, 1);
        EXPECT_EQ(lib.TakeSnapshot(), S_OK);  // a graph exists, as far as it got
        lib.CloseAll();
        EXPECT_EQ(camera->joinedGraph, nullptr);
        EXPECT_EQ(effect->closeModuleCalls, 2);
        EXPECT_EQ(lib.TakeSnapshot(), E_FAIL);
        lib.SelectVideoDevice(-1);
    }
}

}  // namespace
