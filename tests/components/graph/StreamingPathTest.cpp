// The effect filter's streaming path with a counting renderer: pass-through formats reach
// the renderer without a buffer of the effect's own (no copy); RGB24 is converted into one,
// which carries on what a transform filter passes besides the pixels.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "components/effect/EffectFilterInterfaces.h"
#include "components/filterkit/MediaType.h"
#include "testworld/camera/MjpegPicture.h"
#include "tests/components/filterkit/ScriptedFilters.h"
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

// A kit source of RGB24 frames -> the effect filter -> the counting sink, paused in a graph;
// the test thread is the stream's.
class TransformContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source.Attach(new ScriptedSource());
        m_source->offered = m_source->accepted = MEDIASUBTYPE_RGB24;
        m_renderer.Attach(m_sink = new CountingSink());
        ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     m_graph.PutVoid()),
                  S_OK);
        ASSERT_EQ(::CoCreateInstance(CLSID_EffectFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     m_effect.PutVoid()),
                  S_OK);
        for (IBaseFilter* filter : {static_cast<IBaseFilter*>(m_source.Get()), m_effect.Get(), m_renderer.Get()})
            ASSERT_EQ(m_graph->AddFilter(filter, nullptr), S_OK);
        m_effectIn = FindPin(m_effect.Get(), PINDIR_INPUT, 0);
        m_effectOut = FindPin(m_effect.Get(), PINDIR_OUTPUT, 0);
        ASSERT_EQ(m_graph->ConnectDirect(&m_source->Output(), m_effectIn.Get(), nullptr), S_OK);
        ASSERT_EQ(m_graph->ConnectDirect(m_effectOut.Get(), FindPin(m_renderer.Get(), PINDIR_INPUT, 0).Get(), nullptr),
                  S_OK);
        ASSERT_EQ(m_graph.QueryTo(IID_IMediaControl, m_control.PutVoid()), S_OK);
        ASSERT_TRUE(SUCCEEDED(m_control->Pause()));
        ASSERT_EQ(m_source->Output().Active(), S_OK);
    }
    void TearDown() override {
        m_source->Output().Inactive();
        if (m_control) m_control->Stop();
        m_control.Reset();
        m_effectIn.Reset();
        m_effectOut.Reset();
        m_graph.Reset();  // disconnects every pin
        m_effect.Reset();
        m_renderer.Reset();
        m_source.Reset();
        EXPECT_EQ(EffectDll().LiveObjects(), 0);
        EXPECT_EQ(filterkit::LiveObjects(), 0);
    }
    ComPtr<ScriptedSource> m_source;
    CountingSink* m_sink = nullptr;  // owned through m_renderer
    ComPtr<IBaseFilter> m_effect, m_renderer;
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IMediaControl> m_control;
    ComPtr<IPin> m_effectIn, m_effectOut;
};

// A start without a stop, as some capture filters stamp, stays one (GetTime makes up the
// stop as start + 1); start and stop come through as they are.
TEST_F(TransformContractTest, TheSinkSeesTheTimesTheSourceStamped) {
    REFERENCE_TIME start = 5000000, stop = 5333333;
    for (REFERENCE_TIME* stamped : {static_cast<REFERENCE_TIME*>(nullptr), &stop}) {
        ComPtr<IMediaSample> sample;
        ASSERT_EQ(m_source->Output().Allocator()->GetBuffer(sample.Put(), nullptr, nullptr, 0), S_OK);
        sample->SetActualDataLength(320 * 240 * 3);
        sample->SetTime(&start, stamped);
        ASSERT_EQ(m_source->Output().Deliver(sample.Get()), S_OK);
        REFERENCE_TIME seenStart = 0, seenStop = 0;
        EXPECT_EQ(m_sink->LastTime(seenStart, seenStop), stamped ? S_OK : VFW_S_NO_STOP_TIME);
        EXPECT_EQ(seenStart, start);
        EXPECT_EQ(seenStop, stamped ? stop : start + 1);
    }
    EXPECT_EQ(m_sink->BuffersFromOwnAllocator(), 2);  // converted into new samples, not passed on
}

