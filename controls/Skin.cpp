#include "controls/Skin.h"

#include <vector>

#include "controls/DisplayScale.h"
#include "framework/Trace.h"
#include "imaging/Resample.h"

namespace {
constexpr wchar_t kArea[] = L"skins";

// The 96-DPI size of bitmap `id`: its 100 % set's header, read without making a bitmap.
bool DesignSize(HINSTANCE instance, int id, SIZE& size) {
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(::LockResource(loaded)) : nullptr;
    if (!header || ::SizeofResource(instance, found) < sizeof(BITMAPINFOHEADER)) return false;
    size = SIZE{header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight};
    return size.cx > 0 && size.cy > 0;
}

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// `loaded` resized to `width` x `height`, frame by frame.
UniqueBitmap Resized(HBITMAP loaded, int width, int height, int frames) {
    BITMAP from{};
    if (!::GetObjectW(loaded, sizeof(from), &from)) return UniqueBitmap();
    std::vector<uint8_t> source(static_cast<size_t>(from.bmWidth) * from.bmHeight * 4);
    BITMAPINFO sourceInfo = TopDown32(from.bmWidth, from.bmHeight);
    WindowDC screen(nullptr);
    if (::GetDIBits(screen.Get(), loaded, 0, static_cast<UINT>(from.bmHeight), source.data(), &sourceInfo,
                    DIB_RGB_COLORS) != from.bmHeight)
        return UniqueBitmap();

    BITMAPINFO targetInfo = TopDown32(width, height);
    void* bits = nullptr;
    UniqueBitmap resized(::CreateDIBSection(screen.Get(), &targetInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!resized || !bits) return UniqueBitmap();
    const int sourceFrame = from.bmWidth / frames, targetFrame = width / frames;
    for (int k = 0; k < frames; ++k) {
        const imaging::PixelView in{source.data() + static_cast<size_t>(k) * sourceFrame * 4, sourceFrame,
                                    from.bmHeight, static_cast<size_t>(from.bmWidth) * 4};
        const imaging::PixelRect out{static_cast<uint8_t*>(bits) + static_cast<size_t>(k) * targetFrame * 4,
                                     targetFrame, height, static_cast<size_t>(width) * 4};
        if (!imaging::Resample(in, out)) return UniqueBitmap();
    }
    ::GdiFlush();
    return resized;
}
}  // namespace

UniqueBitmap LoadSkin(HINSTANCE instance, int id, int dpi, int frames, UINT loadFlags) {
    if (frames < 1) frames = 1;
    SIZE design{};
    if (!DesignSize(instance, id, design)) {
        TraceFailure(kArea, L"find a bitmap", HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
        return UniqueBitmap();
    }
    const auto load = [&](int resource) {
        return UniqueBitmap(static_cast<HBITMAP>(::LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0,
                                                              0, LR_CREATEDIBSECTION | loadFlags)));
    };
    UniqueBitmap loaded = load(display::SkinResourceId(id, display::SkinSetDpi(dpi)));
    if (!loaded) loaded = load(id);  // a set without this bitmap: the 100 % one, resized
    if (!loaded) return loaded;

    const int width = display::Scaled(design.cx / frames, dpi) * frames;
    const int height = display::Scaled(design.cy, dpi);
    BITMAP size{};
    if (::GetObjectW(loaded.Get(), sizeof(size), &size) && size.bmWidth == width && size.bmHeight == height)
        return loaded;
    UniqueBitmap resized = Resized(loaded.Get(), width, height, frames);
    if (!resized) TraceFailure(kArea, L"resize a bitmap", E_FAIL);
    return resized ? std::move(resized) : std::move(loaded);
}

void ShowSkinInStatic(HWND staticControl, UniqueBitmap& shown, UniqueBitmap picture) {
    const HBITMAP previous = reinterpret_cast<HBITMAP>(
        ::SendMessageW(staticControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.Get())));
    if (previous && previous != shown.Get() && previous != picture.Get()) UniqueBitmap given(previous);
    shown = std::move(picture);  // the picture shown before, ours, goes only now
}
