// The three picture sizes: a picture smaller than the video area lies unscaled in its middle,
// a larger one fills it; a photo is never smaller than the preview; unknown settings count as
// 640 x 480.
#include <gtest/gtest.h>

#include <string>

#include "controller/PictureSize.h"

using namespace picture;

TEST(PictureSize, APictureLiesUnscaledInTheMiddleOfTheVideoAreaOrFillsIt) {
    const wchar_t* labels[kSettings] = {L"320x240", L"640x480", L"1.3M"};
    for (int setting = 0; setting < kSettings; ++setting) {
        const PictureSize& size = OfSetting(setting);
        EXPECT_EQ(size.setting, setting);
        EXPECT_EQ(std::wstring(size.label), labels[setting]);
        const bool smaller = size.preview.width < kVideoArea.width;
        const Size shown = smaller ? size.preview : kVideoArea;
        EXPECT_EQ(size.video.width, shown.width) << setting;
        EXPECT_EQ(size.video.height, shown.height) << setting;
        EXPECT_EQ(2 * size.video.left + size.video.width, kVideoArea.width) << setting;
        EXPECT_EQ(2 * size.video.top + size.video.height, kVideoArea.height) << setting;
        // Only "1.3M" takes its photos at another size than it previews at.
        EXPECT_TRUE(size.photo == (setting == 2 ? Size{1280, 1024} : size.preview)) << setting;
    }
    EXPECT_TRUE(OfSetting(0).preview == (Size{320, 240}));
    EXPECT_TRUE(OfSetting(2).preview == (Size{640, 480}) && OfSetting(2).photo == (Size{1280, 1024}));
    for (int other : {-1, 3, 1000}) EXPECT_EQ(OfSetting(other).setting, 1) << other;
}
