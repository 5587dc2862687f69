#include "controller/PictureSize.h"

namespace picture {

const PictureSize kSizes[kSettings] = {
    {0, L"320x240", {320, 240}, {320, 240}, {160, 120, 320, 240}},
    {1, L"640x480", {640, 480}, {640, 480}, {0, 0, 640, 480}},
    // "1.3M" previews at 640 x 480; only a photo runs the camera at 1280 x 1024.
    {2, L"1.3M", {640, 480}, {1280, 1024}, {0, 0, 640, 480}},
};

const PictureSize& OfSetting(int setting) { return kSizes[setting >= 0 && setting < kSettings ? setting : 1]; }

}  // namespace picture
