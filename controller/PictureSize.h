#pragma once
// The three picture sizes of the camera window, by their setting (the main window's
// m_nResolution): 0 = "320x240", 1 = "640x480", 2 = "1.3M". Each has the size the preview
// runs at, the size a photo is taken at, and the video window's place in the 640 x 480
// video area. Platform-free.
namespace picture {

struct Size {
    int width, height;
    bool operator==(const Size& other) const { return width == other.width && height == other.height; }
    bool operator!=(const Size& other) const { return !(*this == other); }
};

// A rectangle as the video window is placed: its corner and its size.
struct Placement {
    int left, top, width, height;
};

struct PictureSize {
    int setting;
    const wchar_t* label;  // the resolution list's text
    Size preview;          // the preview runs at this size
    Size photo;            // a photo restarts the preview at this size when it differs
    Placement video;       // within the 640 x 480 video area: unscaled and centred, or filling it
};

constexpr int kSettings = 3;
constexpr Size kVideoArea{640, 480};

// In the order of the resolution list.
extern const PictureSize kSizes[kSettings];

// The size of `setting`; any setting other than 0, 1 and 2 counts as 1 (640 x 480).
const PictureSize& OfSetting(int setting);

}  // namespace picture
