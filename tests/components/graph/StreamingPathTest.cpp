// The effect filter's streaming path with a counting renderer: pass-through formats reach
// the renderer without a buffer of the effect's own (no copy); RGB24 is converted into one.
#include <gtest/gtest.h>

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
