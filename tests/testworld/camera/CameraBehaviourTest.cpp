// The virtual camera as the capture engine and the utility see it: its offer through
// IAMStreamConfig, pin categories, the still pin, and the settings that make it busy or
// unplug it.
#include <gtest/gtest.h>

#include <memory>

#include "testworld/camera/CameraControls.h"
#include "testworld/camera/CameraRegistry.h"
#include "components/effect/EffectFilterInterfaces.h"
#include "components/filterkit/MediaType.h"
#include "tests/components/support/ComponentWorld.h"

namespace components_test {
namespace {

struct FreeType {
    void operator()(AM_MEDIA_TYPE* mt) const { filterkit::DeleteMediaType(mt); }
};
using TypePtr = std::unique_ptr<AM_MEDIA_TYPE, FreeType>;

const VIDEOINFOHEADER& Vih(const AM_MEDIA_TYPE* mt) { return *reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat); }

class CameraTest : public ::testing::Test {
protected:
    void TearDown() override {
        m_preview.Release();
        m_camera.Reset();
        EXPECT_EQ(CameraDll().LiveObjects(), 0);
        EXPECT_EQ(EffectDll().LiveObjects(), 0);
    }
    ComPtr<IAMStreamConfig> Config() {
        ComPtr<IAMStreamConfig> config;
        FindPin(m_camera.Get(), PINDIR_OUTPUT, 0).As(config);
        return config;
    }
    CameraSettings m_settings;
    ComPtr<IBaseFilter> m_camera;
    PreviewGraph m_preview;
};

TEST_F(CameraTest, DefaultOfferIsThreeSizesAtThirtyFramesInYuy2AndRgb32) {
    m_camera = BindVirtualCamera();
    ASSERT_TRUE(m_camera);
    ComPtr<IAMStreamConfig> config = Config();
    ASSERT_TRUE(config);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(size, 128);
    ASSERT_EQ(count, 6);
    const SIZE sizes[] = {{320, 240}, {640, 480}, {1280, 1024}};
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* raw = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps = {};
        ASSERT_EQ(config->GetStreamCaps(i, &raw, reinterpret_cast<BYTE*>(&caps)), S_OK);
        TypePtr mt(raw);
        EXPECT_EQ(mt->subtype, i < 3 ? MEDIASUBTYPE_YUY2 : MEDIASUBTYPE_RGB32) << i;
        EXPECT_EQ(mt->formattype, FORMAT_VideoInfo);
        EXPECT_EQ(Vih(mt.get()).AvgTimePerFrame, 333333);
        EXPECT_EQ(Vih(mt.get()).bmiHeader.biWidth, sizes[i % 3].cx);
        EXPECT_EQ(Vih(mt.get()).bmiHeader.biHeight, sizes[i % 3].cy);
        EXPECT_EQ(caps.MinOutputSize.cx, sizes[i % 3].cx);
        EXPECT_EQ(caps.MaxOutputSize.cy, sizes[i % 3].cy);
    }
    AM_MEDIA_TYPE* raw = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps = {};
    EXPECT_EQ(config->GetStreamCaps(count, &raw, reinterpret_cast<BYTE*>(&caps)), S_FALSE);
}

TEST_F(CameraTest, SetFormatKeepsTheChosenSizeAndRepairsTheImageSize) {
    m_camera = BindVirtualCamera();
    ComPtr<IAMStreamConfig> config = Config();
    ASSERT_TRUE(config);
    // As the capture engine does: only width and height edited.
    ASSERT_EQ(SetCaptureSize(m_camera.Get(), 1280, 1024), S_OK);
    AM_MEDIA_TYPE* raw = nullptr;
    ASSERT_EQ(config->GetFormat(&raw), S_OK);
    TypePtr mt(raw);
    EXPECT_EQ(Vih(mt.get()).bmiHeader.biWidth, 1280);
    EXPECT_EQ(Vih(mt.get()).bmiHeader.biHeight, 1024);
    EXPECT_EQ(Vih(mt.get()).bmiHeader.biSizeImage, 1280u * 1024u * 2u);
    // The pin now offers only that format.
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(FindPin(m_camera.Get(), PINDIR_OUTPUT, 0)->EnumMediaTypes(types.Put()), S_OK);
    AM_MEDIA_TYPE* items[4] = {};
    ULONG fetched = 0;
    types->Next(4, items, &fetched);
    EXPECT_EQ(fetched, 1u);
    for (ULONG i = 0; i < fetched; ++i) FreeType()(items[i]);
    // A size outside the offer is rejected and changes nothing.
    EXPECT_TRUE(FAILED(SetCaptureSize(m_camera.Get(), 800, 600)));
    ASSERT_EQ(config->GetFormat(&raw), S_OK);
    mt.reset(raw);
    EXPECT_EQ(Vih(mt.get()).bmiHeader.biWidth, 1280);
}

