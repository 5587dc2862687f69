// The hover button's frame for every layout, on flag, press and hover.
#include <gtest/gtest.h>

#include "controls/HoverFrame.h"

TEST(HoverFrame, PressedThenHoverThenOnChooseTheFrame) {
    // six frames, on, pressed, hovering, frame
    const int cases[][5] = {{1, 1, 1, 0, 5}, {1, 1, 1, 1, 5}, {1, 1, 0, 1, 4}, {1, 1, 0, 0, 3}, {1, 0, 1, 0, 2},
                            {1, 0, 1, 1, 2}, {1, 0, 0, 1, 1}, {1, 0, 0, 0, 0}, {0, 0, 1, 0, 3}, {0, 1, 1, 1, 3},
                            {0, 0, 0, 1, 1}, {0, 1, 0, 1, 1}, {0, 1, 0, 0, 2}, {0, 0, 0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(HoverButtonFrame(c[0], c[1], c[2], c[3]), c[4])
            << "six " << c[0] << " on " << c[1] << " pressed " << c[2] << " hovering " << c[3];
}
