// Pin helpers and the size check against fake filters with unusual pins.
#include "ComFakes.h"

#include "capture/DeviceEnumeration.h"
#include "capture/PinHelpers.h"
#include "framework/ComPtr.h"

namespace {

class PinHelpersTest : public ComTest {
protected:
    FakePin* AddPin(FakeFilter* filter, const char* name, PIN_DIRECTION direction) {
        FakePin* pin = world.Make<FakePin>(name, direction);
        filter->AddPin(pin);
        return pin;
    }
    // A pin offering one video type of the given format.
    FakePin* AddVideoPin(FakeFilter* filter, const char* name, const GUID& format, REFERENCE_TIME frame) {
        FakePin* pin = AddPin(filter, name, PINDIR_OUTPUT);
        pin->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, format, 640, 480, frame));
        return pin;
    }
};

TEST_F(PinHelpersTest, FindUnconnectedPinSkipsConnectedPinsAndOtherDirection) {
    FakeFilter* filter = world.Make<FakeFilter>("filter");
    FakePin* peer = world.Make<FakePin>("peer", PINDIR_OUTPUT);
    FakePin* connectedIn = AddPin(filter, "in0", PINDIR_INPUT);
    connectedIn->connectedTo = peer;
    AddPin(filter, "out0", PINDIR_OUTPUT);
    FakePin* freeIn = AddPin(filter, "in1", PINDIR_INPUT);

    ComPtr<IPin> pin;
    EXPECT_EQ(FindUnconnectedPin(filter, PINDIR_INPUT, pin.Put()), S_OK);
    EXPECT_EQ(pin.Get(), static_cast<IPin*>(freeIn));

    freeIn->connectedTo = peer;
    EXPECT_EQ(FindUnconnectedPin(filter, PINDIR_INPUT, pin.Put()), E_FAIL);
    EXPECT_EQ(pin.Get(), nullptr);
}

TEST_F(PinHelpersTest, HelpersRejectNullArgumentsAndPassOnEnumPinsFailure) {
    FakeFilter* filter = world.Make<FakeFilter>("filter");
    IPin* pin = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(FindUnconnectedPin(nullptr, PINDIR_INPUT, &pin), E_POINTER);
    EXPECT_EQ(pin, nullptr);
    EXPECT_EQ(FindUnconnectedPin(filter, PINDIR_INPUT, nullptr), E_POINTER);
    EXPECT_EQ(GetPin(nullptr, PINDIR_INPUT, 0, &pin), E_POINTER);
    EXPECT_EQ(FindPinByMajorType(nullptr, MEDIATYPE_Video, &pin), E_POINTER);
    EXPECT_EQ(FindPinByMajorType(filter, MEDIATYPE_Video, nullptr), E_POINTER);

    filter->enumPinsResult = E_OUTOFMEMORY;
    EXPECT_EQ(FindUnconnectedPin(filter, PINDIR_INPUT, &pin), E_OUTOFMEMORY);
    EXPECT_EQ(GetPin(filter, PINDIR_OUTPUT, 0, &pin), E_OUTOFMEMORY);
    EXPECT_EQ(FindPinByMajorType(filter, MEDIATYPE_Video, &pin), E_OUTOFMEMORY);
    EXPECT_EQ(pin, nullptr);
}

TEST_F(PinHelpersTest, GetPinCountsOnlyPinsOfTheDirectionConnectedOrNot) {
    FakeFilter* filter = world.Make<FakeFilter>("filter");
    FakePin* peer = world.Make<FakePin>("peer", PINDIR_INPUT);
    AddPin(filter, "in0", PINDIR_INPUT);
    FakePin* out0 = AddPin(filter, "out0", PINDIR_OUTPUT);
    out0->connectedTo = peer;
    AddPin(filter, "in1", PINDIR_INPUT);
    FakePin* out1 = AddPin(filter, "out1", PINDIR_OUTPUT);

    ComPtr<IPin> pin;
    EXPECT_EQ(GetPin(filter, PINDIR_OUTPUT, 0, pin.Put()), S_OK);
    EXPECT_EQ(pin.Get(), static_cast<IPin*>(out0));
    EXPECT_EQ(GetPin(filter, PINDIR_OUTPUT, 1, pin.Put()), S_OK);
    EXPECT_EQ(pin.Get(), static_cast<IPin*>(out1));
    EXPECT_EQ(GetPin(filter, PINDIR_OUTPUT, 2, pin.Put()), E_FAIL);
    EXPECT_EQ(GetPin(filter, PINDIR_OUTPUT, -1, pin.Put()), E_FAIL);
}

