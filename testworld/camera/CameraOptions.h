#pragma once
// The offer of the virtual camera (sizes and stream formats) as read from the text values
// of its registry key. No Windows header.
#include <optional>
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
// What the camera sends: uncompressed pixels, or MJPEG (every frame one baseline JPEG).
enum class StreamFormat { Yuy2, Rgb32, Rgb24, Mjpg };
// The pixels of an uncompressed stream format; none for MJPEG.
std::optional<filterkit::PixelFormat> PixelsOf(StreamFormat format);

// "YUY2,RGB32,RGB24,MJPG" (case-insensitive); unknown names are skipped. Empty text gives
// the default offer.
std::vector<StreamFormat> ParseFormats(const std::wstring& text);

std::vector<FrameSize> DefaultSizes();  // 320x240, 640x480, 1280x1024
std::vector<StreamFormat> DefaultFormats();  // YUY2, RGB32

struct OfferEntry {
    StreamFormat format;
    FrameSize size;
};
// Every format in every size, format by format. Uncompressed formats come only in sizes of
// at most `rawLimit`'s pixel count, when one is given: larger pictures only as MJPEG, as a
// USB camera whose bus cannot carry them uncompressed.
std::vector<OfferEntry> MakeOfferList(const std::vector<StreamFormat>& formats, const std::vector<FrameSize>& sizes,
                                      std::optional<FrameSize> rawLimit);

}  // namespace camera
