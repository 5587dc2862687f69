#pragma once
// Where the camera panel opens: wholly inside the work area of a monitor (the screen
// without the taskbar), whatever place was saved before a monitor went or the resolution
// was lowered. Platform-free: the caller finds the monitor nearest to the panel.
#include <cstdint>

#include "utility/DriverRegistry.h"

namespace utility {

struct ScreenRect {
    int32_t left, top, right, bottom;  // right and bottom outside, as in a RECT
};

// `place` moved the least distance that puts a `width` x `height` panel inside `workArea`;
// `place` itself when the panel lies inside already. A panel larger than the area keeps
// its left and top edges inside.
PanelPosition KeepInside(PanelPosition place, int32_t width, int32_t height, const ScreenRect& workArea);

}  // namespace utility
