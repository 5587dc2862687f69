#pragma once
// The system's registry behind utility::Registry, through the ANSI functions. Keys are
// owned by UniqueHKey and closed when their object goes.
#include "utility/Registry.h"

namespace utility {

class WinRegistry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenLocalMachineKey(const std::string& path, uint32_t access) override;
    std::unique_ptr<RegistryKey> OpenUserKey(const std::string& path, bool create) override;
};

}  // namespace utility
