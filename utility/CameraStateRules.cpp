#include "utility/CameraStateRules.h"

#include <algorithm>

namespace utility {

CameraStates DecodeControlByte(uint8_t value) {
    switch (value) {
    case 3:
        return {true, true};
    case 2:
        return {false, true};
    case 1:
        return {true, false};
    default:
        return {false, false};
    }
}

uint8_t ToggleFlipByte(uint8_t value) {
    switch (value) {
    case 0:
        return 1;
    case 2:
        return 3;
    case 3:
        return 2;
    default:
        return 0;
    }
}

uint8_t ToggleLowLightByte(uint8_t value) {
    switch (value) {
    case 0:
        return 2;
    case 1:
        return 3;
    case 3:
        return 1;
    default:
        return 0;
    }
}

CameraStates StdCameraStates(int32_t property0, int32_t property1, int32_t property24) {
    return {property0 == 1 && property1 == 1, property24 == 1};
}

int32_t ToggleStdSwitch(int32_t value) { return value == 0 ? 1 : 0; }

StdLowLightToggle ToggleStdLowLight(int32_t lowLight, int32_t level) {
    // 64-bit, so that a level near the ends of the 32-bit range cannot overflow.
    const int64_t b = level;
    int64_t c1, c2;
    const bool on = lowLight == 0;
    if (on) {
        c1 = std::min<int64_t>(b + 10, kStdLevelMax);
        c2 = std::min<int64_t>(b + 20, kStdLevelMax);
    } else {
        c1 = std::max<int64_t>(b - 10, 0);
        c2 = std::max<int64_t>(b - 20, 0);
    }
    const auto first = static_cast<int32_t>(c1), second = static_cast<int32_t>(c2);
    return {on ? 1 : 0, on, {first, second, first, level}};
}

}  // namespace utility
