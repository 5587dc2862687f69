#include "testworld/camera/CameraOptions.h"

#include <cwctype>

namespace camera {
namespace {

std::vector<std::wstring> SplitList(const std::wstring& text) {
    std::vector<std::wstring> items;
    std::wstring item;
    for (wchar_t c : text + L",") {
        if (c == L',' || c == L';' || c == L' ') {
            if (!item.empty()) items.push_back(item);
            item.clear();
        } else {
            item += static_cast<wchar_t>(std::towupper(c));
        }
    }
    return items;
}

bool ParseNumber(const std::wstring& text, int& value) {
    if (text.empty() || text.size() > 5) return false;
    value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    return true;
}

}  // namespace

std::vector<FrameSize> DefaultSizes() { return {{320, 240}, {640, 480}, {1280, 1024}}; }

std::vector<StreamFormat> DefaultFormats() { return {StreamFormat::Yuy2, StreamFormat::Rgb32}; }

std::optional<filterkit::PixelFormat> PixelsOf(StreamFormat format) {
    switch (format) {
        case StreamFormat::Yuy2: return filterkit::PixelFormat::Yuy2;
        case StreamFormat::Rgb32: return filterkit::PixelFormat::Rgb32;
        case StreamFormat::Rgb24: return filterkit::PixelFormat::Rgb24;
        case StreamFormat::Mjpg: break;
    }
    return std::nullopt;
}

std::vector<FrameSize> ParseSizes(const std::wstring& text) {
    const std::vector<std::wstring> items = SplitList(text);
    if (items.empty()) return DefaultSizes();
    std::vector<FrameSize> sizes;
    for (const std::wstring& item : items) {
        const size_t x = item.find(L'X');
        int w = 0, h = 0;
        if (x == std::wstring::npos || !ParseNumber(item.substr(0, x), w) || !ParseNumber(item.substr(x + 1), h))
            continue;
        if (w <= 0 || h <= 0 || w > 4096 || h > 4096 || (w % 2) != 0) continue;
        sizes.push_back({w, h});
    }
    return sizes;
}

std::vector<StreamFormat> ParseFormats(const std::wstring& text) {
    const std::vector<std::wstring> items = SplitList(text);
    if (items.empty()) return DefaultFormats();
    std::vector<StreamFormat> formats;
    for (const std::wstring& item : items) {
        if (item == L"YUY2")
            formats.push_back(StreamFormat::Yuy2);
        else if (item == L"RGB32")
            formats.push_back(StreamFormat::Rgb32);
        else if (item == L"RGB24")
            formats.push_back(StreamFormat::Rgb24);
        else if (item == L"MJPG")
            formats.push_back(StreamFormat::Mjpg);
    }
    return formats;
}

std::vector<OfferEntry> MakeOfferList(const std::vector<StreamFormat>& formats, const std::vector<FrameSize>& sizes,
                                      std::optional<FrameSize> rawLimit) {
    const auto pixels = [](FrameSize size) { return static_cast<long long>(size.width) * size.height; };
    std::vector<OfferEntry> offer;
    for (StreamFormat format : formats)
        for (FrameSize size : sizes)
            if (!PixelsOf(format) || !rawLimit || pixels(size) <= pixels(*rawLimit)) offer.push_back({format, size});
    return offer;
}

}  // namespace camera
