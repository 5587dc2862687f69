// TeskGraph on the platform's own filter graph manager: event routing through the owner
// window's queue, and the video window of a real renderer.
#include "GraphTestSupport.h"

#include <evcode.h>

namespace {

using ::testing::ElementsAre;

constexpr UINT kNotifyMessage = WM_APP + 1;

class RealGraphTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterGraph,
                                   manager.PutVoid()),
                  S_OK);
        ASSERT_NE(window.Get(), nullptr);
    }
    void TearDown() override {
        manager.Reset();
        ComTest::TearDown();
    }
    // Queues an event as a filter would.
    void Notify(long code, LONG_PTR param1, LONG_PTR param2) {
        ComPtr<IMediaEventSink> sink;
        ASSERT_EQ(manager.QueryTo(IID_IMediaEventSink, sink.PutVoid()), S_OK);
        ASSERT_EQ(sink->Notify(code, param1, param2), S_OK);
    }
    ComPtr<IFilterGraph> manager;
    TestWindow window;
};

TEST_F(RealGraphTest, EventsQueuedBeforeOneNotificationAreAllDeliveredInOrder) {
    GraphUnderTest tesk;
    tesk.UseGraph(manager.Get());
    tesk.SetOwner(window.Get());  // fails without a renderer, but the owner is kept
    ASSERT_EQ(tesk.SetNotifyMessage(kNotifyMessage), S_OK);

    Notify(EC_ERRORABORT, E_OUTOFMEMORY, 0);
    Notify(0x0E, 5, 6);
    Notify(EC_DEVICE_LOST, 0, 1);
    Notify(EC_USERABORT, 0, 0);
    Notify(EC_VMR_RENDERDEVICE_SET, 2, 0);
    ASSERT_TRUE(window.WaitForMessage(kNotifyMessage, 2000));
    RecordingHandler handler;
    tesk.HandleEvents(&handler);
    EXPECT_THAT(handler.calls, ElementsAre("OnErrorAbort(-2147024882)", "OnDeviceLost(0,1)", "OnUserAbort()",
                                           "OnRenderDeviceSet(2)"));
    // The queue is empty now: another call delivers nothing.
    window.CountMessages(kNotifyMessage);
    RecordingHandler again;
    tesk.HandleEvents(&again);
    EXPECT_TRUE(again.calls.empty());
}

TEST_F(RealGraphTest, NotificationOffLeavesEventsForLater) {
    GraphUnderTest tesk;
    tesk.UseGraph(manager.Get());
    tesk.SetOwner(window.Get());
    Notify(EC_USERABORT, 0, 0);
    RecordingHandler handler;
    tesk.HandleEvents(&handler);
    EXPECT_TRUE(handler.calls.empty());
    ASSERT_EQ(tesk.SetNotifyMessage(kNotifyMessage), S_OK);
    tesk.HandleEvents(&handler);
    EXPECT_THAT(handler.calls, ElementsAre("OnUserAbort()"));
    // Switched off again: nothing more is posted to the window.
    ASSERT_EQ(tesk.SetNotifyMessage(0), S_OK);
    window.CountMessages(kNotifyMessage);
    Notify(EC_USERABORT, 0, 0);
    EXPECT_FALSE(window.WaitForMessage(kNotifyMessage, 200));
}

// Wine's renderer refuses SetWindowForeground until its input is connected: SetOwner stops
// there, and what it applied before stays applied.
TEST_F(RealGraphTest, VideoWindowOfAnUnconnectedRendererIsOwnedPlacedAndReleased) {
    ComPtr<IBaseFilter> renderer;
    ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               renderer.PutVoid()),
              S_OK);
    ASSERT_EQ(manager->AddFilter(renderer.Get(), L"renderer"), S_OK);
    ComPtr<IVideoWindow> video;
    ASSERT_EQ(renderer.QueryTo(IID_IVideoWindow, video.PutVoid()), S_OK);

    GraphUnderTest tesk;
    tesk.UseGraph(manager.Get());
    EXPECT_EQ(tesk.SetOwner(window.Get()), VFW_E_NOT_CONNECTED);
    OAHWND owner = 0;
    EXPECT_EQ(video->get_Owner(&owner), S_OK);
    EXPECT_EQ(owner, reinterpret_cast<OAHWND>(window.Get()));
    long style = 0;
    EXPECT_EQ(video->get_WindowStyle(&style), S_OK);
    EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS), WS_CHILD | WS_CLIPSIBLINGS);

    EXPECT_EQ(tesk.SetWindowPosition(8, 16, 320, 240), S_OK);
    // Read back from the window itself, in the owner's client coordinates.
    HWND child = GetWindow(window.Get(), GW_CHILD);
    ASSERT_NE(child, nullptr);
    RECT placed{};
    GetWindowRect(child, &placed);
    MapWindowPoints(HWND_DESKTOP, window.Get(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 8);
    EXPECT_EQ(placed.top, 16);
    EXPECT_EQ(placed.right - placed.left, 320);
    EXPECT_EQ(placed.bottom - placed.top, 240);
    // The owner stays hidden (showing it costs seconds without a window manager).
    EXPECT_NE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE, 0);

    tesk.Teardown();
    EXPECT_EQ(video->get_Owner(&owner), S_OK);
    EXPECT_EQ(owner, 0);
    EXPECT_EQ(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE, 0);
    manager->RemoveFilter(renderer.Get());
}

}  // namespace
