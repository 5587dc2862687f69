// The engine with the virtual camera, the effect filter and the platform's graph manager and
// renderer: the paths a real camera takes.
#include "GraphTestSupport.h"
#include "VirtualCameraSupport.h"

#include <algorithm>
#include <cstdlib>

#include "capture/TeskLib.h"
#include "testworld/camera/TestPicture.h"
#include "tests/components/support/ComponentWorld.h"

namespace {

using components_test::CameraSettings;
using components_test::DecompressorDll;
using components_test::EffectDll;

const bool kEnvironment = (components_test::InstallComponentEnvironment(), true);
constexpr UINT kNotifyMessage = WM_APP + 1;

class VirtualCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kEnvironment);
        ASSERT_NE(window.Get(), nullptr);
        ASSERT_EQ(lib.EnumerateDevices(), S_OK);
        cameraIndex = VirtualCameraIndex();
        ASSERT_GE(cameraIndex, 0);
        lib.m_notifyMessage = kNotifyMessage;
        lib.SetOwnerWindow(window.Get());
        ASSERT_EQ(lib.SelectVideoDevice(cameraIndex), S_OK);
    }
    void TearDown() override {
        lib.SelectVideoDevice(-1);
        lib.SelectAudioDevice(-1);
        lib.CloseAll();
        EXPECT_EQ(EffectDll().LiveObjects(), 0);
    }
    CameraSettings settings;  // all defaults
    TestWindow window;
    TeskLib lib;
    int cameraIndex = -1;
};

TEST_F(VirtualCameraTest, SizesAreAnsweredFromTheCapabilities) {
    EXPECT_EQ(lib.IsVideoSizeSupported(320, 240), S_OK);
    EXPECT_EQ(lib.IsVideoSizeSupported(640, 480), S_OK);
    EXPECT_EQ(lib.IsVideoSizeSupported(1280, 1024), S_OK);
    EXPECT_EQ(lib.IsVideoSizeSupported(800, 600), S_FALSE);
}