TEST_F(CameraTest, SetFormatWhileRunningIsRefused) {
    ASSERT_EQ(m_preview.Build(320, 240, nullptr), S_OK);
    ASSERT_TRUE(SUCCEEDED(m_preview.Run()));
    EXPECT_EQ(SetCaptureSize(m_preview.camera.Get(), 640, 480), VFW_E_NOT_STOPPED);
    EXPECT_EQ(m_preview.Stop(), S_OK);
    // Stopped and connected: the graph reconnects the pin at the new size.
    EXPECT_EQ(SetCaptureSize(m_preview.camera.Get(), 640, 480), S_OK);
    int w = 0, h = 0;
    ComPtr<IEffectFilterSnapshot> snapshot;
    ASSERT_EQ(m_preview.effect.As(snapshot), S_OK);
    snapshot->GetFrameSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    // The effect filter had its output reconnected to the renderer at the new size.
    AM_MEDIA_TYPE out = {};
    ASSERT_EQ(FindPin(m_preview.effect.Get(), PINDIR_OUTPUT, 0)->ConnectionMediaType(&out), S_OK);
    EXPECT_EQ(Vih(&out).bmiHeader.biWidth, 640);
    filterkit::FreeMediaType(out);
    EXPECT_TRUE(SUCCEEDED(m_preview.Run()));
    EXPECT_EQ(m_preview.Stop(), S_OK);
}

TEST_F(CameraTest, OtherSizesAndFormatsComeFromTheSettingsKey) {
    m_settings.Set(L"Sizes", L"160x120, 800x600");
    m_settings.Set(L"Formats", L"rgb24");
    m_camera = BindVirtualCamera();
    ComPtr<IAMStreamConfig> config = Config();
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 2);
    AM_MEDIA_TYPE* raw = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps = {};
    ASSERT_EQ(config->GetStreamCaps(1, &raw, reinterpret_cast<BYTE*>(&caps)), S_OK);
    TypePtr mt(raw);
    EXPECT_EQ(mt->subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(caps.MaxOutputSize.cx, 800);
    EXPECT_EQ(caps.MaxOutputSize.cy, 600);
}

TEST_F(CameraTest, AnMjpegCameraOffersItsLargestSizeOnlyAsMjpeg) {
    m_settings.Set(L"Formats", L"MJPG,YUY2");
    m_settings.Set(L"RawSizeLimit", L"640x480");
    m_camera = BindVirtualCamera();
    ComPtr<IAMStreamConfig> config = Config();
    ASSERT_TRUE(config);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 5) << "three MJPEG sizes, two uncompressed";
    AM_MEDIA_TYPE* raw = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps = {};
    ASSERT_EQ(config->GetStreamCaps(4, &raw, reinterpret_cast<BYTE*>(&caps)), S_OK);
    TypePtr largestRaw(raw);
    EXPECT_EQ(largestRaw->subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(Vih(largestRaw.get()).bmiHeader.biWidth, 640);
    ASSERT_EQ(config->GetStreamCaps(2, &raw, reinterpret_cast<BYTE*>(&caps)), S_OK);
    TypePtr mjpeg(raw);
    EXPECT_EQ(mjpeg->subtype, MEDIASUBTYPE_MJPG);
    EXPECT_FALSE(mjpeg->bFixedSizeSamples);
    EXPECT_EQ(Vih(mjpeg.get()).bmiHeader.biCompression, MAKEFOURCC('M', 'J', 'P', 'G'));
    EXPECT_EQ(Vih(mjpeg.get()).bmiHeader.biBitCount, 24);
    EXPECT_EQ(Vih(mjpeg.get()).bmiHeader.biWidth, 1280);
    EXPECT_EQ(Vih(mjpeg.get()).bmiHeader.biHeight, 1024);
    EXPECT_EQ(caps.MaxOutputSize.cx, 1280);
    // As the capture engine asks for the "1.3M" size: the current (first) format resized.
    EXPECT_EQ(SetCaptureSize(m_camera.Get(), 1280, 1024), S_OK);
    ASSERT_EQ(config->GetFormat(&raw), S_OK);
    TypePtr chosen(raw);
    EXPECT_EQ(chosen->subtype, MEDIASUBTYPE_MJPG);
    EXPECT_EQ(Vih(chosen.get()).bmiHeader.biWidth, 1280);
}

