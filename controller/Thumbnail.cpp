#include "controller/Thumbnail.h"

UniqueBitmap MakeThumbnail(BITMAPINFOHEADER& header, const BYTE* pixels, int targetWidth, int targetHeight) {
    const BITMAPINFOHEADER frame = header;
    header.biWidth = targetWidth;
    header.biHeight = targetHeight;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap thumbnail(::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                              &bits, nullptr, 0));
    header.biWidth = frame.biWidth;
    header.biHeight = frame.biHeight;
    header.biBitCount = frame.biBitCount;
    header.biCompression = frame.biCompression;
    if (!thumbnail) return thumbnail;

    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    if (!dc) return UniqueBitmap();
    {
        SelectObjectGuard selected(dc.Get(), thumbnail.Get());
        ::SetStretchBltMode(dc.Get(), COLORONCOLOR);
        ::StretchDIBits(dc.Get(), 0, 0, targetWidth, targetHeight, 0, 0, header.biWidth, header.biHeight, pixels,
                        reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, SRCCOPY);
    }
    return thumbnail;
}
