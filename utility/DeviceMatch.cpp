#include "utility/DeviceMatch.h"

namespace utility {
namespace {

constexpr size_t kVendorTextKept = 17;
constexpr size_t kVendorCompared = 8;

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

size_t FindIgnoringCase(std::string_view text, std::string_view word) {
    for (size_t i = 0; i + word.size() <= text.size(); ++i)
        if (EqualIgnoringCase(text.substr(i, word.size()), word)) return i;
    return std::string_view::npos;
}

}  // namespace

bool IsUvcDevicePath(std::string_view ansiPath) {
    const std::string_view path = UpToNul(ansiPath.substr(0, kDevicePathLimit));
    const size_t vid = FindIgnoringCase(path, "vid");
    if (vid == std::string_view::npos) return false;
    // Near the end fewer characters remain: they are compared as they are, and never match.
    const std::string_view vendor = path.substr(vid, kVendorTextKept).substr(0, kVendorCompared);
    return EqualIgnoringCase(vendor, "vid_0c45") || EqualIgnoringCase(vendor, "VID_064e");
}

bool MatchesDriverDesc(std::string_view friendlyName, std::string_view driverDesc) {
    return UpToNul(friendlyName).substr(0, kDriverDescCompared) == UpToNul(driverDesc).substr(0, kDriverDescCompared);
}

}  // namespace utility
