#include "utility/PanelLayout.h"

namespace utility {

PanelLayout PanelLayoutAt(int dpi) {
    const auto s = [dpi](int value) { return display::Scaled(value, dpi); };
    const auto button = [&](int x, int y) { return PanelButtonPlace{s(x), s(y), s(24)}; };
    return PanelLayout{s(42), s(162), button(8, 50), button(10, 86), button(8, 120), s(50), s(200), s(30)};
}

PanelPosition KeepInsideAtDpi(PanelPosition place, int dpi, const ScreenRect& workArea) {
    const PanelLayout layout = PanelLayoutAt(dpi);
    return KeepInside(place, layout.width, layout.height, workArea);
}

}  // namespace utility
