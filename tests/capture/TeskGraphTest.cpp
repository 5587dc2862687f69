// TeskGraph against a fake graph manager: call orders, stored rectangle, failures part-way.
#include "DebugOutputCapture.h"
#include "GraphTestSupport.h"

#include <evcode.h>

#include <algorithm>

namespace {

using ::testing::ElementsAre;

class TeskGraphTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        graph = world.Make<FakeGraph>("graph");
        graph->log = &log;
    }
    CallLog log;
    FakeGraph* graph = nullptr;
    const HWND owner = reinterpret_cast<HWND>(0x1234);
};

TEST_F(TeskGraphTest, WithoutGraphRunAndSetOwnerFailButOwnerIsStored) {
    GraphUnderTest tesk;
    EXPECT_EQ(tesk.Run(), E_FAIL);
    EXPECT_EQ(tesk.SetOwner(owner), E_FAIL);
    EXPECT_EQ(tesk.Owner(), owner);
    EXPECT_EQ(tesk.SetNotifyMessage(WM_APP + 1), E_FAIL);
    EXPECT_EQ(tesk.SetNotifyMessage(0), S_OK);
    tesk.Teardown();
    tesk.Teardown();
}

TEST_F(TeskGraphTest, SetOwnerMakesTheVideoWindowAChildInOrder) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    log.clear();
    EXPECT_EQ(tesk.SetOwner(owner), S_OK);
    EXPECT_THAT(log, ElementsAre("graph.put_Owner(4660)", "graph.put_WindowStyle(1140850688)",
                                 "graph.put_MessageDrain(4660)", "graph.SetWindowForeground(0)"));
}

TEST_F(TeskGraphTest, SetOwnerStopsAtTheFirstFailureAndKeepsWhatWasApplied) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    graph->results["put_WindowStyle"] = E_ACCESSDENIED;
    log.clear();
    EXPECT_EQ(tesk.SetOwner(owner), E_ACCESSDENIED);
    EXPECT_THAT(log, ElementsAre("graph.put_Owner(4660)", "graph.put_WindowStyle(1140850688)"));
    graph->hasVideoWindow = false;
    EXPECT_EQ(tesk.SetOwner(owner), E_FAIL);
    // The interfaces queried on the way were released: checked at the end of the test.
}

TEST_F(TeskGraphTest, RectangleStoredWithoutGraphIsAppliedBySetOwner) {
    GraphUnderTest tesk;
    EXPECT_EQ(tesk.SetWindowPosition(10, 20, 320, 240), S_OK);
    tesk.UseGraph(graph);
    log.clear();
    EXPECT_EQ(tesk.SetOwner(owner), S_OK);
    EXPECT_THAT(log, ElementsAre("graph.put_Owner(4660)", "graph.put_WindowStyle(1140850688)",
                                 "graph.put_MessageDrain(4660)", "graph.SetWindowForeground(0)",
                                 "graph.SetWindowPosition(10,20,320,240)", "graph.put_Visible(-1)",
                                 "graph.put_AutoShow(-1)"));
    // The stored rectangle survives Teardown and is applied again to the next graph.
    tesk.Teardown();
    tesk.UseGraph(graph);
    graph->results["put_Visible"] = E_OUTOFMEMORY;
    log.clear();
    EXPECT_EQ(tesk.SetOwner(owner), E_OUTOFMEMORY);
    EXPECT_EQ(log.back(), "graph.put_Visible(-1)");
}

TEST_F(TeskGraphTest, RectangleGivenWithGraphIsAppliedAtOnceAndNotStored) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    log.clear();
    EXPECT_EQ(tesk.SetWindowPosition(5, 6, 7, 8), S_OK);
    EXPECT_THAT(log, ElementsAre("graph.SetWindowPosition(5,6,7,8)", "graph.put_Visible(-1)", "graph.put_AutoShow(-1)"));
    tesk.Teardown();
    tesk.UseGraph(graph);
    log.clear();
    EXPECT_EQ(tesk.SetOwner(owner), S_OK);
    EXPECT_EQ(log.size(), 4u);
    EXPECT_EQ(log.back(), "graph.SetWindowForeground(0)");
}

TEST_F(TeskGraphTest, StoredRectangleOfZeroSizeIsNeverApplied) {
    GraphUnderTest tesk;
    EXPECT_EQ(tesk.SetWindowPosition(10, 20, 320, 0), S_OK);
    tesk.UseGraph(graph);
    log.clear();
    EXPECT_EQ(tesk.SetOwner(owner), S_OK);
    EXPECT_EQ(log.size(), 4u);
    graph->hasVideoWindow = false;
    EXPECT_EQ(tesk.SetWindowPosition(1, 1, 1, 1), E_FAIL);
}

TEST_F(TeskGraphTest, RunReturnsTheGraphsResult) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    graph->results["Run"] = S_FALSE;
    EXPECT_EQ(tesk.Run(), S_FALSE);
    graph->hasMediaControl = false;
    EXPECT_EQ(tesk.Run(), E_FAIL);
}

TEST_F(TeskGraphTest, NotificationRoutingAndTeardownOrder) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    tesk.SetOwner(owner);
    log.clear();
    EXPECT_EQ(tesk.SetNotifyMessage(0x8001), S_OK);
    EXPECT_EQ(tesk.SetNotifyMessage(0x8002), S_OK);
    EXPECT_THAT(log, ElementsAre("graph.SetNotifyWindow(4660,32769,0)", "graph.SetNotifyWindow(0,0,0)",
                                 "graph.SetNotifyWindow(4660,32770,0)"));
    log.clear();
    tesk.Teardown();
    EXPECT_THAT(log, ElementsAre("graph.put_WindowState(0)", "graph.put_Owner(0)", "graph.put_MessageDrain(0)",
                                 "graph.SetNotifyWindow(0,0,0)"));
    EXPECT_EQ(tesk.Graph(), nullptr);
    EXPECT_EQ(graph->References(), 1u);
}

