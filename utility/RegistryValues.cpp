#include "utility/RegistryValues.h"

#include <algorithm>

namespace utility {

std::string ValueText(const std::vector<uint8_t>& bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    return std::string(bytes.begin(), end);
}

std::optional<int> FirstByteSigned(const ValueBytes& value) {
    if (!value || value->empty()) return std::nullopt;
    return static_cast<int>(static_cast<int8_t>((*value)[0]));
}

std::optional<uint32_t> LeadingUnsigned32(const ValueBytes& value) {
    if (!value || value->empty()) return std::nullopt;
    uint32_t result = 0;
    const size_t count = std::min<size_t>(value->size(), 4);
    for (size_t i = 0; i < count; ++i) result |= static_cast<uint32_t>((*value)[i]) << (8 * i);
    return result;
}

std::optional<int32_t> ExactInt32(const ValueBytes& value) {
    if (!value || value->size() != 4) return std::nullopt;
    const std::vector<uint8_t>& b = *value;
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

}  // namespace utility
