#include "controls/DisplayScale.h"

#include <cstdint>
#include <cstdlib>

namespace display {

int Scaled(int value, int dpi) {
    const int64_t product = static_cast<int64_t>(value) * dpi;
    const int64_t rounded = (std::llabs(product) + kDesignDpi / 2) / kDesignDpi;
    return static_cast<int>(product < 0 ? -rounded : rounded);
}

Rect Scaled(const Rect& rect, int dpi) {
    return Rect{Scaled(rect.left, dpi), Scaled(rect.top, dpi), Scaled(rect.right, dpi), Scaled(rect.bottom, dpi)};
}

int SkinSetDpi(int dpi) {
    int nearest = kSkinSetDpis[0];
    for (int set : kSkinSetDpis)
        if (std::abs(set - dpi) <= std::abs(nearest - dpi)) nearest = set;
    return nearest;
}

int SkinResourceId(int id, int setDpi) {
    switch (setDpi) {
        case 144: return id + 1000;
        case 192: return id + 2000;
        default: return id;
    }
}

}  // namespace display