TEST_F(CameraTest, PinsReportTheirCategoryAndTheStillPinHasNoFrameDuration) {
    m_camera = BindVirtualCamera();
    const GUID expected[] = {PIN_CATEGORY_CAPTURE, PIN_CATEGORY_STILL};
    for (int i = 0; i < 2; ++i) {
        ComPtr<IKsPropertySet> props;
        ASSERT_EQ(FindPin(m_camera.Get(), PINDIR_OUTPUT, i).As(props), S_OK);
        GUID category = GUID_NULL;
        DWORD returned = 0;
        ASSERT_EQ(props->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof(category), &returned),
                  S_OK);
        EXPECT_EQ(category, expected[i]);
        EXPECT_EQ(returned, sizeof(GUID));
        DWORD support = 0;
        EXPECT_EQ(props->QuerySupported(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, &support), S_OK);
        EXPECT_EQ(support, static_cast<DWORD>(KSPROPERTY_SUPPORT_GET));
        EXPECT_EQ(props->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_MEDIUM, nullptr, 0, &category, sizeof(category), &returned),
                  E_PROP_ID_UNSUPPORTED);
    }
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(FindPin(m_camera.Get(), PINDIR_OUTPUT, 1)->EnumMediaTypes(types.Put()), S_OK);
    AM_MEDIA_TYPE* raw = nullptr;
    int seen = 0;
    while (types->Next(1, &raw, nullptr) == S_OK) {
        TypePtr mt(raw);
        EXPECT_EQ(Vih(mt.get()).AvgTimePerFrame, 0);
        ++seen;
    }
    EXPECT_EQ(seen, 6);
}

TEST_F(CameraTest, BusyCameraRefusesToStartAndToConnect) {
    ASSERT_EQ(m_preview.Build(640, 480), S_OK);
    m_settings.Set(L"Busy", DWORD{1});
    // The filter's own state change fails as for a camera held by another program...
    EXPECT_EQ(m_preview.camera->Pause(), HRESULT_FROM_WIN32(ERROR_BUSY));
    EXPECT_EQ(m_preview.camera->Run(0), HRESULT_FROM_WIN32(ERROR_BUSY));
    FILTER_STATE state = State_Running;
    m_preview.camera->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
    m_preview.Release();
    // ...and, because Wine's IMediaControl::Run hides that failure behind a renderer's
    // S_FALSE, it also refuses the connection, so building the preview fails.
    EXPECT_TRUE(FAILED(m_preview.Build(640, 480)));
    m_preview.Release();
    m_settings.Set(L"Busy", DWORD{0});
    ASSERT_EQ(m_preview.Build(640, 480), S_OK);
    EXPECT_TRUE(SUCCEEDED(m_preview.Run()));
    EXPECT_EQ(m_preview.Stop(), S_OK);
}

TEST_F(CameraTest, UnpluggedWhileRunningSendsDeviceLost) {
    m_settings.Set(L"UnplugAfter", DWORD{5});
    ASSERT_EQ(m_preview.Build(320, 240), S_OK);
    ASSERT_TRUE(SUCCEEDED(m_preview.Run()));
    LONG_PTR device = 0;
    ASSERT_TRUE(WaitForGraphEvent(m_preview.graph.Get(), EC_DEVICE_LOST, 5000, &device));
    EXPECT_EQ(device, reinterpret_cast<LONG_PTR>(m_preview.camera.Get()));
    EXPECT_EQ(m_preview.Stop(), S_OK);
    // Still gone: this filter cannot be started again.
    EXPECT_EQ(m_preview.camera->Pause(), HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED));
}

TEST_F(CameraTest, CameraStateSurvivesRebinding) {
    ASSERT_EQ(camera::WriteControlByte(0x0400, 3), S_OK);
    ASSERT_EQ(camera::WriteStdProperty(24, 1), S_OK);
    ASSERT_EQ(camera::WriteStdProperty(2, 120), S_OK);
    EXPECT_EQ(camera::ReadControlByte(0x0400), 3u);
    EXPECT_EQ(camera::ReadStdProperty(24), 1u);
    EXPECT_EQ(camera::ReadStdProperty(2), 120u);
    EXPECT_EQ(camera::ReadStdProperty(0), 0u);  // never written
    EXPECT_EQ(camera::ReadControlByte(0x0401), 0u);
}

