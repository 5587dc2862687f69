// The filter kit on its own: media type ownership, enumerator rules, pin and state rules.
#include <gtest/gtest.h>

#include <dshow.h>
#include <dvdmedia.h>

#include <atomic>
#include <cstring>

#include "components/filterkit/Enumerators.h"
#include "components/filterkit/MediaType.h"
#include "framework/ComPtr.h"
#include "framework/Handles.h"
#include "tests/components/filterkit/KitTest.h"
#include "tests/components/graph/CountingSink.h"

namespace components_test {
namespace {

using filterkit::MediaType;

// An IUnknown that counts its references and fails the test on any QueryInterface.
class CountedUnknown final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        ADD_FAILURE() << "unexpected QueryInterface";
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    std::atomic<ULONG> refs{1};
};

MediaType VideoType(LONG width) {
    MediaType mt;
    mt.Raw()->majortype = MEDIATYPE_Video;
    mt.Raw()->subtype = MEDIASUBTYPE_RGB32;
    VIDEOINFOHEADER vih = {};
    vih.bmiHeader.biWidth = width;
    EXPECT_TRUE(mt.SetFormat(FORMAT_VideoInfo, &vih, sizeof(vih)));
    return mt;
}

class MediaTypeTest : public KitTest {};

TEST_F(MediaTypeTest, CopiesOwnTheirFormatBlockAndCountPUnk) {
    CountedUnknown unk;
    {
        MediaType original = VideoType(320);
        original.Raw()->pUnk = &unk;
        unk.AddRef();  // the reference `original` owns
        MediaType copy(original);
        EXPECT_EQ(unk.refs, 3u);
        ASSERT_NE(copy.Get().pbFormat, original.Get().pbFormat);
        reinterpret_cast<VIDEOINFOHEADER*>(original.Raw()->pbFormat)->bmiHeader.biWidth = 640;
        EXPECT_EQ(filterkit::VideoInfo(copy.Get())->bmiHeader.biWidth, 320);
        MediaType moved(std::move(copy));
        EXPECT_EQ(unk.refs, 3u);
        EXPECT_EQ(copy.Get().pbFormat, nullptr);
        AM_MEDIA_TYPE* heap = moved.NewCopy();
        ASSERT_TRUE(heap);
        EXPECT_EQ(unk.refs, 4u);
        filterkit::DeleteMediaType(heap);
        EXPECT_EQ(unk.refs, 3u);
    }
    EXPECT_EQ(unk.refs, 1u);
}

TEST_F(MediaTypeTest, PartialTypesMatchOnTheirNonNullFields) {
    const MediaType mt = VideoType(320);
    AM_MEDIA_TYPE partial = {};
    EXPECT_TRUE(mt.Matches(partial));
    partial.majortype = MEDIATYPE_Video;
    EXPECT_TRUE(mt.Matches(partial));
    partial.subtype = MEDIASUBTYPE_YUY2;
    EXPECT_FALSE(mt.Matches(partial));
    EXPECT_FALSE(filterkit::HasVideoInfo(partial));
}

TEST_F(MediaTypeTest, PutTakesOverWhatAnOutParameterHandsOut) {
    CountedUnknown unk;
    {
        MediaType offered = VideoType(320);
        offered.Raw()->pUnk = &unk;
        unk.AddRef();
        ComPtr<IEnumMediaTypes> types;
        types.Attach(new filterkit::MediaTypeEnumerator(nullptr, {offered}, 0));
        EXPECT_EQ(unk.refs, 3u);  // ours, `offered`'s, the enumerator's copy
        EXPECT_EQ(types->Skip(2), S_FALSE);  // past the end: the position stays
        MediaType received;
        ASSERT_EQ(types->Next(1, received.Put(), nullptr), S_OK);
        ASSERT_TRUE(filterkit::VideoInfo(received.Get()));
        EXPECT_EQ(filterkit::VideoInfo(received.Get())->bmiHeader.biWidth, 320);
        EXPECT_EQ(unk.refs, 4u);
        EXPECT_EQ(types->Next(1, received.Put(), nullptr), S_FALSE);
        EXPECT_EQ(received.Get().pbFormat, nullptr);  // nothing came: empty
        EXPECT_EQ(unk.refs, 3u);
    }
    EXPECT_EQ(unk.refs, 1u);
}

TEST_F(MediaTypeTest, AFormatBlockIsReadOnlyWhenLongEnoughForItsFormatType) {
    struct Case {
        const char* name;
        GUID formatType;
        ULONG blockBytes;
        bool present;
        bool readable;
    };
    const Case cases[] = {
        {"VIDEOINFOHEADER", FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER), true, true},
        {"VIDEOINFOHEADER one byte short", FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER) - 1, true, false},
        {"VIDEOINFOHEADER2", FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2), true, true},
        {"VIDEOINFOHEADER2 in a VIDEOINFOHEADER block", FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER), true, false},
        {"a size without a block", FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER), false, false},
        {"another format type", FORMAT_WaveFormatEx, sizeof(VIDEOINFOHEADER2), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VIDEOINFOHEADER info = {};
        VIDEOINFOHEADER2 info2 = {};
        info.bmiHeader.biWidth = info2.bmiHeader.biWidth = 176;
        BYTE* block = c.formatType == FORMAT_VideoInfo ? reinterpret_cast<BYTE*>(&info) : reinterpret_cast<BYTE*>(&info2);
        AM_MEDIA_TYPE mt = {};
        mt.formattype = c.formatType;
        mt.cbFormat = c.blockBytes;
        mt.pbFormat = c.present ? block : nullptr;
        const BITMAPINFOHEADER* header = filterkit::VideoBitmapHeader(mt);
        EXPECT_EQ(header != nullptr, c.readable);
        EXPECT_EQ(header ? header->biWidth : 0, c.readable ? 176 : 0);
        EXPECT_EQ(filterkit::HasVideoInfo(mt), c.readable && c.formatType == FORMAT_VideoInfo);
    }
}

