#include "utility/WinRegistry.h"

#include <windows.h>

#include "framework/Handles.h"

namespace utility {
namespace {

class WinRegistryKey final : public RegistryKey {
public:
    explicit WinRegistryKey(UniqueHKey key) : m_key(std::move(key)) {}

    std::optional<std::vector<uint8_t>> QueryValue(const std::string& name, uint32_t bufferSize) const override {
        std::vector<uint8_t> buffer(bufferSize);
        DWORD size = bufferSize;
        // With no buffer at all the call would report the size instead of reading.
        BYTE* data = buffer.empty() ? nullptr : buffer.data();
        if (::RegQueryValueExA(m_key.Get(), name.c_str(), nullptr, nullptr, data, &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (!data && size != 0) return std::nullopt;
        buffer.resize(size);
        return buffer;
    }

    bool SetDwordValue(const std::string& name, uint32_t value) override {
        const DWORD data = value;
        return ::RegSetValueExA(m_key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                sizeof data) == ERROR_SUCCESS;
    }

private:
    UniqueHKey m_key;
};

}  // namespace

std::unique_ptr<RegistryKey> WinRegistry::OpenLocalMachineKey(const std::string& path, uint32_t access) {
    UniqueHKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, key.Put()) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<WinRegistryKey>(std::move(key));
}

std::unique_ptr<RegistryKey> WinRegistry::OpenUserKey(const std::string& path, bool create) {
    constexpr REGSAM kAccess = KEY_READ | KEY_SET_VALUE;
    UniqueHKey key;
    const LONG result = create ? ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, kAccess, nullptr,
                                                   key.Put(), nullptr)
                               : ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, kAccess, key.Put());
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<WinRegistryKey>(std::move(key));
}

}  // namespace utility