TEST_F(VirtualCameraTest, PreviewRunsPlacedWhereAskedBeforeTheBuildAndDeliversSnapshots) {
    lib.SetVideoSize(640, 480);
    EXPECT_EQ(lib.SetVideoRect(4, 8, 320, 240), S_OK);
    SignallingCallback callback;
    const HRESULT hr = lib.StartPreview(&callback);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;

    HWND video = GetWindow(window.Get(), GW_CHILD);
    ASSERT_NE(video, nullptr);
    RECT placed{};
    GetWindowRect(video, &placed);
    MapWindowPoints(HWND_DESKTOP, window.Get(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 4);
    EXPECT_EQ(placed.top, 8);
    EXPECT_EQ(placed.right - placed.left, 320);
    EXPECT_EQ(placed.bottom - placed.top, 240);
    EXPECT_NE(GetWindowLongW(video, GWL_STYLE) & WS_CHILD, 0);

    EXPECT_EQ(lib.TakeSnapshot(), S_OK);
    ASSERT_TRUE(callback.Wait(5000));
    EXPECT_EQ(callback.width, 640);
    EXPECT_EQ(callback.height, 480);
    ASSERT_EQ(callback.pixels.size(), 640u * 480u * 4u);
    EXPECT_TRUE(std::any_of(callback.pixels.begin(), callback.pixels.end(), [](BYTE b) { return b != 0; }));
}

TEST_F(VirtualCameraTest, StartPreviewTwiceLeavesOneGraph) {
    lib.SetVideoSize(320, 240);
    SignallingCallback callback;
    ASSERT_TRUE(SUCCEEDED(lib.StartPreview(&callback)));
    lib.SetVideoSize(640, 480);
    ASSERT_TRUE(SUCCEEDED(lib.StartPreview(&callback)));
    EXPECT_EQ(EffectDll().LiveObjects(), 1);
    EXPECT_EQ(lib.TakeSnapshot(), S_OK);
    ASSERT_TRUE(callback.Wait(5000));
    EXPECT_EQ(callback.width, 640);
    lib.CloseAll();
    EXPECT_EQ(EffectDll().LiveObjects(), 0);
    EXPECT_EQ(lib.TakeSnapshot(), E_FAIL);
}

TEST_F(VirtualCameraTest, UnpluggedCameraReportsDeviceLost) {
    settings.Set(L"UnplugAfter", 3);
    lib.SetVideoSize(320, 240);
    ASSERT_TRUE(SUCCEEDED(lib.StartPreview(nullptr)));
    RecordingHandler handler;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (handler.calls.empty() && GetTickCount64() < deadline)
        if (window.WaitForMessage(kNotifyMessage, 500)) lib.HandleEvents(&handler);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(handler.calls[0].rfind("OnDeviceLost(", 0), 0u) << handler.calls[0];
    EXPECT_EQ(handler.calls[0].substr(handler.calls[0].size() - 3), ",0)");
}

// The camera stops sending frames once removed, while Wine's graph goes on reporting it runs:
// a photo must not wait for a frame after the event was handled. Plugged in again (bound
// anew) and started, it delivers snapshots again.
TEST_F(VirtualCameraTest, UnpluggedCameraTakesNoSnapshotUntilItIsStartedAgain) {
    settings.Set(L"UnplugAfter", 3);
    lib.SetVideoSize(320, 240);
    SignallingCallback callback;
    ASSERT_TRUE(SUCCEEDED(lib.StartPreview(&callback)));
    EXPECT_TRUE(lib.CanTakeSnapshot());
    RecordingHandler handler;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (handler.calls.empty() && GetTickCount64() < deadline)
        if (window.WaitForMessage(kNotifyMessage, 500)) lib.HandleEvents(&handler);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_FALSE(lib.CanTakeSnapshot());

    settings.Set(L"UnplugAfter", DWORD{0});
    ASSERT_EQ(lib.SelectVideoDevice(cameraIndex), S_OK);
    ASSERT_TRUE(SUCCEEDED(lib.StartPreview(&callback)));
    EXPECT_TRUE(lib.CanTakeSnapshot());
    EXPECT_EQ(lib.TakeSnapshot(), S_OK);
    EXPECT_TRUE(callback.Wait(5000));
}

// An MJPEG camera: the decompressor joins the graph between the camera and the effect
// filter, at the size only MJPEG carries and at a size that also comes uncompressed, and
// the snapshot is the test picture of the frame its counter names.
TEST_F(VirtualCameraTest, AnMjpegCameraPreviewsThroughTheDecompressor) {
    ASSERT_EQ(DecompressorDll().Register(), S_OK);
    settings.Set(L"Formats", L"MJPG,YUY2");
    settings.Set(L"RawSizeLimit", L"640x480");
    ASSERT_EQ(lib.SelectVideoDevice(cameraIndex), S_OK);  // the camera reads its offer anew
    for (const SIZE size : {SIZE{1280, 1024}, SIZE{640, 480}}) {
        SCOPED_TRACE(size.cx);
        lib.SetVideoSize(size.cx, size.cy);
        SignallingCallback callback;
        ASSERT_TRUE(SUCCEEDED(lib.StartPreview(&callback)));
        EXPECT_EQ(DecompressorDll().LiveObjects(), 1);
        ASSERT_EQ(lib.TakeSnapshot(), S_OK);
        ASSERT_TRUE(callback.Wait(5000));
        ASSERT_EQ(callback.width, size.cx);
        ASSERT_EQ(callback.height, size.cy);
        uint32_t frame = 0;
        ASSERT_TRUE(camera::ReadFrameCounter(callback.pixels.data(), size.cx, size.cy, frame));
        filterkit::FrameLayout layout;
        ASSERT_TRUE(filterkit::MakeFrameLayout(filterkit::PixelFormat::Rgb32, size.cx, size.cy, layout));
        std::vector<BYTE> expected(filterkit::FrameBytes(layout));
        ASSERT_TRUE(camera::RenderTestPicture(layout, frame, expected.data(), expected.size()));
        double difference = 0;
        for (size_t i = 0; i < expected.size(); ++i) difference += std::abs(int(expected[i]) - int(callback.pixels[i]));
        EXPECT_LT(difference / expected.size(), 3.0) << "mean difference from frame " << frame;
        lib.CloseAll();
        EXPECT_EQ(DecompressorDll().LiveObjects(), 0);
    }
    EXPECT_EQ(DecompressorDll().Unregister(), S_OK);
}

}  // namespace