TEST_F(TransformContractTest, EndOfStreamIsDroppedWhileFlushingAndPassedAfter) {
    ASSERT_EQ(m_effectIn->BeginFlush(), S_OK);
    m_effectIn->EndOfStream();
    EXPECT_EQ(m_sink->EndsOfStream(), 0);
    ASSERT_EQ(m_effectIn->EndFlush(), S_OK);
    EXPECT_EQ(m_effectIn->EndOfStream(), S_OK);
    EXPECT_EQ(m_sink->EndsOfStream(), 1);
}

// What the renderer sends the effect's output reaches the source, sent as the effect's own.
TEST_F(TransformContractTest, QualityMessagesFromTheSinkReachTheSource) {
    ComPtr<IQualityControl> control;
    ASSERT_EQ(m_effectOut.QueryTo(IID_IQualityControl, control.PutVoid()), S_OK);
    const Quality late = {Famine, 800, 400000, 5000000};
    EXPECT_EQ(control->Notify(m_renderer.Get(), late), S_OK);
    ASSERT_EQ(m_source->qualityMessages.size(), 1u);
    EXPECT_EQ(m_source->qualityMessages[0].first, m_effect.Get());
    EXPECT_EQ(std::memcmp(&m_source->qualityMessages[0].second, &late, sizeof late), 0);
}

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

// The virtual camera, the test world's decompressor and a counting sink in a new graph,
// connected in that order. Released last to first by its owner.
struct CameraThroughDecompressor {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> source, decoder, renderer;
    CountingSink* sink = nullptr;  // owned through `renderer`

    void Connect() {
        ASSERT_EQ(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     graph.PutVoid()),
                  S_OK);
        source = BindVirtualCamera();
        ASSERT_TRUE(source);
        ASSERT_EQ(::CoCreateInstance(CLSID_MjpegDec, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, decoder.PutVoid()),
                  S_OK);
        sink = new CountingSink();
        renderer.Attach(sink);
        ASSERT_EQ(graph->AddFilter(source.Get(), L"Video Capture"), S_OK);
        ASSERT_EQ(graph->AddFilter(decoder.Get(), L"Decompressor"), S_OK);
        ASSERT_EQ(graph->AddFilter(renderer.Get(), L"Sink"), S_OK);
        ASSERT_EQ(graph->Connect(FindPin(source.Get(), PINDIR_OUTPUT, 0).Get(), FindPin(decoder.Get(), PINDIR_INPUT, 0).Get()),
                  S_OK);
        ASSERT_EQ(graph->Connect(FindPin(decoder.Get(), PINDIR_OUTPUT, 0).Get(), FindPin(renderer.Get(), PINDIR_INPUT, 0).Get()),
                  S_OK);
    }
    void Release() {
        renderer.Reset();
        decoder.Reset();
        source.Reset();
        graph.Reset();
    }
};

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
        CameraThroughDecompressor g;
        ASSERT_NO_FATAL_FAILURE(g.Connect());
        CountingSink* sink = g.sink;
        ComPtr<IMediaControl> control;
        ASSERT_EQ(g.graph->QueryInterface(IID_IMediaControl, control.PutVoid()), S_OK);
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        // Ten frames past as many cut ones, or half a second of cut frames only.
        for (int i = 0; i < 50 && sink->Received() < 10; ++i) ::Sleep(10);
        EXPECT_EQ(control->Stop(), S_OK);
        if (c.framesReachTheSink)
            EXPECT_GE(sink->Received(), 10);
        else
            EXPECT_EQ(sink->Received(), 0);
        control.Reset();
        g.Release();
        EXPECT_EQ(DecompressorDll().LiveObjects(), 0);
    }
    EXPECT_EQ(DecompressorDll().Unregister(), S_OK);
}

