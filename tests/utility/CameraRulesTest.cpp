// The camera-side rules: which device is bound, the toggle tables and state decoding of both
// driver families, the standard-mode low-light sequence, and the driver byte layouts.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "utility/CameraStateRules.h"
#include "utility/DeviceMatch.h"
#include "utility/PropertyBlocks.h"

using namespace utility;

TEST(DeviceMatch, UvcPathFromItsFirstVidComparedAsFarAsItGoes) {
    const std::string usb = "\\\\?\\usb#", tail = "&pid_1234&mi_00#7&1b2f&0&0000#{65e8773d}\\global";
    const std::pair<std::string, bool> cases[] = {
        {usb + "vid_0c45" + tail, true},           {"\\\\?\\USB#VID_0C45" + tail, true},
        {usb + "VID_064E" + tail, true},           {usb + "vid_1111" + tail, false},
        {usb + "vid_1111#vid_0c45", false},        {"vid_0c45" + tail, true},  // from the first character
        {usb + "pid_0c45" + tail, false},          {usb + "vId_0C45" + tail, true},
        {usb + "vid_0c45", true},                  {usb + "vid_0c4", false},  // 7 characters left
        {usb + std::string(1, '\0') + "vid_0c45", false},
        {std::string(119, 'x') + "vid_0c45", true}, {std::string(121, 'x') + "vid_0c45", false},  // 128 bytes
    };
    for (const auto& [path, matches] : cases) EXPECT_EQ(IsUvcDevicePath(path), matches) << path;
}

TEST(DeviceMatch, FriendlyNameEqualsTheDescriptionInItsFirst24Characters) {
    const std::string desc = "Delm Halvo PC Camera Model 5", cam = "Delm Halvo Cam";
    const std::tuple<std::string, std::string, bool> cases[] = {
        {desc, desc, true}, {desc.substr(0, 24) + "-other", desc, true}, {"delm" + desc.substr(4), desc, false},
        {cam, desc, false}, {cam, cam, true},                            {cam + " 2", cam, false},
        {cam, "", false},   {cam + std::string(1, '\0') + "xyz", cam, true},
    };
    for (const auto& [name, description, matches] : cases)
        EXPECT_EQ(MatchesDriverDesc(name, description), matches) << name << " / " << description;
}

TEST(CameraStates, UvcByteTogglesAndDecoding) {
    // byte, Flip writes, Low Light writes, flip, low light
    const int cases[][5] = {{0, 1, 2, 0, 0}, {1, 0, 3, 1, 0}, {2, 3, 0, 0, 1},
                            {3, 2, 1, 1, 1}, {4, 0, 0, 0, 0}, {255, 0, 0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ToggleFlipByte(uint8_t(c[0])), c[1]) << c[0];
        EXPECT_EQ(ToggleLowLightByte(uint8_t(c[0])), c[2]) << c[0];
        EXPECT_EQ(DecodeControlByte(uint8_t(c[0])).flip, c[3] == 1) << c[0];
        EXPECT_EQ(DecodeControlByte(uint8_t(c[0])).lowLight, c[4] == 1) << c[0];
    }
}

TEST(CameraStates, StandardSwitchesInvertAndFlipNeedsBothPropertiesAtOne) {
    const int switches[][2] = {{0, 1}, {1, 0}, {2, 0}, {-1, 0}};
    for (const auto& s : switches) EXPECT_EQ(ToggleStdSwitch(s[0]), s[1]) << s[0];
    // property 0, property 1, property 24, flip, low light
    const int states[][5] = {{1, 1, 1, 1, 1}, {1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {2, 1, 2, 0, 0}, {-1, -1, -1, 0, 0}};
    for (const auto& s : states) {
        EXPECT_EQ(StdCameraStates(s[0], s[1], s[2]).flip, s[3] == 1) << s[0] << "," << s[1];
        EXPECT_EQ(StdCameraStates(s[0], s[1], s[2]).lowLight, s[4] == 1) << s[2];
    }
}

TEST(CameraStates, StandardLowLightNudgesTheLevelWithinItsRangeThenRestoresIt) {
    struct Case {
        int32_t lowLight, level;
        bool on;
        std::array<int32_t, 4> levels;
    } cases[] = {
        {0, 120, true, {126, 126, 126, 120}}, {1, 5, false, {0, 0, 0, 5}},  {0, 100, true, {110, 120, 110, 100}},
        {1, 50, false, {40, 30, 40, 50}},     {1, 15, false, {5, 0, 5, 15}},
        {-1, -1, false, {0, 0, 0, -1}},  // no camera: -1 counts as on
        {0, INT_MAX, true, {126, 126, 126, INT_MAX}}, {2, INT_MIN, false, {0, 0, 0, INT_MIN}},
    };
    for (const Case& c : cases) {
        const StdLowLightToggle toggle = ToggleStdLowLight(c.lowLight, c.level);
        EXPECT_EQ(toggle.lowLightOn, c.on) << c.lowLight << "/" << c.level;
        EXPECT_EQ(toggle.lowLightValue, c.on ? 1 : 0) << c.lowLight << "/" << c.level;
        EXPECT_EQ(toggle.levels, c.levels) << c.lowLight << "/" << c.level;
    }
}

TEST(PropertyBlocks, LayoutsAreLittleEndianAtTheirOffsets) {
    const auto hex = [](const auto& bytes) {
        std::string text;
        for (const uint8_t b : bytes) text += "0123456789abcdef"[b >> 4], text += "0123456789abcdef"[b & 15];
        return text;
    };
    const std::string zero4 = "00000000", stdSet = "29f70ad8237c104ebc5f1d8c157f96e3";
    EXPECT_EQ(hex(EncodeStdPropertyBlock(24, PropertyAccess::Set, -1)),
              stdSet + "18000000" + "02000000" + "ffffffff" + zero4 + zero4 + zero4);
    EXPECT_EQ(DecodeStdPropertyValue(EncodeStdPropertyBlock(2, PropertyAccess::Get, 126)), 126);
    const std::string unit = "7033f02811632e4aba2c6890eb334016" "01000000";  // set, property 1
    EXPECT_EQ(hex(EncodeExtensionUnitRequest(PropertyAccess::Set)), unit + "02000010" + "01000000" + zero4);
    EXPECT_EQ(hex(EncodeExtensionUnitRequest(PropertyAccess::Get)), unit + "01000010" + "01000000" + zero4);
    EXPECT_EQ(hex(EncodeExtensionUnitData(0x0400, kExtensionUnitSelectForRead)), "000400ff");
    EXPECT_EQ(hex(EncodeExtensionUnitData(0x0400, 3)), "00040300");
    EXPECT_EQ(DecodeExtensionUnitByte({0, 4, 2, 0}), 2);
    EXPECT_EQ(hex(EncodeFallbackBlock(PropertyAccess::Set, 0x0400, 3)),
              std::string(40, '0') + "02000000" + "00040000" + "03000000" + zero4 + zero4);
    EXPECT_EQ(DecodeFallbackByte(EncodeFallbackBlock(PropertyAccess::Get, 0x0400, 0x1234)), 0x34);
}