// The property sets the button utility uses, each through a fresh binding as it does.
class CameraControlsTest : public CameraTest {
protected:
    ComPtr<IKsPropertySet> Properties() {
        m_camera = BindVirtualCamera();
        ComPtr<IKsPropertySet> props;
        m_camera.As(props);
        return props;
    }
    ComPtr<camera::KsControlInterface> Control() {
        m_camera = BindVirtualCamera();
        ComPtr<camera::KsControlInterface> control;
        m_camera.QueryTo(camera::kIID_IKsControl, control.PutVoid());
        return control;
    }
    static void Block(BYTE (&block)[40], DWORD at24, DWORD at28) {
        memset(block, 0, sizeof(block));
        memcpy(block + 24, &at24, 4);
        memcpy(block + 28, &at28, 4);
    }
};

TEST_F(CameraControlsTest, StandardPropertyWrittenIsReadBackAfterRebinding) {
    BYTE block[40];
    Block(block, 1, 0);
    ASSERT_EQ(Properties()->Set(camera::kStandardPropertySet, 24, block, 40, block, 40), S_OK);
    Block(block, 0x55, 0);
    DWORD returned = 0;
    ComPtr<IKsPropertySet> props = Properties();
    ASSERT_EQ(props->Get(camera::kStandardPropertySet, 24, block, 40, block, 40, &returned), S_OK);
    EXPECT_EQ(block[24], 1);
    EXPECT_EQ(returned, 40u);
    ASSERT_EQ(props->Get(camera::kStandardPropertySet, 2, block, 40, block, 40, &returned), S_OK);
    EXPECT_EQ(block[24], 0);  // never written
    EXPECT_EQ(camera::ReadStdProperty(24), 1u);
    EXPECT_EQ(props->Get(camera::kStandardPropertySet, 24, block, 40, block, 39, &returned), E_INVALIDARG);
    EXPECT_EQ(props->Get(camera::kExtensionUnitSet, 24, block, 40, block, 40, &returned), E_PROP_SET_UNSUPPORTED);
}

TEST_F(CameraControlsTest, ExtensionUnitByteWrittenIsReadBackAfterRebinding) {
    struct {
        GUID set;
        ULONG id, flags, node, reserved;
    } request = {camera::kExtensionUnitSet, 1, 0x10000002, 1, 0};
    BYTE data[4] = {0x00, 0x04, 0x03, 0x00};  // address 0x0400, byte 3
    ULONG returned = 0;
    ASSERT_EQ(Control()->KsProperty(&request, sizeof(request), data, 4, &returned), S_OK);
    ComPtr<camera::KsControlInterface> control = Control();
    BYTE select[4] = {0x00, 0x04, 0x00, 0xFF};  // {0x0400, 0xFF00}: select for reading
    ASSERT_EQ(control->KsProperty(&request, sizeof(request), select, 4, &returned), S_OK);
    request.flags = 0x10000001;
    BYTE answer[4] = {};
    ASSERT_EQ(control->KsProperty(&request, sizeof(request), answer, 4, &returned), S_OK);
    EXPECT_EQ(answer[2], 3);
    EXPECT_EQ(camera::ReadControlByte(0x0400), 3u);
    request.node = 2;
    EXPECT_EQ(control->KsProperty(&request, sizeof(request), answer, 4, &returned), E_PROP_ID_UNSUPPORTED);
}

TEST_F(CameraControlsTest, FallbackSetWritesAndReadsTheSameByte) {
    BYTE block[40];
    Block(block, 0x0400, 2);
    ASSERT_EQ(Properties()->Set(camera::kByteFallbackSet, 1, block, 40, block, 40), S_OK);
    ComPtr<IKsPropertySet> props = Properties();
    Block(block, 0x0400, 0);
    ASSERT_EQ(props->Set(camera::kByteFallbackSet, 0, block, 40, block, 40), S_OK);
    Block(block, 0, 0);
    DWORD returned = 0;
    ASSERT_EQ(props->Get(camera::kByteFallbackSet, 0, block, 40, block, 40, &returned), S_OK);
    EXPECT_EQ(block[28], 2);
    // Both routes reach the same store.
    EXPECT_EQ(camera::ReadControlByte(0x0400), 2u);
}

