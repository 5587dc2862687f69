// TeskLib on a fake graph manager, camera and effect filter (all registered or handed in
// here): the steps of StartPreview, the video window's visibility, and whether a snapshot
// can come after the graph's events.
#include "DebugOutputCapture.h"
#include "GraphTestSupport.h"

#include <evcode.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "capture/TeskLib.h"

namespace {

using ::testing::ElementsAre;

constexpr UINT kNotifyMessage = 0x8001;

// The façade with a source handed in instead of bound from the device list.
class LibUnderTest : public TeskLib {
public:
    LibUnderTest(IBaseFilter* source, HWND owner) {
        m_pVideoSource = ComPtr<IBaseFilter>(source);
        m_notifyMessage = kNotifyMessage;
        SetOwnerWindow(owner);
    }
};

class TeskLibFakeGraphTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        graph = world.Make<FakeGraph>("graph");
        graph->log = &log;
        camera = world.Make<FakeFilter>("camera");
        capture = world.Make<FakePin>("capture", PINDIR_OUTPUT);
        capture->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 640, 480, 333333));
        camera->AddPin(capture);
        effect = world.Make<FakeEffectFilter>("effect");
        effect->log = &log;
        effect->AddPin(world.Make<FakePin>("effect in", PINDIR_INPUT));
        effect->AddPin(world.Make<FakePin>("effect out", PINDIR_OUTPUT));
        effect->frameWidth = 4;
        effect->frameHeight = 2;
        graphClass = std::make_unique<ClassRegistration>(
            CLSID_FilterGraph, world.Make<FakeClassFactory>("graph factory", static_cast<IGraphBuilder*>(graph)));
        effectClass = std::make_unique<ClassRegistration>(CLSID_EffectFilter,
                                                          world.Make<FakeClassFactory>("effect factory", effect));
        ASSERT_EQ(graphClass->result(), S_OK);
        ASSERT_EQ(effectClass->result(), S_OK);
    }
    void TearDown() override {
        graphClass.reset();
        effectClass.reset();
        ComTest::TearDown();
    }
    // The log's entries that start with one of `prefixes`, in order.
    CallLog Entries(std::initializer_list<const char*> prefixes) const {
        CallLog kept;
        for (const std::string& entry : log)
            if (std::any_of(prefixes.begin(), prefixes.end(), [&](const char* p) { return entry.rfind(p, 0) == 0; }))
                kept.push_back(entry);
        return kept;
    }

    CallLog log;
    FakeGraph* graph = nullptr;
    FakeFilter* camera = nullptr;
    FakePin* capture = nullptr;
    FakeEffectFilter* effect = nullptr;
    std::unique_ptr<ClassRegistration> graphClass;
    std::unique_ptr<ClassRegistration> effectClass;
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    RecordingCallback callback;
};

// A failing step ends StartPreview with its result: nothing after it runs, so no snapshot
// handler is registered and the graph does not run.
TEST_F(TeskLibFakeGraphTest, StartPreviewStopsAtTheFirstFailingStep) {
    struct Case {
        const char* failing;
        HRESULT result;
        const char* lastCall;
    };
    const Case cases[] = {
        {"put_Owner", E_ACCESSDENIED, "graph.put_Owner(4660)"},
        {"SetWindowForeground", VFW_E_NOT_CONNECTED, "graph.SetWindowForeground(0)"},
        {"SetNotifyWindow", E_INVALIDARG, "graph.SetNotifyWindow(4660,32769,0)"},
        {"Run", S_FALSE, "graph.Run(0)"},  // nothing fails: the result of Run
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        graph->results = {{c.failing, c.result}};
        LibUnderTest lib(camera, owner);
        log.clear();
        EXPECT_EQ(lib.StartPreview(&callback), c.result);
        const CallLog steps = Entries({"graph.put_Owner", "graph.SetWindowForeground", "graph.SetNotifyWindow",
                                       "effect.SetSnapshotHandler", "graph.Run"});
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps.back(), c.lastCall);
        EXPECT_EQ(std::count(steps.begin(), steps.end(), c.lastCall), 1);
    }
}

// The video window is hidden at every build and shown only where it is placed: at once when
// a rectangle was given before, else by the first SetVideoRect.
TEST_F(TeskLibFakeGraphTest, VideoWindowIsHiddenUntilPlaced) {
    const std::initializer_list<const char*> visibility = {"graph.put_Visible", "graph.put_AutoShow",
                                                           "graph.SetWindowPosition"};
    for (bool placedBefore : {false, true}) {
        SCOPED_TRACE(placedBefore ? "placed before the build" : "placed after the build");
        LibUnderTest lib(camera, owner);
        if (placedBefore) lib.SetVideoRect(1, 2, 3, 4);
        log.clear();
        ASSERT_EQ(lib.StartPreview(&callback), S_OK);
        if (!placedBefore) {
            EXPECT_THAT(Entries(visibility), ElementsAre("graph.put_Visible(0)", "graph.put_AutoShow(0)"));
            EXPECT_EQ(lib.SetVideoRect(1, 2, 3, 4), S_OK);
        }
        EXPECT_THAT(Entries(visibility),
                    ElementsAre("graph.put_Visible(0)", "graph.put_AutoShow(0)", "graph.SetWindowPosition(1,2,3,4)",
                                "graph.put_Visible(-1)", "graph.put_AutoShow(-1)"));
    }
}

