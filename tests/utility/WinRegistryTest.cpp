// The system's registry behind the registry layer, on a throwaway key under
// HKEY_LOCAL_MACHINE that every test creates and deletes: exact value lengths, the buffer
// limit, access masks, the Wow6432Node probe, and the layer's operations end to end.
#include "utility/WinRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "utility/DriverRegistry.h"

using namespace utility;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr char kTestKey[] = "SOFTWARE\\DelmHalvoTest";
constexpr char kInstanceKey[] = "SOFTWARE\\DelmHalvoTest\\Instance";

Bytes Text(const std::string& text) { return {text.begin(), text.end()}; }

class WinRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstanceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    m_instance.Put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_ALL_ACCESS, m_key.Put()), ERROR_SUCCESS);
    }
    void TearDown() override {
        m_key.Reset();
        m_instance.Reset();
        EXPECT_EQ(::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey), ERROR_SUCCESS);
    }
    // RegSetValueExA counts a NUL that directly follows a string's bytes (as Windows does),
    // so a string is written from a buffer whose next byte is not NUL.
    static void Write(HKEY key, const char* name, DWORD type, const Bytes& bytes) {
        Bytes buffer = bytes;
        buffer.push_back('!');
        ASSERT_EQ(::RegSetValueExA(key, name, 0, type, buffer.data(), DWORD(bytes.size())), ERROR_SUCCESS);
    }

    WinRegistry m_registry;
    UniqueHKey m_key, m_instance;
};

}  // namespace

TEST_F(WinRegistryTest, ValuesComeBackWithExactlyTheBytesStoredUpToTheBuffer) {
    Write(m_key.Get(), "Binary", REG_BINARY, Text("abc"));
    Write(m_key.Get(), "Text", REG_SZ, Text("xyz"));
    Write(m_key.Get(), "Terminated", REG_SZ, Text(std::string("hello", 6)));
    Write(m_key.Get(), "Empty", REG_BINARY, {});
    Write(m_key.Get(), "Long", REG_BINARY, Bytes(300, 7));
    const auto key = m_registry.OpenLocalMachineKey(kTestKey, KEY_READ);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->QueryValue("Binary", 256), Text("abc"));
    EXPECT_EQ(key->QueryValue("Text", 3), Text("xyz")) << "unterminated REG_SZ";
    EXPECT_EQ(key->QueryValue("Terminated", 256), Text(std::string("hello", 6)));
    EXPECT_EQ(key->QueryValue("Empty", 0), Bytes{});
    EXPECT_EQ(key->QueryValue("Binary", 0), std::nullopt);
    EXPECT_EQ(key->QueryValue("Long", 256), std::nullopt) << "larger than the buffer";
    EXPECT_EQ(key->QueryValue("Long", 300), Bytes(300, 7));
    EXPECT_EQ(key->QueryValue("Missing", 256), std::nullopt);
}

TEST_F(WinRegistryTest, KeysOpenOnlyWhereTheyExistAndAreWrittenOnlyWithSetValue) {
    EXPECT_EQ(m_registry.OpenLocalMachineKey("SOFTWARE\\DelmHalvoTest\\Missing", KEY_READ), nullptr);
    EXPECT_FALSE(m_registry.OpenLocalMachineKey(kTestKey, KEY_READ)->SetDwordValue("PointX", 1));
    const auto writable = m_registry.OpenLocalMachineKey(kTestKey, KEY_READ | KEY_SET_VALUE);
    ASSERT_TRUE(writable->SetDwordValue("PointX", 0xFFFFFFFB));
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(::RegGetValueA(m_key.Get(), nullptr, "PointX", RRF_RT_REG_DWORD, nullptr, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 0xFFFFFFFBu);
    EXPECT_EQ(ProbeDriverKeyAccess(m_registry), DWORD(KEY_READ | KEY_WOW64_64KEY)) << "a wine64 prefix is 64-bit";

    // The user's own keys: opened only when there, unless made.
    constexpr char kUserKey[] = "Software\\DelmHalvoTest\\User";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\DelmHalvoTest");
    EXPECT_EQ(m_registry.OpenUserKey(kUserKey, false), nullptr);
    ASSERT_TRUE(m_registry.OpenUserKey(kUserKey, true)->SetDwordValue("PointY", 7));
    EXPECT_EQ(m_registry.OpenUserKey(kUserKey, false)->QueryValue("PointY", 4), (Bytes{7, 0, 0, 0}));
    EXPECT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\DelmHalvoTest"), ERROR_SUCCESS);
}

TEST_F(WinRegistryTest, TheLayerFindsTheInstanceKeyAndKeepsThePanelPositionThere) {
    Write(m_key.Get(), "InstanceIndex", REG_BINARY, {2});
    Write(m_key.Get(), "ii0002", REG_SZ, Text(std::string("\\Registry\\MACHINE\\") + kInstanceKey));
    Write(m_instance.Get(), "SnapShotState", REG_DWORD, {3, 0, 0, 0});
    const auto driverKey = m_registry.OpenLocalMachineKey(kTestKey, DriverKeyAccess(true));
    ASSERT_NE(driverKey, nullptr);
    EXPECT_EQ(FindInstanceKeyPath(driverKey.get()), kInstanceKey);
    EXPECT_TRUE(IsSnapshotActive(m_registry, driverKey.get()));
    ASSERT_TRUE(SavePanelPosition(m_registry, driverKey.get(), {-5, 300}));
    const PanelPosition position = LoadPanelPosition(m_registry, driverKey.get(), {0, 0});
    EXPECT_EQ(position.x, -5);
    EXPECT_EQ(position.y, 300);
}
