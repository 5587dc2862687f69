// The kit's connection and state contracts: a failed step leaves both pins as they were,
// the allocator falls back to the output pin's own, and a failing state hook keeps the
// state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vfwmsgs.h>

#include "tests/capture/DebugOutputCapture.h"
#include "tests/components/filterkit/KitTest.h"
#include "tests/components/filterkit/ScriptedFilters.h"

namespace components_test {
namespace {

class KitConnectionTest : public KitTest {
protected:
    void SetUp() override {
        m_source.Attach(new ScriptedSource());
        m_sink.Attach(new ScriptedSink());
        m_out = ComPtr<IPin>(&m_source->Output());
        ASSERT_EQ(m_sink->FindPin(L"In", m_in.Put()), S_OK);
    }
    bool Unconnected(IPin* pin) {
        ComPtr<IPin> peer;
        AM_MEDIA_TYPE mt = {};
        return pin->ConnectedTo(peer.Put()) == VFW_E_NOT_CONNECTED && !peer &&
               pin->ConnectionMediaType(&mt) == VFW_E_NOT_CONNECTED;
    }
    ComPtr<ScriptedSource> m_source;
    ComPtr<ScriptedSink> m_sink;
    ComPtr<IPin> m_out;
    ComPtr<IPin> m_in;
};

TEST_F(KitConnectionTest, AFailedStepLeavesBothPinsUnconnectedAndReadyForTheNextTry) {
    struct Case {
        const char* step;
        HRESULT receiveConnection;
        std::vector<HRESULT> notifyAllocator;
        int disconnectsOfTheSink;  // the sink was connected before the failing step
    };
    const Case cases[] = {
        {"ReceiveConnection", VFW_E_TYPE_NOT_ACCEPTED, {}, 0},
        {"NotifyAllocator", S_OK, {E_FAIL, E_FAIL}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        m_sink->receiveConnection = c.receiveConnection;
        m_sink->notifyAllocator = c.notifyAllocator;
        m_sink->notified.clear();  // the answers count from this case's first call
        m_sink->disconnects = 0;
        const filterkit::MediaType type = ScriptedVideoType(MEDIASUBTYPE_RGB32);
        EXPECT_TRUE(FAILED(m_out->Connect(m_in.Get(), &type.Get())));
        EXPECT_TRUE(Unconnected(m_out.Get()));
        EXPECT_TRUE(Unconnected(m_in.Get()));
        EXPECT_EQ(m_source->Output().Allocator(), nullptr);
        EXPECT_EQ(m_sink->disconnects, c.disconnectsOfTheSink);

        m_sink->receiveConnection = S_OK;
        m_sink->notifyAllocator.clear();
        ASSERT_EQ(m_out->Connect(m_in.Get(), nullptr), S_OK);
        ASSERT_EQ(m_out->Disconnect(), S_OK);
        ASSERT_EQ(m_in->Disconnect(), S_OK);
    }
}

TEST_F(KitConnectionTest, TheReceiversAllocatorIsUsedOnlyWhenItTakesIt) {
    struct Case {
        const char* name;
        bool offered;
        std::vector<HRESULT> notifyAllocator;
        bool receiversAllocatorUsed;
        size_t notifications;
    };
    const Case cases[] = {
        {"the kit's answer taken", false, {}, false, 1},
        {"offered and taken", true, {}, true, 1},
        {"offered, then refused in NotifyAllocator", true, {VFW_E_BADALIGN}, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sink->offerAllocator = c.offered;
        m_sink->notifyAllocator = c.notifyAllocator;
        m_sink->notified.clear();
        ASSERT_EQ(m_out->Connect(m_in.Get(), nullptr), S_OK);
        IMemAllocator* chosen = m_source->Output().Allocator();
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(chosen == m_sink->offered.Get(), c.receiversAllocatorUsed);
        ASSERT_EQ(m_sink->notified.size(), c.notifications);
        EXPECT_EQ(m_sink->notified.back(), chosen);
        ALLOCATOR_PROPERTIES props = {};
        ASSERT_EQ(chosen->GetProperties(&props), S_OK);
        EXPECT_EQ(props.cBuffers, 2);
        EXPECT_EQ(props.cbBuffer, kScriptedBufferBytes);
        ASSERT_EQ(m_out->Disconnect(), S_OK);
        ASSERT_EQ(m_in->Disconnect(), S_OK);
        m_sink->offered.Reset();
    }
}

// As the platform's base input pin: a memory allocator of its own, the same at every call,
// until one is notified.
TEST_F(KitConnectionTest, GetAllocatorAnswersItsOwnUntilOneIsNotified) {
    ComPtr<IMemInputPin> input;
    ASSERT_EQ(m_in.QueryTo(IID_IMemInputPin, input.PutVoid()), S_OK);
    ComPtr<IMemAllocator> own, again, notified;
    ASSERT_EQ(input->GetAllocator(own.Put()), S_OK);
    ASSERT_EQ(input->GetAllocator(again.Put()), S_OK);
    EXPECT_TRUE(own && again.Get() == own.Get());
    ASSERT_EQ(::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                 notified.PutVoid()),
              S_OK);
    ASSERT_EQ(input->NotifyAllocator(notified.Get(), FALSE), S_OK);
    ASSERT_EQ(input->GetAllocator(again.Put()), S_OK);
    EXPECT_EQ(again.Get(), notified.Get());
}

TEST_F(KitConnectionTest, ASecondConnectionIsRefusedAndTheFirstStays) {
    ASSERT_EQ(m_out->Connect(m_in.Get(), nullptr), S_OK);
    ComPtr<ScriptedSource> other;
    other.Attach(new ScriptedSource());
    const filterkit::MediaType type = ScriptedVideoType(MEDIASUBTYPE_RGB32);
    EXPECT_EQ(m_out->Connect(m_in.Get(), nullptr), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(m_in->ReceiveConnection(&other->Output(), &type.Get()), VFW_E_ALREADY_CONNECTED);
    ComPtr<IPin> peer;
    ASSERT_EQ(m_in->ConnectedTo(peer.Put()), S_OK);
    EXPECT_EQ(peer.Get(), m_out.Get());
    EXPECT_EQ(m_out->Disconnect(), S_OK);
    EXPECT_EQ(m_in->Disconnect(), S_OK);
}

TEST_F(KitConnectionTest, RefusedTypesConnectNothing) {
    const filterkit::MediaType yuy2 = ScriptedVideoType(MEDIASUBTYPE_YUY2);
    struct Case {
        const char* name;
        GUID sinkAccepts;
        const AM_MEDIA_TYPE* asked;
        HRESULT expected;
        int receiveConnections;
    };
    const Case cases[] = {
        {"a full type the output refuses", MEDIASUBTYPE_RGB32, &yuy2.Get(), VFW_E_TYPE_NOT_ACCEPTED, 0},
        {"no type both take", MEDIASUBTYPE_YUY2, nullptr, VFW_E_NO_ACCEPTABLE_TYPES, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sink->accepted = c.sinkAccepts;
        m_sink->receiveConnections = 0;
        EXPECT_EQ(m_out->Connect(m_in.Get(), c.asked), c.expected);
        EXPECT_EQ(m_sink->receiveConnections, c.receiveConnections);
        EXPECT_TRUE(Unconnected(m_out.Get()));
        EXPECT_TRUE(Unconnected(m_in.Get()));
    }
    m_sink->accepted = MEDIASUBTYPE_RGB32;
    EXPECT_EQ(m_in->QueryAccept(&yuy2.Get()), S_FALSE);
    EXPECT_EQ(m_in->ReceiveConnection(m_out.Get(), &yuy2.Get()), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_TRUE(Unconnected(m_in.Get()));
}

TEST_F(KitConnectionTest, AFailingStateHookKeepsTheState) {
    struct Case {
        const char* name;
        FILTER_STATE from;
        HRESULT ScriptedSource::*hook;
        HRESULT (*change)(IBaseFilter*);
        int stopsDuringTheChange;  // OnStopStreaming undoing a start
    };
    const Case cases[] = {
        {"Pause from Stopped", State_Stopped, &ScriptedSource::startStreaming, [](IBaseFilter* f) { return f->Pause(); }, 0},
        {"Run from Stopped", State_Stopped, &ScriptedSource::run, [](IBaseFilter* f) { return f->Run(0); }, 1},
        {"Run from Paused", State_Paused, &ScriptedSource::run, [](IBaseFilter* f) { return f->Run(0); }, 0},
        {"Pause from Running", State_Running, &ScriptedSource::pauseFromRun, [](IBaseFilter* f) { return f->Pause(); }, 0},
        {"Stop from Running", State_Running, &ScriptedSource::pauseFromRun, [](IBaseFilter* f) { return f->Stop(); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.from != State_Stopped) {
            ASSERT_EQ(m_source->Pause(), S_OK);
        }
        if (c.from == State_Running) {
            ASSERT_EQ(m_source->Run(0), S_OK);
        }
        const int stopsBefore = m_source->stops;
        m_source.Get()->*c.hook = E_OUTOFMEMORY;
        EXPECT_EQ(c.change(m_source.Get()), E_OUTOFMEMORY);
        FILTER_STATE state = State_Stopped;
        m_source->GetState(0, &state);
        EXPECT_EQ(state, c.from);
        EXPECT_EQ(m_source->stops - stopsBefore, c.stopsDuringTheChange);
        m_source.Get()->*c.hook = S_OK;
        ASSERT_EQ(m_source->Stop(), S_OK);
    }
}

// The kit's unexpected calls and missing interfaces leave a trace line; a missing
// interface once, however often it is asked for.
TEST_F(KitConnectionTest, UnexpectedCallsAndMissingInterfacesAreTraced) {
    // {5D6A0C51-7E2B-4F38-9A4C-1B2D3E4F5A6B}: an interface nobody else asks for.
    constexpr IID kUnknownInterface = {0x5d6a0c51, 0x7e2b, 0x4f38, {0x9a, 0x4c, 0x1b, 0x2d, 0x3e, 0x4f, 0x5a, 0x6b}};
    std::vector<std::string> lines;
    m_source->JoinFilterGraph(nullptr, L"Source");  // the sink stays in no graph: named by its class
    {
        DebugOutputCapture capture(lines);
        EXPECT_EQ(m_out->EndOfStream(), E_UNEXPECTED);
        for (int i = 0; i < 3; ++i) {
            ComPtr<IUnknown> none;
            EXPECT_EQ(m_in->QueryInterface(kUnknownInterface, none.PutVoid()), E_NOINTERFACE);
        }
    }
    EXPECT_THAT(lines, ::testing::ElementsAre(
                           "debug.filter kit: EndOfStream on pin \"Out\" of filter \"Source\" failed (hr 0x8000FFFF)\n",
                           "debug.filter kit: QueryInterface {5D6A0C51-7E2B-4F38-9A4C-1B2D3E4F5A6B} on pin \"In\" of "
                           "filter {00000000-0000-0000-0000-000000000000} failed (hr 0x80004002)\n"));
}

}  // namespace
}  // namespace components_test