// What each filter must expose, and what it must not (so that callers do not rely on it).
TEST_F(CameraTest, InterfaceTables) {
    m_camera = BindVirtualCamera();
    ComPtr<IBaseFilter> effect;
    ASSERT_EQ(::CoCreateInstance(CLSID_EffectFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, effect.PutVoid()),
              S_OK);
    struct Row {
        IUnknown* object;
        const IID* iid;
        bool present;
        const char* what;
    };
    ComPtr<IPin> capture = FindPin(m_camera.Get(), PINDIR_OUTPUT, 0);
    ComPtr<IPin> still = FindPin(m_camera.Get(), PINDIR_OUTPUT, 1);
    ComPtr<IPin> effectIn = FindPin(effect.Get(), PINDIR_INPUT, 0);
    ComPtr<IPin> effectOut = FindPin(effect.Get(), PINDIR_OUTPUT, 0);
    const Row rows[] = {
        {m_camera.Get(), &IID_IBaseFilter, true, "camera IBaseFilter"},
        {m_camera.Get(), &IID_IMediaFilter, true, "camera IMediaFilter"},
        {m_camera.Get(), &IID_IPersist, true, "camera IPersist"},
        {m_camera.Get(), &IID_IAMFilterMiscFlags, true, "camera IAMFilterMiscFlags"},
        {m_camera.Get(), &IID_IAMStreamConfig, false, "camera IAMStreamConfig (pin only)"},
        {m_camera.Get(), &IID_IEffectFilterSnapshot, false, "camera IEffectFilterSnapshot"},
        {m_camera.Get(), &IID_IKsPropertySet, true, "camera IKsPropertySet (driver property sets)"},
        {m_camera.Get(), &camera::kIID_IKsControl, true, "camera IKsControl (extension unit)"},
        {m_camera.Get(), &IID_ISpecifyPropertyPages, true, "camera ISpecifyPropertyPages"},
        {effect.Get(), &IID_ISpecifyPropertyPages, false, "effect ISpecifyPropertyPages (no page to show)"},
        {effect.Get(), &IID_IKsPropertySet, false, "effect IKsPropertySet"},
        {capture.Get(), &IID_IAMStreamConfig, true, "capture IAMStreamConfig"},
        {capture.Get(), &IID_IKsPropertySet, true, "capture IKsPropertySet"},
        {capture.Get(), &IID_IMemInputPin, false, "capture IMemInputPin"},
        {capture.Get(), &IID_IQualityControl, true, "capture IQualityControl (quality messages from downstream)"},
        {still.Get(), &IID_IKsPropertySet, true, "still IKsPropertySet"},
        {still.Get(), &IID_IAMStreamConfig, false, "still IAMStreamConfig"},
        {effect.Get(), &IID_IBaseFilter, true, "effect IBaseFilter"},
        {effect.Get(), &IID_IPersist, true, "effect IPersist"},
        {effect.Get(), &IID_IEffectFilterControl, true, "effect IEffectFilterControl"},
        {effect.Get(), &IID_IEffectFilterSnapshot, true, "effect IEffectFilterSnapshot"},
        {effect.Get(), &IID_IAMStreamConfig, false, "effect IAMStreamConfig"},
        {effect.Get(), &IID_IAMFilterMiscFlags, false, "effect IAMFilterMiscFlags (not a source)"},
        {effectIn.Get(), &IID_IMemInputPin, true, "effect input IMemInputPin"},
        {effectOut.Get(), &IID_IMemInputPin, false, "effect output IMemInputPin"},
        {effectOut.Get(), &IID_IQualityControl, true, "effect output IQualityControl (passed upstream)"},
        {effectOut.Get(), &IID_IAMStreamConfig, false, "effect output IAMStreamConfig"},
    };
    for (const Row& row : rows) {
        ComPtr<IUnknown> got;
        const HRESULT hr = row.object->QueryInterface(*row.iid, got.PutVoid());
        EXPECT_EQ(SUCCEEDED(hr), row.present) << row.what;
        EXPECT_EQ(static_cast<bool>(got), row.present) << row.what;
    }
    // Slot 6 of the control interface answers S_OK; the placeholders are not implemented.
    ComPtr<IEffectFilterControl> control;
    ASSERT_EQ(effect.As(control), S_OK);
    EXPECT_EQ(control->CloseModule(), S_OK);
    EXPECT_EQ(control->Reserved3(), E_NOTIMPL);
    ComPtr<IEffectFilterSnapshot> snapshot;
    ASSERT_EQ(effect.As(snapshot), S_OK);
    EXPECT_EQ(snapshot->GetFrameSize(nullptr, nullptr), E_POINTER);
}

}  // namespace
}  // namespace components_test