class KitFilterTest : public KitTest {
protected:
    void SetUp() override { m_sink.Attach(new CountingSink()); }
    ComPtr<IBaseFilter> m_sink;
};

TEST_F(KitFilterTest, PinEnumeratorFollowsTheEnumeratorRules) {
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(m_sink->EnumPins(pins.Put()), S_OK);
    IPin* got[2] = {};
    EXPECT_EQ(pins->Next(2, got, nullptr), E_INVALIDARG);  // more than one needs `fetched`
    ULONG fetched = 0;
    ASSERT_EQ(pins->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    ComPtr<IPin> first;
    first.Attach(got[0]);
    EXPECT_EQ(pins->Next(1, got, nullptr), S_FALSE);
    ComPtr<IEnumPins> clone;
    ASSERT_EQ(pins->Clone(clone.Put()), S_OK);
    EXPECT_EQ(clone->Skip(1), S_FALSE);  // the clone keeps the position: at the end
    ASSERT_EQ(pins->Reset(), S_OK);
    EXPECT_EQ(pins->Skip(2), S_FALSE);  // past the end: the position stays
    EXPECT_EQ(pins->Skip(1), S_OK);
    PIN_INFO info = {};
    ASSERT_EQ(first->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.pFilter, m_sink.Get());
    EXPECT_EQ(info.dir, PINDIR_INPUT);
    EXPECT_STREQ(info.achName, L"In");
    ComPtr<IBaseFilter> owner;
    owner.Attach(info.pFilter);
    ComPtr<IPin> found;
    EXPECT_EQ(m_sink->FindPin(L"In", found.Put()), S_OK);
    EXPECT_EQ(found.Get(), first.Get());
    EXPECT_EQ(m_sink->FindPin(L"Out", found.Put()), VFW_E_NOT_FOUND);
}

TEST_F(KitFilterTest, StateMachineAndUnconnectedPinAnswers) {
    FILTER_STATE state = State_Running;
    ASSERT_EQ(m_sink->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
    ASSERT_EQ(m_sink->Pause(), S_OK);
    ASSERT_EQ(m_sink->Run(0), S_OK);
    ASSERT_EQ(m_sink->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    ComPtr<IPin> pin;
    ASSERT_EQ(m_sink->FindPin(L"In", pin.Put()), S_OK);
    EXPECT_EQ(pin->Disconnect(), VFW_E_NOT_STOPPED);
    ASSERT_EQ(m_sink->Stop(), S_OK);
    EXPECT_EQ(pin->Disconnect(), S_FALSE);  // nothing to disconnect
    ComPtr<IPin> peer;
    EXPECT_EQ(pin->ConnectedTo(peer.Put()), VFW_E_NOT_CONNECTED);
    AM_MEDIA_TYPE mt = {};
    EXPECT_EQ(pin->ConnectionMediaType(&mt), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(pin->Connect(pin.Get(), nullptr), E_UNEXPECTED);  // input pins are connected to
}

TEST_F(KitFilterTest, GraphIsNotCountedButQueryFilterInfoHandsOutAReference) {
    ComPtr<IFilterGraph> graph;
    ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterGraph, graph.PutVoid()),
              S_OK);
    ASSERT_EQ(graph->AddFilter(m_sink.Get(), L"sink"), S_OK);
    graph->AddRef();
    const ULONG before = graph->Release();
    FILTER_INFO info = {};
    ASSERT_EQ(m_sink->QueryFilterInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"sink");
    ASSERT_EQ(info.pGraph, graph.Get());
    graph->AddRef();
    EXPECT_EQ(graph->Release(), before + 1);
    ComPtr<IFilterGraph> handedOut;
    handedOut.Attach(info.pGraph);
    handedOut.Reset();
    ASSERT_EQ(graph->RemoveFilter(m_sink.Get()), S_OK);
    ASSERT_EQ(m_sink->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(info.pGraph, nullptr);
}

}  // namespace
}  // namespace components_test