// A sample whose buffer ends where a no-access page begins, so that reading one byte past it
// faults; its stated length and its media type are the test's to choose.
class GuardedSample final : public IMediaSample {
public:
    GuardedSample(const std::vector<uint8_t>& bytes, long statedLength, const AM_MEDIA_TYPE* type)
        : m_size(static_cast<long>(bytes.size())), m_stated(statedLength), m_type(type) {
        SYSTEM_INFO system;
        ::GetSystemInfo(&system);
        const size_t page = system.dwPageSize, dataPages = (bytes.size() + page - 1) / page * page;
        m_base = static_cast<BYTE*>(::VirtualAlloc(nullptr, dataPages + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(m_base + dataPages, page, PAGE_NOACCESS, &old);
        m_data = m_base + dataPages - bytes.size();
        std::copy(bytes.begin(), bytes.end(), m_data);
    }
    ~GuardedSample() { ::VirtualFree(m_base, 0, MEM_RELEASE); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IMediaSample ? static_cast<IMediaSample*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetPointer(BYTE** data) override { *data = m_data; return S_OK; }
    STDMETHODIMP_(long) GetSize() override { return m_size; }
    STDMETHODIMP GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return VFW_E_SAMPLE_TIME_NOT_SET; }
    STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return S_OK; }
    STDMETHODIMP IsSyncPoint() override { return S_OK; }
    STDMETHODIMP SetSyncPoint(BOOL) override { return S_OK; }
    STDMETHODIMP IsPreroll() override { return S_FALSE; }
    STDMETHODIMP SetPreroll(BOOL) override { return S_OK; }
    STDMETHODIMP_(long) GetActualDataLength() override { return m_stated; }
    STDMETHODIMP SetActualDataLength(long) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override {
        *type = m_type ? filterkit::MediaType(*m_type).NewCopy() : nullptr;
        return m_type ? S_OK : S_FALSE;
    }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDiscontinuity() override { return S_FALSE; }
    STDMETHODIMP SetDiscontinuity(BOOL) override { return S_OK; }
    STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return VFW_E_MEDIA_TIME_NOT_SET; }
    STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return S_OK; }

private:
    BYTE* m_base = nullptr;
    BYTE* m_data = nullptr;
    long m_size, m_stated;
    const AM_MEDIA_TYPE* m_type;
};

