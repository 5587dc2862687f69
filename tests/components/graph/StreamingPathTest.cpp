// The effect filter's streaming path with a counting renderer: pass-through formats reach
// the renderer without a buffer of the effect's own (no copy); RGB24 is converted into one.
#include <gtest/gtest.h>

#include "components/filterkit/MediaType.h"
#include "tests/components/graph/CountingSink.h"
#include "tests/components/support/ComponentWorld.h"

namespace components_test {
namespace {

class StreamingPathTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void TearDown() override {
        m_preview.Release();
        EXPECT_EQ(EffectDll().LiveObjects(), 0);
        EXPECT_EQ(CameraDll().LiveObjects(), 0);
    }
    CameraSettings m_settings;
    PreviewGraph m_preview;
};

TEST_P(StreamingPathTest, CopiesOnlyWhenItMustConvert) {
    const std::wstring format = GetParam();
    m_settings.Set(L"Formats", format.c_str());
    m_settings.Set(L"Unpaced", DWORD{1});
    CountingSink* sink = new CountingSink();
    ComPtr<IBaseFilter> renderer;
    renderer.Attach(sink);
    ASSERT_EQ(m_preview.Build(320, 240, renderer.Get()), S_OK);
    ASSERT_TRUE(SUCCEEDED(m_preview.Run()));
    for (int i = 0; i < 200 && sink->Received() < 20; ++i) ::Sleep(10);
    EXPECT_EQ(m_preview.Stop(), S_OK);
    ASSERT_GE(sink->Received(), 20);
    if (format == L"RGB24")
        EXPECT_GE(sink->BuffersFromOwnAllocator(), sink->Received());
    else
        EXPECT_EQ(sink->BuffersFromOwnAllocator(), 0);
    renderer.Reset();
}

INSTANTIATE_TEST_SUITE_P(Formats, StreamingPathTest, ::testing::Values(L"RGB32", L"YUY2", L"RGB24"));

}  // namespace
}  // namespace components_test

namespace components_test {
namespace {

// A connection type from the other side may carry no sample size; the camera sizes its
// buffers from the picture.
TEST(CameraConnectionTest, TypeWithoutSampleSizeStillStreams) {
    CameraSettings settings;
    settings.Set(L"Unpaced", DWORD{1});
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()),
              S_OK);
    ComPtr<IBaseFilter> source = BindVirtualCamera();
    ASSERT_TRUE(source);
    CountingSink* sink = new CountingSink();
    ComPtr<IBaseFilter> renderer;
    renderer.Attach(sink);
    ASSERT_EQ(graph->AddFilter(source.Get(), L"Video Capture"), S_OK);
    ASSERT_EQ(graph->AddFilter(renderer.Get(), L"Sink"), S_OK);
    ComPtr<IPin> capture = FindPin(source.Get(), PINDIR_OUTPUT, 0);
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(capture->EnumMediaTypes(types.Put()), S_OK);
    AM_MEDIA_TYPE* first = nullptr;
    ASSERT_EQ(types->Next(1, &first, nullptr), S_OK);
    filterkit::MediaType proposed(*first);
    filterkit::DeleteMediaType(first);
    proposed.Raw()->lSampleSize = 0;
    proposed.Raw()->bFixedSizeSamples = FALSE;
    ASSERT_EQ(graph->ConnectDirect(capture.Get(), FindPin(renderer.Get(), PINDIR_INPUT, 0).Get(), &proposed.Get()), S_OK);
    ComPtr<IMediaControl> control;
    ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, control.PutVoid()), S_OK);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    for (int i = 0; i < 200 && sink->Received() < 5; ++i) ::Sleep(10);
    EXPECT_EQ(control->Stop(), S_OK);
    EXPECT_GE(sink->Received(), 5);
    control.Reset();
    types.Reset();
    capture.Reset();
    renderer.Reset();
    source.Reset();
    graph.Reset();
    EXPECT_EQ(CameraDll().LiveObjects(), 0);
}

// Camera (MJPEG only) -> the test world's decompressor -> counting sink: frames cut short,
// as a camera whose bus lost part of them, are dropped and the stream goes on.
TEST(DecompressorTest, FramesThatDoNotDecodeAreDroppedAndTheStreamGoesOn) {
    ASSERT_EQ(DecompressorDll().Register(), S_OK);
    struct Case {
        DWORD corruptEvery;
        bool framesReachTheSink;
    } const cases[] = {{1, false}, {2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corruptEvery);
        CameraSettings settings;
        settings.Set(L"Formats", L"MJPG");
        settings.Set(L"Unpaced", DWORD{1});
        settings.Set(L"CorruptMjpegEvery", c.corruptEvery);
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     graph.PutVoid()),
                  S_OK);
        ComPtr<IBaseFilter> source = BindVirtualCamera(), decoder, renderer;
        ASSERT_TRUE(source);
        ASSERT_EQ(::CoCreateInstance(CLSID_MjpegDec, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, decoder.PutVoid()),
                  S_OK);
        CountingSink* sink = new CountingSink();
        renderer.Attach(sink);
        ASSERT_EQ(graph->AddFilter(source.Get(), L"Video Capture"), S_OK);
        ASSERT_EQ(graph->AddFilter(decoder.Get(), L"Decompressor"), S_OK);
        ASSERT_EQ(graph->AddFilter(renderer.Get(), L"Sink"), S_OK);
        ASSERT_EQ(graph->Connect(FindPin(source.Get(), PINDIR_OUTPUT, 0).Get(), FindPin(decoder.Get(), PINDIR_INPUT, 0).Get()),
                  S_OK);
        ASSERT_EQ(graph->Connect(FindPin(decoder.Get(), PINDIR_OUTPUT, 0).Get(), FindPin(renderer.Get(), PINDIR_INPUT, 0).Get()),
                  S_OK);
        ComPtr<IMediaControl> control;
        ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, control.PutVoid()), S_OK);
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        // Ten frames past as many cut ones, or half a second of cut frames only.
        for (int i = 0; i < 50 && sink->Received() < 10; ++i) ::Sleep(10);
        EXPECT_EQ(control->Stop(), S_OK);
        if (c.framesReachTheSink)
            EXPECT_GE(sink->Received(), 10);
        else
            EXPECT_EQ(sink->Received(), 0);
        control.Reset();
        renderer.Reset();
        decoder.Reset();
        source.Reset();
        graph.Reset();
        EXPECT_EQ(DecompressorDll().LiveObjects(), 0);
    }
    EXPECT_EQ(DecompressorDll().Unregister(), S_OK);
}

}  // namespace
}  // namespace components_test
