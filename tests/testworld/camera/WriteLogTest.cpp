// The camera's write log: what the button utility wrote through the camera's property
// sets, in the order it wrote it, kept in the registry across the re-binding before every
// action.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testworld/camera/CameraControls.h"
#include "testworld/camera/CameraRegistry.h"
#include "tests/components/support/ComponentWorld.h"

namespace components_test {
namespace {

using Log = std::vector<std::wstring>;

class WriteLogTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CameraDll().LiveObjects(), 0); }

    // Each call binds the camera afresh, as the utility does for every action.
    static HRESULT PropertySet(bool set, const GUID& propertySet, DWORD id, DWORD at24, DWORD at28,
                               DWORD bytes = 40) {
        ComPtr<IBaseFilter> filter = BindVirtualCamera();
        ComPtr<IKsPropertySet> props;
        if (!filter || FAILED(filter.As(props))) return E_NOINTERFACE;
        BYTE block[40] = {};
        std::memcpy(block + 24, &at24, 4);
        std::memcpy(block + 28, &at28, 4);
        DWORD returned = 0;
        return set ? props->Set(propertySet, id, block, 40, block, bytes)
                   : props->Get(propertySet, id, block, 40, block, bytes, &returned);
    }
    static HRESULT ExtensionUnit(ULONG flags, unsigned address, unsigned second, ULONG node = 1) {
        ComPtr<IBaseFilter> filter = BindVirtualCamera();
        ComPtr<camera::KsControlInterface> control;
        if (!filter || FAILED(filter.QueryTo(camera::kIID_IKsControl, control.PutVoid()))) return E_NOINTERFACE;
        struct {
            GUID set;
            ULONG id, flags, node, reserved;
        } request = {camera::kExtensionUnitSet, 1, flags, node, 0};
        BYTE data[4] = {static_cast<BYTE>(address), static_cast<BYTE>(address >> 8), static_cast<BYTE>(second),
                        static_cast<BYTE>(second >> 8)};
        ULONG returned = 0;
        return control->KsProperty(&request, sizeof(request), data, sizeof(data), &returned);
    }
    static constexpr ULONG kSet = 0x10000002, kGet = 0x10000001;

    CameraSettings m_settings;  // an empty camera key, so an empty log, for every test
};

TEST_F(WriteLogTest, AcceptedWritesOfEverySetAreLoggedInOrderAndNothingElse) {
    using camera::kByteFallbackSet;
    using camera::kStandardPropertySet;
    ASSERT_EQ(PropertySet(true, kStandardPropertySet, 1, 0, 0), S_OK);
    ASSERT_EQ(ExtensionUnit(kSet, 0x0400, 0xFF00), S_OK);  // selects the address for reading
    ASSERT_EQ(ExtensionUnit(kGet, 0, 0), S_OK);
    ASSERT_EQ(ExtensionUnit(kSet, 0x0400, 0x0003), S_OK);
    ASSERT_EQ(PropertySet(true, kByteFallbackSet, 0, 0x0400, 0), S_OK);  // selects the address for reading
    ASSERT_EQ(PropertySet(false, kByteFallbackSet, 0, 0, 0), S_OK);
    ASSERT_EQ(PropertySet(true, kByteFallbackSet, 1, 0x0400, 1), S_OK);
    ASSERT_EQ(PropertySet(false, kStandardPropertySet, 2, 0, 0), S_OK);
    ASSERT_EQ(PropertySet(true, kStandardPropertySet, 2, 126, 0), S_OK);
    ASSERT_EQ(ExtensionUnit(kSet, 0x12AB, 0x00FE), S_OK);
    // Writes the camera refuses change nothing, so they are not logged either.
    EXPECT_EQ(PropertySet(true, kStandardPropertySet, 24, 1, 0, 39), E_INVALIDARG);
    EXPECT_EQ(PropertySet(true, kByteFallbackSet, 2, 0x0400, 1), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(ExtensionUnit(kSet, 0x0400, 0x0001, 2), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(PropertySet(true, camera::kExtensionUnitSet, 1, 0x0400, 1), E_PROP_SET_UNSUPPORTED);

    const Log expected = {L"std 1 0", L"xu 0400 03", L"fallback 0400 01", L"std 2 126", L"xu 12AB FE"};
    EXPECT_EQ(camera::ReadWriteLog(), expected);
    EXPECT_EQ(camera::TakeWriteLog(), expected);  // reading alone did not clear it
    EXPECT_EQ(camera::ReadWriteLog(), Log());
    EXPECT_EQ(camera::TakeWriteLog(), Log());
    // The log starts again after being taken.
    ASSERT_EQ(PropertySet(true, kStandardPropertySet, 24, 1, 0), S_OK);
    EXPECT_EQ(camera::TakeWriteLog(), Log{L"std 24 1"});
    EXPECT_EQ(camera::ReadStdProperty(24), 1u);
}

TEST_F(WriteLogTest, LogKeepsOnlyTheLatestEntries) {
    ComPtr<IBaseFilter> filter = BindVirtualCamera();
    ComPtr<IKsPropertySet> props;
    ASSERT_EQ(filter.As(props), S_OK);
    const DWORD writes = static_cast<DWORD>(camera::kWriteLogEntries) + 44;
    for (DWORD value = 0; value < writes; ++value) {
        BYTE block[40] = {};
        std::memcpy(block + 24, &value, 4);
        ASSERT_EQ(props->Set(camera::kStandardPropertySet, 2, block, 40, block, 40), S_OK) << value;
    }
    const Log log = camera::TakeWriteLog();
    ASSERT_EQ(log.size(), camera::kWriteLogEntries);
    EXPECT_EQ(log.front(), L"std 2 44");
    EXPECT_EQ(log.back(), L"std 2 " + std::to_wstring(writes - 1));
}

}  // namespace
}  // namespace components_test
