// TeskPreviewGraph on the platform's filter graph manager with a fake camera, and with fake
// MJPEG decompressor and effect filter classes registered in this process.
#include "GraphTestSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>

namespace {

using ::testing::ElementsAre;

class PreviewGraphTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        camera = world.Make<FakeFilter>("camera");
        camera->log = &log;
        still = world.Make<FakePin>("still", PINDIR_OUTPUT);
        still->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 1280, 1024, 0));
        camera->AddPin(still);
        capture = world.Make<FakePin>("capture", PINDIR_OUTPUT);
        capture->log = &log;
        capture->hasStreamConfig = true;
        capture->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 640, 480, 333333));
        capture->currentFormat = MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 320, 240, 333333);
        camera->AddPin(capture);
        decoder = world.Make<FakeFilter>("decoder");
        decoder->log = &log;
        decoderFactory = world.Make<FakeClassFactory>("decoder factory", decoder);
        effect = world.Make<FakeEffectFilter>("effect");
        effect->log = &log;
        effectFactory = world.Make<FakeClassFactory>("effect factory", effect);
    }
    void MakeCameraMjpeg() {
        capture->currentFormat = MakeVideoType(MEDIASUBTYPE_MJPG, FORMAT_VideoInfo, 320, 240, 333333);
    }
    const BITMAPINFOHEADER& FormatSet() const {
        return reinterpret_cast<const VIDEOINFOHEADER*>(capture->formatSet->Get().pbFormat)->bmiHeader;
    }

    CallLog log;
    FakeFilter* camera = nullptr;
    FakePin* still = nullptr;
    FakePin* capture = nullptr;
    FakeFilter* decoder = nullptr;
    FakeClassFactory* decoderFactory = nullptr;
    FakeEffectFilter* effect = nullptr;
    FakeClassFactory* effectFactory = nullptr;
};

TEST_F(PreviewGraphTest, MjpegCameraNeedsTheDecompressorWhichWineLacks) {
    ComPtr<IBaseFilter> probe;
    const HRESULT expected = CoCreateInstance(CLSID_MjpegDec, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER |
                                              CLSCTX_LOCAL_SERVER, IID_IBaseFilter, probe.PutVoid());
    if (SUCCEEDED(expected)) GTEST_SKIP() << "an MJPEG decompressor is registered here";
    probe.Reset();
    MakeCameraMjpeg();
    {
        TeskPreviewGraph preview;
        preview.SetVideoSize(640, 480);
        EXPECT_EQ(preview.BuildPreview(camera), expected);
        EXPECT_EQ(expected, REGDB_E_CLASSNOTREG);
        EXPECT_EQ(camera->joinedName, L"Video Capture");
        // The capture size was written into the current format, nothing else changed.
        ASSERT_TRUE(capture->formatSet);
        EXPECT_EQ(FormatSet().biWidth, 640);
        EXPECT_EQ(FormatSet().biHeight, 480);
        filterkit::MediaType original = MakeVideoType(MEDIASUBTYPE_MJPG, FORMAT_VideoInfo, 640, 480, 333333);
        EXPECT_TRUE(IsEqualGUID(capture->formatSet->Get().subtype, MEDIASUBTYPE_MJPG));
        ASSERT_EQ(capture->formatSet->Get().cbFormat, original.Get().cbFormat);
        auto* set = reinterpret_cast<VIDEOINFOHEADER*>(capture->formatSet->Raw()->pbFormat);
        auto* want = reinterpret_cast<VIDEOINFOHEADER*>(original.Raw()->pbFormat);
        want->bmiHeader.biSizeImage = set->bmiHeader.biSizeImage = 0;  // made from 320 x 240 by the fake
        EXPECT_EQ(std::memcmp(set, want, sizeof(VIDEOINFOHEADER)), 0);
    }
    EXPECT_EQ(camera->joinedGraph, nullptr);
}

