#include "controls/BitmapRegion.h"

void CopyBitmapRegion(HDC dc, UniqueBitmap& destination, HBITMAP source, const RECT& rect) {
    if (!source) return;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    destination.Reset(::CreateCompatibleBitmap(dc, width, height));
    UniqueMemoryDC target(::CreateCompatibleDC(dc));
    UniqueMemoryDC from(::CreateCompatibleDC(dc));
    if (!destination || !target || !from) return;
    SelectObjectGuard targetBitmap(target.Get(), destination.Get());
    SelectObjectGuard sourceBitmap(from.Get(), source);
    ::StretchBlt(target.Get(), 0, 0, width, height, from.Get(), 0, 0, width, height, SRCCOPY);
}
