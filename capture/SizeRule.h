#pragma once
// Whether one capability entry of a capture pin offers a size: the minimum or the maximum
// exactly, or a size inside the range reached from the minimum in whole granularity steps
// (both granularities nonzero). Plain C++: no platform header.

struct CapabilityRange {
    long long minWidth = 0;
    long long minHeight = 0;
    long long maxWidth = 0;
    long long maxHeight = 0;
    long long granularityX = 0;
    long long granularityY = 0;
};

bool CapabilityAllowsSize(const CapabilityRange& range, int width, int height);
