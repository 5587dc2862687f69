#include "controller/CapturedItem.h"

#include <cstring>

CapturedItem MakeEmptyItem() {
    CapturedItem item;
    std::memset(&item, 0, sizeof item);
    return item;
}

void SetItemPath(CapturedItem& item, const char16_t* path) {
    size_t i = 0;
    for (; i + 1 < kItemPathLength && path[i] != 0; ++i) item.path[i] = path[i];
    for (; i < kItemPathLength; ++i) item.path[i] = 0;
}

std::u16string ItemPath(const CapturedItem& item) {
    size_t n = 0;
    while (n < kItemPathLength && item.path[n] != 0) ++n;
    return std::u16string(item.path, n);
}

void TerminateItemPath(CapturedItem& item) {
    for (char16_t c : item.path)
        if (c == 0) return;
    item.path[kItemPathLength - 1] = 0;
}

FrameHeader MakeFrameHeader(int32_t width, int32_t height) {
    FrameHeader h{};
    h.biSize = sizeof(FrameHeader);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = 0;
    h.biSizeImage = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4u;
    return h;
}
