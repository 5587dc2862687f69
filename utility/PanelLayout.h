#pragma once
// The camera panel's sizes and places at a display's DPI: the 96-DPI design (a 42 x 162
// panel, three 24 x 24 buttons, a default place 50 pixels from the screen's right edge and
// 200 from its bottom, the property frame 30 pixels from its owner) scaled by the one rule
// of display::Scaled. Platform-free.
#include "controls/DisplayScale.h"
#include "utility/PanelPlacement.h"

namespace utility {

struct PanelButtonPlace {
    int x, y;  // the button's top left corner in the panel
    int size;  // its region: size x size from that corner
};

struct PanelLayout {
    int width, height;  // the panel, its region and its background picture
    PanelButtonPlace flip, lowLight, setting;
    int defaultFromRight, defaultFromBottom;  // the default place, from the screen's edges
    int propertyFrameOffset;                  // the property frame from its owner's corner
};

PanelLayout PanelLayoutAt(int dpi);

// `place` kept inside `workArea` with the panel's size at `dpi`: the DPI of the monitor it
// opens on, which may differ from the one it was made at.
PanelPosition KeepInsideAtDpi(PanelPosition place, int dpi, const ScreenRect& workArea);

}  // namespace utility
