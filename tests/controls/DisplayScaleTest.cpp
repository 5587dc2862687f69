// The one scaling rule from the 96-DPI design to a display's DPI, and every rectangle of the
// camera window and the camera panel under it: the design itself at 96 DPI, each edge scaled
// at 120, 144, 168 and 192, and the rectangles that meet at 96 DPI meeting at each of them.
#include <gtest/gtest.h>

#include "controls/DisplayScale.h"
#include "tests/support/DisplayRectPrint.h"
#include "utility/PanelLayout.h"
#include "window/FrameLayout.h"

using display::Rect;
using display::Scaled;

namespace {
constexpr int kDpis[] = {96, 120, 144, 168, 192};
}  // namespace

TEST(DisplayScale, EachCoordinateIsRoundedToTheNearestPixelHalvesAwayFromZero) {
    struct Case {
        int value, dpi, scaled;
    } cases[] = {
        {0, 144, 0},     {1, 96, 1},       {641, 96, 641},    {1, 120, 1},     {2, 120, 3},    // 1.25, 2.5
        {3, 144, 5},     {517, 144, 776},  {-3, 144, -5},     {-1, 120, -1},   {1, 144, 2},    // 4.5, 775.5, -4.5
        {7, 168, 12},    {592, 168, 1036}, {640, 192, 1280},  {50, 72, 38},    {1, 48, 1},     // 12.25, 37.5, 0.5
        {1000000, 192, 2000000},  {-1000000, 120, -1250000},  {20000, 240, 50000},
    };
    for (const Case& c : cases) EXPECT_EQ(Scaled(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
    EXPECT_EQ(Scaled(Rect{3, 1, 517, 2}, 144), (Rect{5, 2, 776, 3})) << "each edge by itself";
}

TEST(DisplayScale, TheNearestSkinSetServesADpiAndOfTwoEquallyNearTheLarger) {
    struct Case {
        int dpi, set;
    } cases[] = {{72, 96}, {96, 96}, {119, 96}, {120, 144}, {121, 144}, {144, 144},
                 {167, 144}, {168, 192}, {169, 192}, {192, 192}, {288, 192}};
    for (const Case& c : cases) EXPECT_EQ(display::SkinSetDpi(c.dpi), c.set) << c.dpi;
    EXPECT_EQ(display::SkinResourceId(312, 96), 312);
    EXPECT_EQ(display::SkinResourceId(312, 144), 1312);
    EXPECT_EQ(display::SkinResourceId(215, 192), 2215);
    EXPECT_EQ(display::SkinResourceId(215, 120), 215) << "no set is drawn at 120";
}

TEST(DisplayScale, TheCameraWindowIsItsDesignAt96DpiAndItsDesignScaledEdgeByEdgeAtEveryOther) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const auto s = [dpi](const Rect& r) { return Scaled(r, dpi); };
        const frame_layout::FrameLayout l = frame_layout::At(dpi);
        EXPECT_EQ(l.clientWidth, Scaled(640, dpi));
        EXPECT_EQ(l.clientHeightAboveScrollBar, Scaled(593, dpi));
        EXPECT_EQ(l.videoArea, s({0, 0, 640, 480}));
        EXPECT_EQ(l.controlStrip, s({0, 480, 640, 517}));
        EXPECT_EQ(l.captureButton, s({0, 483, 40, 513}));
        EXPECT_EQ(l.deleteButton, s({46, 483, 86, 513}));
        EXPECT_EQ(l.resolutionBox, s({92, 483, 178, 603}));
        EXPECT_EQ(l.logoTop, Scaled(487, dpi));
        EXPECT_EQ(l.strip, s({0, 517, 642, 592}));
        EXPECT_EQ(l.scrollBarTop, Scaled(592, dpi));
        EXPECT_EQ(frame_layout::Video(picture::OfSetting(0).video, dpi), s({160, 120, 480, 360}));
        EXPECT_EQ(frame_layout::Video(picture::OfSetting(2).video, dpi), l.videoArea);
        for (int k = 0; k < frame_layout::kSlots; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(frame_layout::Thumbnail(k, 80, 60, dpi), s({11 + 106 * k, 525, 91 + 106 * k, 585}));
            EXPECT_EQ(frame_layout::Thumbnail(k, 40, 30, dpi), s({11 + 106 * k, 525, 51 + 106 * k, 555}));
            EXPECT_EQ(frame_layout::Hit(k, dpi), s({11 + 106 * k, 525, 91 + 106 * k, 585}));
            EXPECT_EQ(frame_layout::Selection(k, dpi), s({6 + 106 * k, 520, 96 + 106 * k, 590}));
        }

        // What meets at 96 DPI meets here: no gap and no overlap between the bands, the
        // buttons on one line, the scroll bar under the strip.
        EXPECT_EQ(l.videoArea.bottom, l.controlStrip.top);
        EXPECT_EQ(l.controlStrip.bottom, l.strip.top);
        EXPECT_EQ(l.strip.bottom, l.scrollBarTop);
        EXPECT_EQ(l.scrollBarTop + Scaled(1, dpi), l.clientHeightAboveScrollBar);
        EXPECT_EQ(l.captureButton.top, l.deleteButton.top);
        EXPECT_EQ(l.deleteButton.top, l.resolutionBox.top);
        EXPECT_EQ(l.captureButton.bottom, l.deleteButton.bottom);
        EXPECT_LT(l.captureButton.right, l.deleteButton.left);
        EXPECT_LT(l.deleteButton.right, l.resolutionBox.left);
        const Rect picture = frame_layout::Video(picture::OfSetting(0).video, dpi);
        EXPECT_EQ(picture.left, l.videoArea.right - picture.right) << "the 320 x 240 picture in the middle";
        EXPECT_EQ(picture.top, l.videoArea.bottom - picture.bottom);
    }
}

TEST(DisplayScale, ThePanelIsItsDesignAt96DpiAndItsDesignScaledAtEveryOther) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const utility::PanelLayout l = utility::PanelLayoutAt(dpi);
        const auto s = [dpi](int v) { return Scaled(v, dpi); };
        EXPECT_EQ(l.width, s(42));
        EXPECT_EQ(l.height, s(162));
        const utility::PanelButtonPlace buttons[] = {l.flip, l.lowLight, l.setting};
        const int designX[] = {8, 10, 8}, designY[] = {50, 86, 120};
        for (int b = 0; b < 3; ++b) {
            SCOPED_TRACE(b);
            EXPECT_EQ(buttons[b].x, s(designX[b]));
            EXPECT_EQ(buttons[b].y, s(designY[b]));
            EXPECT_EQ(buttons[b].size, s(24));
            EXPECT_LE(buttons[b].x + buttons[b].size, l.width) << "within the panel";
            if (b > 0) {
                EXPECT_LT(buttons[b - 1].y + buttons[b - 1].size, buttons[b].y) << "apart from the one above";
            }
        }
        EXPECT_EQ(l.defaultFromRight, s(50));
        EXPECT_EQ(l.defaultFromBottom, s(200));
        EXPECT_EQ(l.propertyFrameOffset, s(30));
    }
}