TEST_F(PinHelpersTest, FindPinByMajorTypePassesOverStillVideoInfo2AudioAndBrokenPins) {
    FakeFilter* camera = world.Make<FakeFilter>("camera");
    FakeUnknown* unk = world.Make<FakeUnknown>("type pUnk");
    FakePin* still = AddVideoPin(camera, "still", FORMAT_VideoInfo, 0);
    FakePin* info2 = AddVideoPin(camera, "info2", FORMAT_VideoInfo2, 333333);
    FakePin* audio = AddPin(camera, "audio", PINDIR_OUTPUT);
    AM_MEDIA_TYPE audioType{};
    audioType.majortype = MEDIATYPE_Audio;
    audio->types.emplace_back(audioType);
    FakePin* broken = AddVideoPin(camera, "broken", FORMAT_VideoInfo, 333333);
    broken->enumMediaTypesResult = E_UNEXPECTED;
    // A format block too short for VIDEOINFOHEADER is not read.
    FakePin* shortBlock = AddVideoPin(camera, "short", FORMAT_VideoInfo, 333333);
    shortBlock->types.front().Raw()->cbFormat = 8;
    FakePin* capture = AddPin(camera, "capture", PINDIR_OUTPUT);
    capture->types.push_back(MakeVideoType(MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, 640, 480, 0));
    capture->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 640, 480, 333333));
    for (FakePin* pin : {still, info2, audio, shortBlock, capture}) pin->typeUnk = unk;

    ComPtr<IPin> pin;
    EXPECT_EQ(FindPinByMajorType(camera, MEDIATYPE_Video, pin.Put()), S_OK);
    EXPECT_EQ(pin.Get(), static_cast<IPin*>(capture));
    // Every type handed out was freed, pUnk included (checked at the end of the test).

    capture->types.pop_back();
    EXPECT_EQ(FindPinByMajorType(camera, MEDIATYPE_Video, pin.Put()), E_FAIL);
    EXPECT_EQ(pin.Get(), nullptr);
}

TEST_F(PinHelpersTest, ConnectPinToFilterConnectsTheFirstFreeInput) {
    FakeGraph* graph = world.Make<FakeGraph>("graph");
    FakeFilter* downstream = world.Make<FakeFilter>("effect");
    FakePin* output = world.Make<FakePin>("capture", PINDIR_OUTPUT);
    FakePin* busy = AddPin(downstream, "in0", PINDIR_INPUT);
    busy->connectedTo = output;
    FakePin* input = AddPin(downstream, "in1", PINDIR_INPUT);

    graph->results["Connect"] = VFW_E_NO_ACCEPTABLE_TYPES;
    EXPECT_EQ(ConnectPinToFilter(graph, output, downstream), VFW_E_NO_ACCEPTABLE_TYPES);
    ASSERT_EQ(graph->connectCalls.size(), 2u);
    EXPECT_EQ(graph->connectCalls[0], static_cast<IPin*>(output));
    EXPECT_EQ(graph->connectCalls[1], static_cast<IPin*>(input));

    EXPECT_EQ(ConnectPinToFilter(nullptr, output, downstream), E_POINTER);
    EXPECT_EQ(ConnectPinToFilter(graph, nullptr, downstream), E_POINTER);
    EXPECT_EQ(ConnectPinToFilter(graph, output, nullptr), E_POINTER);
    input->connectedTo = output;
    EXPECT_EQ(ConnectPinToFilter(graph, output, downstream), E_FAIL);
    EXPECT_EQ(graph->connectCalls.size(), 2u);
}

class SizeSupportTest : public PinHelpersTest {
protected:
    void SetUp() override {
        PinHelpersTest::SetUp();
        camera = world.Make<FakeFilter>("camera");
        pin = AddVideoPin(camera, "capture", FORMAT_VideoInfo, 333333);
        pin->hasStreamConfig = true;
        pin->capsType = MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 640, 480, 333333);
        pin->typeUnk = world.Make<FakeUnknown>("type pUnk");
    }
    void SetCaps(SIZE min, SIZE max, int gx, int gy) {
        pin->caps.assign(1, FakeCaps{S_OK, MakeCaps(min, max, gx, gy)});
    }
    FakeFilter* camera = nullptr;
    FakePin* pin = nullptr;
};