// A removed camera sends no more frames although its graph still runs: no snapshot can come
// until the next build. The events reach the handler as any others.
TEST_F(TeskLibFakeGraphTest, RemovedCameraTakesNoSnapshotUntilTheNextBuild) {
    struct Case {
        std::vector<FakeGraph::Event> events;
        bool canTakeSnapshot;
    };
    const Case cases[] = {
        {{{EC_DEVICE_LOST, 0x50, 0}}, false},
        {{{EC_DEVICE_LOST, 0x50, 1}}, true},  // arrived, not removed
        {{{EC_DEVICE_LOST, 0x50, 0}, {EC_DEVICE_LOST, 0x50, 1}}, false},  // back, but this graph is done
        {{{EC_COMPLETE, 0, 0}, {EC_ERRORABORT, E_FAIL, 0}, {EC_USERABORT, 0, 0}}, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        LibUnderTest lib(camera, owner);
        ASSERT_EQ(lib.StartPreview(&callback), S_OK);
        ASSERT_TRUE(lib.CanTakeSnapshot());
        graph->queue = cases[i].events;
        RecordingHandler handler;
        lib.HandleEvents(&handler);
        EXPECT_EQ(handler.calls.size(), cases[i].events.size());
        EXPECT_EQ(lib.CanTakeSnapshot(), cases[i].canTakeSnapshot);
        EXPECT_EQ(lib.StartPreview(&callback), S_OK);
        EXPECT_TRUE(lib.CanTakeSnapshot());
    }
}

// Each failing step of the preview's build and start leaves exactly one trace line, which
// names the step and its result.
TEST_F(TeskLibFakeGraphTest, EachFailingStepOfTheStartLeavesOneTraceLineNamingIt) {
    FakeEffectFilter* outputless = world.Make<FakeEffectFilter>("effect without output");
    outputless->AddPin(world.Make<FakePin>("outputless in", PINDIR_INPUT));
    FakeFilter* decoder = world.Make<FakeFilter>("decoder");
    FakeUnknown* notAFilter = world.Make<FakeUnknown>("not a filter");
    const auto useClass = [this](std::unique_ptr<ClassRegistration>& slot, const CLSID& clsid, IUnknown* product) {
        slot.reset();
        slot = std::make_unique<ClassRegistration>(clsid, world.Make<FakeClassFactory>("factory", product));
    };
    std::unique_ptr<ClassRegistration> decoderClass;
    const auto mjpegCamera = [&] {
        capture->hasStreamConfig = true;
        capture->currentFormat = MakeVideoType(MEDIASUBTYPE_MJPG, FORMAT_VideoInfo, 320, 240, 333333);
    };
    struct Case {
        const char* step;
        HRESULT result;
        std::function<void()> breakStep;
    };
    const Case cases[] = {
        {"create the filter graph manager", E_NOINTERFACE, [&] { useClass(graphClass, CLSID_FilterGraph, notAFilter); }},
        {"add the camera", E_OUTOFMEMORY, [&] { graph->addFilterResults[camera] = E_OUTOFMEMORY; }},
        {"query IGraphBuilder", E_FAIL, [&] { graph->hasGraphBuilder = false; }},
        {"find the camera's video pin", E_OUTOFMEMORY, [&] { camera->enumPinsResult = E_OUTOFMEMORY; }},
        {"create the MJPEG decompressor", E_NOINTERFACE,
         [&] {
             mjpegCamera();
             useClass(decoderClass, CLSID_MjpegDec, notAFilter);
         }},
        {"add the MJPEG decompressor", VFW_E_DUPLICATE_NAME, [&] {
             mjpegCamera();
             useClass(decoderClass, CLSID_MjpegDec, static_cast<IBaseFilter*>(decoder));
             graph->addFilterResults[decoder] = VFW_E_DUPLICATE_NAME;
         }},
        {"create the effect filter", E_NOINTERFACE, [&] { useClass(effectClass, CLSID_EffectFilter, notAFilter); }},
        {"add the effect filter", E_FAIL, [&] { graph->addFilterResults[effect] = E_FAIL; }},
        {"connect the camera to the effect filter", VFW_E_NO_ACCEPTABLE_TYPES,
         [&] { graph->results["Connect"] = VFW_E_NO_ACCEPTABLE_TYPES; }},
        {"find the effect filter's output pin", E_FAIL,
         [&] { useClass(effectClass, CLSID_EffectFilter, static_cast<IBaseFilter*>(outputless)); }},
        {"render the effect filter's output", VFW_E_CANNOT_RENDER,
         [&] { graph->results["Render"] = VFW_E_CANNOT_RENDER; }},
        {"put_Owner", E_ACCESSDENIED, [&] { graph->results["put_Owner"] = E_ACCESSDENIED; }},
        {"SetNotifyWindow", E_INVALIDARG, [&] { graph->results["SetNotifyWindow"] = E_INVALIDARG; }},
        {"run the graph", E_FAIL, [&] { graph->results["Run"] = E_FAIL; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        c.breakStep();
        {
            LibUnderTest lib(camera, owner);
            log.clear();
            {
                DebugOutputCapture capture(log);
                EXPECT_EQ(lib.StartPreview(&callback), c.result);
            }
        }
        char expected[160];
        std::snprintf(expected, sizeof(expected), "debug.preview: %s failed (hr 0x%08lX)\n", c.step,
                      static_cast<unsigned long>(c.result));
        EXPECT_THAT(Entries({"debug."}), ElementsAre(expected));
        // Back to a camera and classes that work.
        useClass(graphClass, CLSID_FilterGraph, static_cast<IGraphBuilder*>(graph));
        useClass(effectClass, CLSID_EffectFilter, static_cast<IBaseFilter*>(effect));
        decoderClass.reset();
        graph->results.clear();
        graph->addFilterResults.clear();
        graph->hasGraphBuilder = true;
        camera->enumPinsResult = S_OK;
        capture->hasStreamConfig = false;
        capture->currentFormat.reset();
    }
}

}  // namespace
