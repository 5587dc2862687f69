#pragma once
// How the camera's flip and low-light settings are read and toggled, free of the driver
// calls: the UVC control byte and the standard driver's numbered properties.
#include <array>
#include <cstdint>

namespace utility {

// UVC mode: the control byte holding flip (bit 0) and low light (bit 1).
constexpr uint16_t kFlipLowLightAddress = 0x0400;

// Standard mode: flip is properties 0 and 1 together, low light property 24, and property
// 2 a level (0 .. 126) that switching low light nudges and then restores.
constexpr uint32_t kStdFlipPropertyA = 1;
constexpr uint32_t kStdFlipPropertyB = 0;
constexpr uint32_t kStdLevelProperty = 2;
constexpr uint32_t kStdLowLightProperty = 24;
constexpr int32_t kStdLevelMax = 126;

struct CameraStates {
    bool flip = false;
    bool lowLight = false;
};

// 3: both on; 2: low light only; 1: flip only; anything else: both off.
CameraStates DecodeControlByte(uint8_t value);
// The byte ToggleFlip writes: 0 -> 1, 2 -> 3, 3 -> 2, anything else -> 0.
uint8_t ToggleFlipByte(uint8_t value);
// The byte ToggleLowLight writes: 0 -> 2, 1 -> 3, 3 -> 1, anything else -> 0.
uint8_t ToggleLowLightByte(uint8_t value);

// Flip is on when properties 0 and 1 are both 1; low light when property 24 is 1.
CameraStates StdCameraStates(int32_t property0, int32_t property1, int32_t property24);
// What a toggle sets a standard switch property to: 1 from 0, else 0 (-1, the read
// without a camera, counts as on). The new state is on when the result is 1.
int32_t ToggleStdSwitch(int32_t value);

struct StdLowLightToggle {
    int32_t lowLightValue;  // set to property 24
    bool lowLightOn;
    std::array<int32_t, 4> levels;  // set to property 2 in this order, 100 ms apart
};
// From property 24 (`lowLight`) and property 2 (`level`) as read: switching on nudges the
// level up by 10 and 20 (at most 126), switching off down (at least 0), then restores it.
StdLowLightToggle ToggleStdLowLight(int32_t lowLight, int32_t level);

}  // namespace utility
