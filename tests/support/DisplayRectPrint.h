#pragma once
// display::Rect in test failure messages as "(left, top)-(right, bottom)".
#include <ostream>

#include "controls/DisplayScale.h"

namespace display {
inline void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}
}  // namespace display