TEST_F(SizeSupportTest, GranularityStepsFromTheMinimum) {
    SetCaps({160, 120}, {640, 480}, 160, 120);
    EXPECT_EQ(IsSizeSupported(camera, 320, 240), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 480, 360), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 400, 300), S_FALSE);
    EXPECT_EQ(IsSizeSupported(camera, 800, 600), S_FALSE);
    EXPECT_EQ(IsSizeSupported(camera, 160, 480), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 80, 60), S_FALSE);
}

TEST_F(SizeSupportTest, ZeroGranularityAcceptsOnlyMinimumAndMaximum) {
    SetCaps({160, 120}, {640, 480}, 0, 0);
    EXPECT_EQ(IsSizeSupported(camera, 160, 120), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 640, 480), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 320, 240), S_FALSE);
    // Only one granularity zero is enough to stop stepping.
    SetCaps({160, 120}, {640, 480}, 160, 0);
    EXPECT_EQ(IsSizeSupported(camera, 320, 240), S_FALSE);
    // Min and max compared as pairs: a crossed pair is no match.
    EXPECT_EQ(IsSizeSupported(camera, 160, 480), S_FALSE);
}

TEST_F(SizeSupportTest, ExtremeDeviceValuesDoNotOverflow) {
    SetCaps({-2147483647 - 1, -2147483647 - 1}, {2147483647, 2147483647}, -1, 3);
    EXPECT_EQ(IsSizeSupported(camera, 2147483647, 1), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 2147483647, 2), S_FALSE);
}

TEST_F(SizeSupportTest, CapabilityStructureOfWrongSizeIsRefused) {
    SetCaps({160, 120}, {640, 480}, 160, 120);
    pin->capsStructSize = 64;
    EXPECT_EQ(IsSizeSupported(camera, 320, 240), E_FAIL);
    pin->capsStructSize = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    pin->capsCountResult = E_NOTIMPL;
    EXPECT_EQ(IsSizeSupported(camera, 320, 240), E_NOTIMPL);
}

TEST_F(SizeSupportTest, FailingCapabilityEntriesAreSkipped) {
    pin->caps.push_back(FakeCaps{E_UNEXPECTED, MakeCaps({320, 240}, {320, 240}, 0, 0)});
    pin->caps.push_back(FakeCaps{S_OK, MakeCaps({1280, 1024}, {1280, 1024}, 0, 0)});
    pin->caps.push_back(FakeCaps{S_OK, MakeCaps({640, 480}, {640, 480}, 0, 0)});
    EXPECT_EQ(IsSizeSupported(camera, 320, 240), S_FALSE);
    EXPECT_EQ(IsSizeSupported(camera, 640, 480), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 1280, 1024), S_OK);
    pin->caps.clear();
    EXPECT_EQ(IsSizeSupported(camera, 640, 480), S_FALSE);
}

TEST_F(SizeSupportTest, WithoutStreamConfigOnlyTheWidthOfTheTypesCounts) {
    pin->hasStreamConfig = false;
    pin->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo2, 352, 288, 333333));
    pin->types.push_back(MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo2, 176, 0, 333333));
    EXPECT_EQ(IsSizeSupported(camera, 640, 240), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 640, 480), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 320, 240), S_FALSE);
    EXPECT_EQ(IsSizeSupported(camera, 352, 1), S_OK);
    EXPECT_EQ(IsSizeSupported(camera, 176, 144), S_FALSE);
}

TEST_F(SizeSupportTest, SourceWithoutUsableVideoPinOrNoSource) {
    EXPECT_EQ(IsSizeSupported(nullptr, 640, 480), E_POINTER);
    FakeFilter* stillOnly = world.Make<FakeFilter>("still camera");
    AddVideoPin(stillOnly, "still", FORMAT_VideoInfo, 0);
    EXPECT_EQ(IsSizeSupported(stillOnly, 640, 480), E_FAIL);
}

}  // namespace
