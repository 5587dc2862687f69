#pragma once
// The offer of the virtual camera (sizes and pixel formats) as read from the text values
// of its registry key. No Windows header.
#include <string>
#include <vector>

#include "components/filterkit/VideoFrame.h"

namespace camera {

struct FrameSize {
    int width;
    int height;
};

// "320x240,640x480": sizes in order; entries that do not parse, or are odd in width, zero
// or over 4096, are skipped. Empty text gives the default offer.
std::vector<FrameSize> ParseSizes(const std::wstring& text);
// "YUY2,RGB32,RGB24" (case-insensitive); unknown names are skipped. Empty text gives the
// default offer.
std::vector<filterkit::PixelFormat> ParseFormats(const std::wstring& text);

std::vector<FrameSize> DefaultSizes();  // 320x240, 640x480, 1280x1024
std::vector<filterkit::PixelFormat> DefaultFormats();  // YUY2, RGB32

}  // namespace camera