TEST_F(TeskGraphTest, NotificationFailuresAreReturned) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    graph->results["SetNotifyWindow"] = E_INVALIDARG;
    EXPECT_EQ(tesk.SetNotifyMessage(0x8001), E_INVALIDARG);
    graph->hasMediaEvents = false;
    EXPECT_EQ(tesk.SetNotifyMessage(0x8001), E_NOINTERFACE);
}

TEST_F(TeskGraphTest, HandleEventsDrainsFreesThenDispatchesInArrivalOrder) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    ASSERT_EQ(tesk.SetNotifyMessage(0x8001), S_OK);
    graph->queue = {{EC_COMPLETE, 7, 8}, {0x0E, 1, 2}, {EC_ERRORABORT, E_OUTOFMEMORY, 0},
                    {EC_USERABORT, 0, 0}, {EC_DEVICE_LOST, 0x5000, 0}, {EC_VMR_RENDERDEVICE_SET, 2, 0}};
    RecordingHandler handler;
    handler.log = &log;
    log.clear();
    tesk.HandleEvents(&handler);
    EXPECT_THAT(log, ElementsAre("graph.GetEvent(1)", "graph.FreeEventParams(1,7,8)", "graph.GetEvent(14)",
                                 "graph.FreeEventParams(14,1,2)", "graph.GetEvent(3)",
                                 "graph.FreeEventParams(3,-2147024882,0)", "graph.GetEvent(2)",
                                 "graph.FreeEventParams(2,0,0)", "graph.GetEvent(31)",
                                 "graph.FreeEventParams(31,20480,0)", "graph.GetEvent(83)",
                                 "graph.FreeEventParams(83,2,0)", "handler.OnGraphComplete(7)",
                                 "handler.OnErrorAbort(-2147024882)", "handler.OnUserAbort()",
                                 "handler.OnDeviceLost(20480,0)", "handler.OnRenderDeviceSet(2)"));
}

// Every event read, reported or not, is written for a debugger as it is read: before the
// first handler call.
TEST_F(TeskGraphTest, EachEventIsWrittenForTheDebuggerBeforeDispatch) {
    struct Case {
        FakeGraph::Event event;
        const char* line;
        const char* dispatched;  // null: not reported
    };
    const Case cases[] = {
        {{EC_COMPLETE, 7, 8}, "event: 1  param1: 7 param2: 8\n", "handler.OnGraphComplete(7)"},
        {{0x0E, 1, 2}, "event: 14  param1: 1 param2: 2\n", nullptr},
        {{EC_ERRORABORT, E_OUTOFMEMORY, 0}, "event: 3  param1: -2147024882 param2: 0\n",
         "handler.OnErrorAbort(-2147024882)"},
        {{EC_DEVICE_LOST, 0x5000, 1}, "event: 31  param1: 20480 param2: 1\n", "handler.OnDeviceLost(20480,1)"},
    };
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    ASSERT_EQ(tesk.SetNotifyMessage(0x8001), S_OK);
    CallLog expected;
    for (const Case& c : cases) {
        graph->queue.push_back(c.event);
        expected.push_back("graph.GetEvent(" + std::to_string(c.event.code) + ")");
        expected.push_back(std::string("debug.") + c.line);
    }
    for (const Case& c : cases)
        if (c.dispatched) expected.push_back(c.dispatched);
    RecordingHandler handler;
    handler.log = &log;
    log.clear();
    {
        DebugOutputCapture capture(log);
        tesk.HandleEvents(&handler);
    }
    log.erase(std::remove_if(log.begin(), log.end(),
                             [](const std::string& entry) { return entry.rfind("graph.FreeEventParams", 0) == 0; }),
              log.end());
    EXPECT_EQ(log, expected);
}

// A handler that tears the graph down from inside dispatch still gets every event.
class TearingHandler : public RecordingHandler {
public:
    TeskGraph* graph = nullptr;
    void OnUserAbort() override {
        RecordingHandler::OnUserAbort();
        graph->Teardown();
    }
};

TEST_F(TeskGraphTest, HandlerMayTearTheGraphDownDuringDispatch) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    ASSERT_EQ(tesk.SetNotifyMessage(0x8001), S_OK);
    graph->queue = {{EC_USERABORT, 0, 0}, {EC_COMPLETE, 1, 0}};
    TearingHandler handler;
    handler.graph = &tesk;
    tesk.HandleEvents(&handler);
    EXPECT_THAT(handler.calls, ElementsAre("OnUserAbort()", "OnGraphComplete(1)"));
    EXPECT_EQ(tesk.Graph(), nullptr);
}

TEST_F(TeskGraphTest, NullHandlerOrNotificationOffLeavesEventsQueued) {
    GraphUnderTest tesk;
    tesk.UseGraph(graph);
    graph->queue = {{EC_COMPLETE, 0, 0}};
    RecordingHandler handler;
    tesk.HandleEvents(&handler);  // notification not switched on
    ASSERT_EQ(tesk.SetNotifyMessage(0x8001), S_OK);
    tesk.HandleEvents(nullptr);
    EXPECT_EQ(graph->getEventCalls, 0);
    EXPECT_EQ(graph->queue.size(), 1u);
    tesk.HandleEvents(&handler);
    EXPECT_THAT(handler.calls, ElementsAre("OnGraphComplete(0)"));
}

}  // namespace
