#pragma once
// Reading the bytes RegQueryValueExA returned, never past their count: string values need
// not be terminated, and a value may be shorter than the type it stands for.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace utility {

using ValueBytes = std::optional<std::vector<uint8_t>>;

// The text up to the first NUL, or every byte when the value is unterminated.
std::string ValueText(const std::vector<uint8_t>& bytes);
// The first byte as a signed number; nothing when the value is missing or has no bytes.
std::optional<int> FirstByteSigned(const ValueBytes& value);
// Little-endian from up to the first 4 bytes, the missing high bytes zero; nothing when
// the value is missing or has no bytes.
std::optional<uint32_t> LeadingUnsigned32(const ValueBytes& value);
// A little-endian 32-bit value of exactly 4 bytes; nothing otherwise.
std::optional<int32_t> ExactInt32(const ValueBytes& value);

}  // namespace utility