TEST_F(PreviewGraphTest, MjpegCameraGetsTheDecompressorAddedUnconnected) {
    ClassRegistration decoderClass(CLSID_MjpegDec, decoderFactory);
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    ASSERT_EQ(decoderClass.result(), S_OK);
    ASSERT_EQ(effectClass.result(), S_OK);
    MakeCameraMjpeg();
    TeskPreviewGraph preview;
    // The effect filter offers no input pin: the build ends at the connection.
    EXPECT_EQ(preview.BuildPreview(camera), E_FAIL);
    EXPECT_EQ(decoderFactory->created, 1);
    EXPECT_EQ(effectFactory->created, 1);
    EXPECT_NE(decoder->joinedGraph, nullptr);
    EXPECT_EQ(decoder->joinedGraph, camera->joinedGraph);
    EXPECT_EQ(effect->joinedGraph, camera->joinedGraph);
    EXPECT_EQ(std::count(log.begin(), log.end(), "decoder.EnumPins"), 0) << "the decoder is not connected here";
    preview.Teardown();
    EXPECT_EQ(effect->closeModuleCalls, 1);
    EXPECT_EQ(decoder->joinedGraph, nullptr);
    EXPECT_EQ(effect->joinedGraph, nullptr);
}

TEST_F(PreviewGraphTest, UncompressedCameraGetsNoDecompressor) {
    ClassRegistration decoderClass(CLSID_MjpegDec, decoderFactory);
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    effect->enumPinsResult = E_OUTOFMEMORY;
    TeskPreviewGraph preview;
    EXPECT_EQ(preview.BuildPreview(camera), E_OUTOFMEMORY);
    EXPECT_EQ(decoderFactory->created, 0);
    EXPECT_EQ(effectFactory->created, 1);
    EXPECT_EQ(effect->joinedGraph, camera->joinedGraph);
}

TEST_F(PreviewGraphTest, RejectedOrUnreadableCaptureSizeLeavesTheCameraAsItIs) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    TeskPreviewGraph preview;
    preview.SetVideoSize(1280, 1024);
    capture->setFormatResult = VFW_E_INVALIDMEDIATYPE;
    EXPECT_EQ(preview.BuildPreview(camera), E_FAIL);  // past the size step, at the connection
    EXPECT_EQ(capture->setFormatCalls, 1);
    EXPECT_EQ(effectFactory->created, 1);

    capture->getFormatResult = E_NOTIMPL;
    EXPECT_EQ(preview.BuildPreview(camera), E_FAIL);
    EXPECT_EQ(capture->setFormatCalls, 1);
    EXPECT_EQ(effectFactory->created, 2);

    capture->hasStreamConfig = false;
    EXPECT_EQ(preview.BuildPreview(camera), E_FAIL);
    EXPECT_EQ(capture->setFormatCalls, 1);
    EXPECT_EQ(effectFactory->created, 3);
}

TEST_F(PreviewGraphTest, SizeTakesEffectOnlyAtTheNextBuildAndZeroIsWrittenToo) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    TeskPreviewGraph preview;
    preview.BuildPreview(camera);
    ASSERT_TRUE(capture->formatSet);
    EXPECT_EQ(FormatSet().biWidth, 0);
    EXPECT_EQ(FormatSet().biHeight, 0);
    EXPECT_EQ(preview.SetVideoSize(640, 480), S_OK);
    EXPECT_EQ(capture->setFormatCalls, 1);
    preview.BuildPreview(camera);
    EXPECT_EQ(capture->setFormatCalls, 2);
    EXPECT_EQ(FormatSet().biWidth, 640);
    EXPECT_EQ(FormatSet().biHeight, 480);
}

TEST_F(PreviewGraphTest, CameraWithoutFrameDurationCannotBePreviewed) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    camera->pins.pop_back();  // only the still pin is left
    TeskPreviewGraph preview;
    EXPECT_EQ(preview.BuildPreview(camera), E_FAIL);
    EXPECT_EQ(effectFactory->created, 0);
    EXPECT_EQ(camera->joinedName, L"Video Capture");
}

