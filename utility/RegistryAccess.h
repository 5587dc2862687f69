#pragma once
// Access masks of the driver registry layer, with the system's values (no Windows header).
#include <cstdint>

namespace utility {

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyWow64_64Key = 0x0100;
constexpr uint32_t kKeyWow64_32Key = 0x0200;

// The probe of "SOFTWARE\Wow6432Node". Windows 7 and later refuse both view flags together
// with ERROR_INVALID_PARAMETER, so only the 64-bit view is asked for (32-bit Windows
// ignores the flag).
constexpr uint32_t kWow64ProbeAccess = kKeyRead | kKeyWow64_64Key;

// Every driver key: the driver writes the 64-bit view, so a 64-bit system needs it named.
constexpr uint32_t DriverKeyAccess(bool is64BitSystem) {
    return is64BitSystem ? kKeyRead | kKeyWow64_64Key : kKeyRead;
}

// Device instance keys lie under SYSTEM, which has one view for 32- and 64-bit programs.
constexpr uint32_t kInstanceKeyReadAccess = kKeyRead;
// No 64-bit view flag either: the save must reach the key LoadPanelPosition reads.
constexpr uint32_t kInstanceKeyWriteAccess = kKeyRead | kKeySetValue;

}  // namespace utility
