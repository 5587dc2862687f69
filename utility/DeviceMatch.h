#pragma once
// Which capture device the utility binds: a UVC camera by its "DevicePath", the standard
// driver's camera by its "FriendlyName". Both arrive converted to ANSI (into buffers of the
// sizes below) and need not be terminated; their bytes count up to the first NUL.
#include <cstddef>
#include <string_view>

namespace utility {

constexpr size_t kDevicePathLimit = 128;   // bytes of "DevicePath" looked at
constexpr size_t kFriendlyNameLimit = 80;  // bytes of "FriendlyName" converted
constexpr size_t kDriverDescCompared = 24;

// From the first "vid" (any case) on, 17 characters are kept; their first 8 equal
// "vid_0c45" or "vid_064e" in any case. A path without "vid", or with fewer than 8
// characters from it to the end, does not match.
bool IsUvcDevicePath(std::string_view ansiPath);

// The first 24 characters of the name equal those of the description, case-sensitive
// (a shorter text must match whole).
bool MatchesDriverDesc(std::string_view friendlyName, std::string_view driverDesc);

}  // namespace utility
