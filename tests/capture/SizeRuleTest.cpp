// The capability size rule, natively under the sanitizers (extreme values must not overflow).
#include <gtest/gtest.h>

#include <climits>

#include "capture/SizeRule.h"

namespace {

CapabilityRange Range(long long minW, long long minH, long long maxW, long long maxH, long long gx, long long gy) {
    CapabilityRange range;
    range.minWidth = minW;
    range.minHeight = minH;
    range.maxWidth = maxW;
    range.maxHeight = maxH;
    range.granularityX = gx;
    range.granularityY = gy;
    return range;
}

TEST(SizeRuleTest, StepsCountFromTheMinimumInBothDirections) {
    const CapabilityRange range = Range(160, 120, 640, 480, 160, 120);
    int accepted = 0;
    for (int w = 0; w <= 800; w += 8)
        for (int h = 0; h <= 600; h += 8)
            if (CapabilityAllowsSize(range, w, h)) {
                ++accepted;
                EXPECT_EQ((w - 160) % 160, 0) << w << "x" << h;
                EXPECT_EQ((h - 120) % 120, 0) << w << "x" << h;
            }
    EXPECT_EQ(accepted, 4 * 4);  // widths 160..640 by 160, heights 120..480 by 120
    EXPECT_FALSE(CapabilityAllowsSize(range, 400, 300));
    // A minimum that is no multiple of the step: steps still count from it.
    const CapabilityRange odd = Range(100, 90, 900, 900, 160, 120);
    EXPECT_TRUE(CapabilityAllowsSize(odd, 260, 210));
    EXPECT_FALSE(CapabilityAllowsSize(odd, 320, 210));
    EXPECT_FALSE(CapabilityAllowsSize(odd, 260, 240));
}

TEST(SizeRuleTest, WithoutBothGranularitiesOnlyTheEndsMatch) {
    for (const CapabilityRange& range : {Range(160, 120, 640, 480, 0, 0), Range(160, 120, 640, 480, 160, 0),
                                         Range(160, 120, 640, 480, 0, 120)}) {
        EXPECT_TRUE(CapabilityAllowsSize(range, 160, 120));
        EXPECT_TRUE(CapabilityAllowsSize(range, 640, 480));
        EXPECT_FALSE(CapabilityAllowsSize(range, 320, 240));
        EXPECT_FALSE(CapabilityAllowsSize(range, 160, 480));
    }
}

TEST(SizeRuleTest, ExtremeDeviceValuesStayDefined) {
    const CapabilityRange range = Range(INT_MIN, INT_MIN, INT_MAX, INT_MAX, -1, LLONG_MIN + 1);
    EXPECT_TRUE(CapabilityAllowsSize(range, INT_MAX, INT_MIN));
    EXPECT_TRUE(CapabilityAllowsSize(range, INT_MAX, INT_MAX));  // the maximum itself
    EXPECT_FALSE(CapabilityAllowsSize(range, INT_MAX, INT_MAX - 1));
    EXPECT_TRUE(CapabilityAllowsSize(Range(INT_MIN, 0, INT_MAX, 0, 1, 1), INT_MAX, 0));
    EXPECT_FALSE(CapabilityAllowsSize(Range(0, 0, 0, 0, 0, 0), INT_MIN, INT_MIN));
}

}  // namespace