TEST_F(PreviewGraphTest, SnapshotReachesTheCallbackWithTheFiltersPixels) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    TeskPreviewGraph preview;
    preview.BuildPreview(camera);
    effect->frameWidth = 4;
    effect->frameHeight = 2;
    RecordingCallback callback;
    EXPECT_EQ(preview.SetSnapshotCallback(&callback), S_OK);
    ASSERT_NE(effect->buffer, nullptr);
    EXPECT_FALSE(preview.CanDeliverSnapshot()) << "the graph is built but not running";
    EXPECT_EQ(preview.TakeSnapshot(), S_OK);
    EXPECT_THAT(effect->requests, ElementsAre(TRUE));
    EXPECT_EQ(effect->Deliver(4, 2, 32), S_OK);
    EXPECT_EQ(callback.calls, 1);
    EXPECT_EQ(callback.width, 4);
    EXPECT_EQ(callback.height, 2);
    ASSERT_EQ(callback.pixels.size(), 32u);
    for (size_t i = 0; i < 32; ++i) EXPECT_EQ(callback.pixels[i], static_cast<BYTE>(i * 7 + 1)) << i;
    // A smaller frame fits the buffer and is handed on.
    EXPECT_EQ(effect->Deliver(2, 2, 16), S_OK);
    EXPECT_EQ(callback.calls, 2);
}

TEST_F(PreviewGraphTest, FrameLargerThanTheRegisteredBufferIsNotHandedOn) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    TeskPreviewGraph preview;
    preview.BuildPreview(camera);
    effect->frameWidth = 4;
    effect->frameHeight = 2;
    RecordingCallback callback;
    preview.SetSnapshotCallback(&callback);
    EXPECT_EQ(effect->Deliver(640, 480, 0), S_OK);
    EXPECT_EQ(effect->Deliver(4, 3, 0), S_OK);
    EXPECT_EQ(effect->Deliver(-4, -2, 0), S_OK);
    EXPECT_EQ(effect->Deliver(0x10000, 0x10000, 0), S_OK);
    EXPECT_EQ(callback.calls, 0);
}

TEST_F(PreviewGraphTest, ZeroFrameSizeAtRegistrationDeliversNothing) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    TeskPreviewGraph preview;
    preview.BuildPreview(camera);
    RecordingCallback callback;
    preview.SetSnapshotCallback(&callback);
    EXPECT_EQ(effect->Deliver(4, 2, 0), S_OK);
    EXPECT_EQ(callback.calls, 0);
    // A null callback delivers nothing either.
    effect->frameWidth = 4;
    effect->frameHeight = 2;
    preview.SetSnapshotCallback(nullptr);
    EXPECT_EQ(effect->Deliver(4, 2, 32), S_OK);
}

// A second registration on the same graph, with a request pending: the filter gives up the
// old buffer before the resize can free it; the request served into the new buffer reaches
// the new callback.
TEST_F(PreviewGraphTest, ReRegistrationClearsTheFilterBeforeTheBufferIsResized) {
    struct Case {
        SIZE first;
        SIZE second;
    };
    const Case cases[] = {{{4, 2}, {8, 4}}, {{8, 4}, {2, 2}}, {{4, 2}, {4, 2}}, {{4, 2}, {0, 0}}};
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first.cx) + "x" + std::to_string(c.first.cy) + " then " +
                     std::to_string(c.second.cx) + "x" + std::to_string(c.second.cy));
        TeskPreviewGraph preview;
        preview.BuildPreview(camera);
        effect->frameWidth = c.first.cx;
        effect->frameHeight = c.first.cy;
        RecordingCallback first, second;
        preview.SetSnapshotCallback(&first);
        preview.TakeSnapshot();
        effect->frameWidth = c.second.cx;
        effect->frameHeight = c.second.cy;
        log.clear();
        effect->serveAtRegistration = true;
        EXPECT_EQ(preview.SetSnapshotCallback(&second), S_OK);
        effect->serveAtRegistration = false;
        EXPECT_THAT(log,
                    ElementsAre("effect.SetSnapshotHandler(null)", "effect.GetFrameSize", "effect.SetSnapshotHandler"));
        EXPECT_EQ(first.calls, 0);
        EXPECT_EQ(second.calls, c.second.cx > 0 && c.second.cy > 0 ? 1 : 0);
        EXPECT_EQ(second.width, c.second.cx);
    }
}

