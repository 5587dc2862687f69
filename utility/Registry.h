#pragma once
// The registry as the utility's registry layer sees it: keys under HKEY_LOCAL_MACHINE
// opened by path, the user's own keys under HKEY_CURRENT_USER, values read as raw bytes the
// way RegQueryValueExA returns them, DWORD values written. WinRegistry.h is the system's;
// the native tests use a fake.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace utility {

// An open key; destroying it closes it.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The value's bytes as a RegQueryValueExA into a buffer of `bufferSize` bytes gives
    // them: exactly as many as it reports, string values not necessarily terminated.
    // Nothing when the value is missing, larger than the buffer, or cannot be read.
    virtual std::optional<std::vector<uint8_t>> QueryValue(const std::string& name, uint32_t bufferSize) const = 0;
    // Writes a 4-byte REG_DWORD value; false when the system refuses.
    virtual bool SetDwordValue(const std::string& name, uint32_t value) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens HKEY_LOCAL_MACHINE\<path> with the access mask `access`; null on failure.
    virtual std::unique_ptr<RegistryKey> OpenLocalMachineKey(const std::string& path, uint32_t access) = 0;
    // Opens HKEY_CURRENT_USER\<path> to read and write its values, creating it first when
    // `create`; null on failure (or when it is missing and not to be created).
    virtual std::unique_ptr<RegistryKey> OpenUserKey(const std::string& path, bool create) = 0;
};

}  // namespace utility