// Samples and types as an upstream filter may hand them over, to a decompressor connected
// at the camera's first size: only whole frames of that size come out, each the output
// type's image size long; nothing is read past a sample's buffer; a type of another frame
// size is refused, before connection only sizes beyond the decoder's limits are.
TEST(DecompressorTest, SamplesAndTypesAreHeldToTheConnection) {
    ASSERT_EQ(DecompressorDll().Register(), S_OK);
    ComPtr<IBaseFilter> spare;
    ASSERT_EQ(::CoCreateInstance(CLSID_MjpegDec, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, spare.PutVoid()), S_OK);
    {
        CameraSettings settings;
        settings.Set(L"Formats", L"MJPG");
        CameraThroughDecompressor g;
        ASSERT_NO_FATAL_FAILURE(g.Connect());
        CountingSink* sink = g.sink;
        ComPtr<IPin> input = FindPin(g.decoder.Get(), PINDIR_INPUT, 0);
        filterkit::MediaType connected;
        ASSERT_EQ(input->ConnectionMediaType(connected.Raw()), S_OK);
        const BITMAPINFOHEADER& bmi = filterkit::VideoInfo(connected.Get())->bmiHeader;
        const int width = bmi.biWidth, height = bmi.biHeight < 0 ? -bmi.biHeight : bmi.biHeight;
        const auto resized = [&](LONG w, LONG h) {
            filterkit::MediaType type(connected.Get());
            VIDEOINFOHEADER vih = *filterkit::VideoInfo(connected.Get());
            vih.bmiHeader.biWidth = w;
            vih.bmiHeader.biHeight = h;
            type.SetFormat(FORMAT_VideoInfo, &vih, sizeof vih);
            return type;
        };
        const filterkit::MediaType same = resized(width, height), wider = resized(width * 2, height),
                                   taller = resized(width, height * 2), flipped = resized(width, -height),
                                   lowest = resized(width, LONG_MIN);
        const struct {
            const filterkit::MediaType* type;
            HRESULT connected;  // QueryAccept while connected
        } types[] = {{&same, S_OK}, {&flipped, S_OK}, {&wider, S_FALSE}, {&taller, S_FALSE}, {&lowest, S_FALSE}};
        for (const auto& t : types) EXPECT_EQ(input->QueryAccept(&t.type->Get()), t.connected);

        camera::MjpegPicture pictures;
        const auto frame = [&](int w, int h) {
            std::vector<uint8_t> bytes(camera::MjpegFrameBound(w, h));
            bytes.resize(pictures.Render(w, h, 3, bytes.data(), bytes.size()));
            return bytes;
        };
        const std::vector<uint8_t> whole = frame(width, height), other = frame(width * 2, height);
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(whole.size() / 2));
        const long full = static_cast<long>(whole.size());
        const struct {
            const char* name;
            const std::vector<uint8_t>* bytes;
            long stated;
            const filterkit::MediaType* type;
            HRESULT result;
            bool delivered;
        } samples[] = {
            {"a whole frame", &whole, full, nullptr, S_OK, true},
            {"length 0", &whole, 0, nullptr, S_OK, false},
            {"a negative length", &whole, -1, nullptr, S_OK, false},
            {"a whole frame stated longer than its buffer", &whole, full + 65536, nullptr, S_OK, true},
            {"half a frame stated whole", &cut, full, nullptr, S_OK, false},
            {"a frame of another size", &other, static_cast<long>(other.size()), nullptr, S_OK, false},
            {"a frame carrying the connection's type", &whole, full, &same, S_OK, true},
            {"a frame carrying a type of another size", &whole, full, &wider, VFW_E_INVALIDMEDIATYPE, false},
        };
        ComPtr<IMemInputPin> memInput;
        ASSERT_EQ(input->QueryInterface(IID_IMemInputPin, memInput.PutVoid()), S_OK);
        ComPtr<IMediaControl> control;
        ASSERT_EQ(g.graph->QueryInterface(IID_IMediaControl, control.PutVoid()), S_OK);
        ASSERT_TRUE(SUCCEEDED(control->Pause()));  // the camera sends nothing until it runs
        for (const auto& c : samples) {
            GuardedSample sample(*c.bytes, c.stated, c.type ? &c.type->Get() : nullptr);
            const long before = sink->Received();
            EXPECT_EQ(memInput->Receive(&sample), c.result) << c.name;
            EXPECT_EQ(sink->Received() - before, c.delivered ? 1 : 0) << c.name;
            if (c.delivered) {
                EXPECT_EQ(sink->LastLength(), width * 4 * height) << c.name << ": an RGB32 picture";
            }
        }
        EXPECT_EQ(control->Stop(), S_OK);
        control.Reset();
        memInput.Reset();
        input.Reset();
        g.Release();
    }
    // Unconnected: any size within the decoder's limits, by side and by pixels.
    ComPtr<IPin> free = FindPin(spare.Get(), PINDIR_INPUT, 0);
    const struct {
        LONG width, height;
        HRESULT result;
    } limits[] = {{8192, 8192, S_OK}, {8192, -8192, S_OK}, {8192, 8193, S_FALSE}, {16384, 4096, S_OK},
                  {16385, 2, S_FALSE}, {2, -16385, S_FALSE}, {2, LONG_MIN, S_FALSE}, {0, 2, S_FALSE}};
    for (const auto& l : limits) {
        VIDEOINFOHEADER vih{};
        vih.bmiHeader.biSize = sizeof vih.bmiHeader;
        vih.bmiHeader.biWidth = l.width;
        vih.bmiHeader.biHeight = l.height;
        filterkit::MediaType type;
        type.Raw()->majortype = MEDIATYPE_Video;
        type.Raw()->subtype = MEDIASUBTYPE_MJPG;
        type.SetFormat(FORMAT_VideoInfo, &vih, sizeof vih);
        EXPECT_EQ(free->QueryAccept(&type.Get()), l.result) << l.width << " x " << l.height;
    }
    free.Reset();
    spare.Reset();
    EXPECT_EQ(DecompressorDll().LiveObjects(), 0);
    EXPECT_EQ(DecompressorDll().Unregister(), S_OK);
}

}  // namespace
}  // namespace components_test
