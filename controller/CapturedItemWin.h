#pragma once
// Win32 views of a CapturedItem: the path as a wide string and the frame header as a
// BITMAPINFOHEADER (same bytes on Windows, where wchar_t is UTF-16).
#include <windows.h>

#include <cstring>
#include <string>

#include "controller/CapturedItem.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");
static_assert(sizeof(BITMAPINFOHEADER) == sizeof(FrameHeader), "frame header layout");

inline void SetItemPath(CapturedItem& item, const wchar_t* path) {
    SetItemPath(item, reinterpret_cast<const char16_t*>(path));
}

inline std::wstring ItemPathW(const CapturedItem& item) {
    const std::u16string path = ItemPath(item);
    return std::wstring(path.begin(), path.end());
}

inline FrameHeader ToFrameHeader(const BITMAPINFOHEADER& bih) {
    FrameHeader header;
    std::memcpy(&header, &bih, sizeof header);
    return header;
}
