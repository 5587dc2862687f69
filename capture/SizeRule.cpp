#include "capture/SizeRule.h"

bool CapabilityAllowsSize(const CapabilityRange& range, int width, int height) {
    // 64-bit throughout: a device's extreme 32-bit values must not overflow the steps.
    const long long w = width;
    const long long h = height;
    if ((w == range.minWidth && h == range.minHeight) || (w == range.maxWidth && h == range.maxHeight)) return true;
    if (w < range.minWidth || w > range.maxWidth || h < range.minHeight || h > range.maxHeight) return false;
    if (range.granularityX == 0 || range.granularityY == 0) return false;
    return (w - range.minWidth) % range.granularityX == 0 && (h - range.minHeight) % range.granularityY == 0;
}
