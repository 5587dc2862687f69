#pragma once
// Where everything of the camera window lies, in client coordinates, at a display's DPI:
// the 96-DPI design (a 640 x 480 video area, the control strip with the two buttons and the
// resolution list, the thumbnail strip with six slots, the scroll bar under it) scaled by
// the one rule of display::Scaled. Platform-free.
#include "controller/PictureSize.h"
#include "controls/DisplayScale.h"

namespace frame_layout {

constexpr int kSlots = 6;  // thumbnails shown at once

struct FrameLayout {
    int clientWidth;
    // The client area is this high plus the scroll bar's height at the DPI.
    int clientHeightAboveScrollBar;
    display::Rect videoArea;      // the video window's area, grey while no picture is shown
    display::Rect controlStrip;   // light, under the video area
    display::Rect captureButton;
    display::Rect deleteButton;
    display::Rect resolutionBox;  // with its open list
    int logoTop;                  // the logo's right edge is the client area's
    display::Rect strip;          // the thumbnail strip, repainted whenever the thumbnails change
    int scrollBarTop;             // the scroll bar runs from here over the client area's width
};

FrameLayout At(int dpi);

// Slot `slot`'s thumbnail of `width` x `height` (design pixels, 80 x 60 as stored).
display::Rect Thumbnail(int slot, int width, int height, int dpi);
// The frame image behind a selected thumbnail (90 x 70 at 96 DPI).
display::Rect Selection(int slot, int dpi);
// Where a click hits slot `slot`: a fixed 80 x 60 at 96 DPI, whatever the thumbnail size.
display::Rect Hit(int slot, int dpi);
// The video window of a picture size within the video area.
display::Rect Video(const picture::Placement& placement, int dpi);

}  // namespace frame_layout
