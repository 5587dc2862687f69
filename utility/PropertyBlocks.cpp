#include "utility/PropertyBlocks.h"

namespace utility {
namespace {

constexpr uint32_t kTopologyFlag = 0x10000000;
constexpr uint32_t kExtensionUnitProperty = 1;
constexpr uint32_t kExtensionUnitNode = 1;

void Put16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value));
    Put16(out + 2, static_cast<uint16_t>(value >> 16));
}

uint32_t Get32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

void PutGuid(uint8_t* out, const Guid& guid) {
    Put32(out, guid.data1);
    Put16(out + 4, guid.data2);
    Put16(out + 6, guid.data3);
    for (size_t i = 0; i < 8; ++i) out[8 + i] = guid.data4[i];
}

}  // namespace

GuidBytes EncodeGuid(const Guid& guid) {
    GuidBytes bytes{};
    PutGuid(bytes.data(), guid);
    return bytes;
}

StdPropertyBlock EncodeStdPropertyBlock(uint32_t number, PropertyAccess access, int32_t value) {
    StdPropertyBlock block{};
    PutGuid(block.data(), kStdPropertySet);
    Put32(block.data() + 16, number);
    Put32(block.data() + 20, static_cast<uint32_t>(access));
    Put32(block.data() + 24, static_cast<uint32_t>(value));
    return block;
}

int32_t DecodeStdPropertyValue(const StdPropertyBlock& block) { return static_cast<int32_t>(Get32(block.data() + 24)); }

ExtensionUnitRequest EncodeExtensionUnitRequest(PropertyAccess access) {
    ExtensionUnitRequest request{};
    PutGuid(request.data(), kExtensionUnitSet);
    Put32(request.data() + 16, kExtensionUnitProperty);
    Put32(request.data() + 20, static_cast<uint32_t>(access) | kTopologyFlag);
    Put32(request.data() + 24, kExtensionUnitNode);
    return request;
}

ExtensionUnitData EncodeExtensionUnitData(uint16_t address, uint16_t secondHalf) {
    ExtensionUnitData data{};
    Put16(data.data(), address);
    Put16(data.data() + 2, secondHalf);
    return data;
}

uint8_t DecodeExtensionUnitByte(const ExtensionUnitData& data) { return data[2]; }

FallbackBlock EncodeFallbackBlock(PropertyAccess access, uint32_t address, uint32_t value) {
    FallbackBlock block{};
    Put32(block.data() + 20, static_cast<uint32_t>(access));
    Put32(block.data() + 24, address);
    Put32(block.data() + 28, value);
    return block;
}

uint8_t DecodeFallbackByte(const FallbackBlock& block) { return block[28]; }

}  // namespace utility
