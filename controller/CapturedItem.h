#pragma once
// CapturedItem: one captured photo, the element of the main window's m_items and, byte for
// byte, the record of the settings file. Platform-free: the path is UTF-16 in char16_t
// (wchar_t has 4 bytes off Windows) and the frame header is a plain struct with the layout
// of BITMAPINFOHEADER (CapturedItemWin.h converts both for Win32 calls).
#include <cstddef>
#include <cstdint>
#include <string>

// Layout of BITMAPINFOHEADER: 40 bytes, no padding.
struct FrameHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

constexpr size_t kItemPathLength = 260;       // characters, terminator included
constexpr size_t kItemThumbnailBytes = 43200;  // room; 80 x 60 x 4 = 19200 are used

struct CapturedItem {
    int32_t kind;       // m_nCaptureKind at capture time; 2 for a photo
    int32_t selected;   // 1 while selected in the thumbnail strip
    char16_t path[kItemPathLength];  // full path of the photo, terminated
    FrameHeader header;              // the whole captured frame
    uint8_t thumbnail[kItemThumbnailBytes];  // 32-bit pixels, top row first
};

constexpr size_t kCapturedItemSize = 43768;

static_assert(sizeof(FrameHeader) == 40, "BITMAPINFOHEADER layout");
static_assert(offsetof(FrameHeader, biWidth) == 4 && offsetof(FrameHeader, biHeight) == 8 &&
                  offsetof(FrameHeader, biPlanes) == 12 && offsetof(FrameHeader, biBitCount) == 14 &&
                  offsetof(FrameHeader, biCompression) == 16 && offsetof(FrameHeader, biSizeImage) == 20 &&
                  offsetof(FrameHeader, biXPelsPerMeter) == 24 &&
                  offsetof(FrameHeader, biYPelsPerMeter) == 28 && offsetof(FrameHeader, biClrUsed) == 32 &&
                  offsetof(FrameHeader, biClrImportant) == 36,
              "BITMAPINFOHEADER field offsets");
static_assert(sizeof(char16_t) == 2, "paths are 16-bit characters");
static_assert(sizeof(CapturedItem) == kCapturedItemSize, "settings file record size");
static_assert(offsetof(CapturedItem, kind) == 0 && offsetof(CapturedItem, selected) == 4 &&
                  offsetof(CapturedItem, path) == 8 && offsetof(CapturedItem, header) == 528 &&
                  offsetof(CapturedItem, thumbnail) == 568,
              "settings file record layout");

// A record with every byte zero (the bytes without meaning are written as zeros).
CapturedItem MakeEmptyItem();

// Copies `path` into the record, cut to 259 characters, and zeroes the rest of the field.
void SetItemPath(CapturedItem& item, const char16_t* path);
// The path up to its terminator, or all 260 characters when there is none.
std::u16string ItemPath(const CapturedItem& item);
// Puts a terminator into the last character when the path has none inside its 260.
void TerminateItemPath(CapturedItem& item);

// The header of a bottom-up 32-bit frame of width x height, as a photo records it.
FrameHeader MakeFrameHeader(int32_t width, int32_t height);
