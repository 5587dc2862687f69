#include "utility/PanelPlacement.h"

#include <algorithm>

namespace utility {

PanelPosition KeepInside(PanelPosition place, int32_t width, int32_t height, const ScreenRect& workArea) {
    place.x = std::max(std::min(place.x, workArea.right - width), workArea.left);
    place.y = std::max(std::min(place.y, workArea.bottom - height), workArea.top);
    return place;
}

}  // namespace utility