// However the graph ends, the filter (which anyone may still hold) is left with no handler
// into it and no buffer of it, before the graph lets the filter go.
TEST_F(PreviewGraphTest, TeardownClearsTheSnapshotRegistrationBeforeReleasingTheFilter) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    const std::function<void(std::unique_ptr<TeskPreviewGraph>&)> ends[] = {
        [](std::unique_ptr<TeskPreviewGraph>& preview) { preview->Teardown(); },
        [this](std::unique_ptr<TeskPreviewGraph>& preview) { preview->BuildPreview(camera); },
        [](std::unique_ptr<TeskPreviewGraph>& preview) { preview.reset(); },
    };
    for (size_t i = 0; i < std::size(ends); ++i) {
        SCOPED_TRACE(i);
        auto preview = std::make_unique<TeskPreviewGraph>();
        preview->BuildPreview(camera);
        effect->frameWidth = 4;
        effect->frameHeight = 2;
        RecordingCallback callback;
        preview->SetSnapshotCallback(&callback);
        ASSERT_NE(effect->buffer, nullptr);
        log.clear();
        ends[i](preview);
        EXPECT_EQ(effect->handler, nullptr);
        EXPECT_EQ(effect->handlerContext, nullptr);
        EXPECT_EQ(effect->buffer, nullptr);
        const auto at = [this](const char* entry) {
            return std::find(log.begin(), log.end(), entry) - log.begin();  // the end when missing
        };
        EXPECT_LT(at("effect.CloseModule"), at("effect.SetSnapshotHandler(null)"));
        EXPECT_LT(at("effect.SetSnapshotHandler(null)"), at("effect.LeaveFilterGraph"));
        EXPECT_LT(at("effect.LeaveFilterGraph"), static_cast<std::ptrdiff_t>(log.size()));
    }
}

TEST_F(PreviewGraphTest, EffectFilterWithoutItsInterfaces) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    effect->hasSnapshot = false;
    effect->hasControl = false;
    TeskPreviewGraph preview;
    EXPECT_EQ(preview.UnloadEffect(), E_FAIL);  // no effect filter yet
    EXPECT_EQ(preview.TakeSnapshot(), E_FAIL);  // no graph
    preview.BuildPreview(camera);
    RecordingCallback callback;
    EXPECT_EQ(preview.SetSnapshotCallback(&callback), S_OK);
    EXPECT_EQ(preview.TakeSnapshot(), S_OK);
    EXPECT_EQ(preview.UnloadEffect(), E_FAIL);
    EXPECT_FALSE(preview.CanDeliverSnapshot()) << "a photo must not wait for a frame that cannot come";
    EXPECT_EQ(std::count(log.begin(), log.end(), "effect.SetSnapshotHandler"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "effect.RequestSnapshot"), 0);
}

TEST_F(PreviewGraphTest, UnloadEffectReturnsCloseModuleAndTeardownUnloadsOnce) {
    ClassRegistration effectClass(CLSID_EffectFilter, effectFactory);
    effect->closeModuleResult = S_FALSE;
    {
        TeskPreviewGraph preview;
        preview.BuildPreview(camera);
        EXPECT_EQ(preview.UnloadEffect(), S_FALSE);
        EXPECT_EQ(effect->closeModuleCalls, 1);
        // A new build tears the old graph down first, the effect module with it.
        preview.BuildPreview(camera);
        EXPECT_EQ(effect->closeModuleCalls, 2);
        EXPECT_EQ(effectFactory->created, 2);
    }
    EXPECT_EQ(effect->closeModuleCalls, 3);  // the destructor
    EXPECT_EQ(effect->joinedGraph, nullptr);
}

}  // namespace
