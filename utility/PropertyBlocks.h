#pragma once
// The byte layouts the utility sends to the camera driver, little-endian, so that the
// Windows side only passes the bytes on:
//  - standard property block (40 bytes, instance and property data of IKsPropertySet);
//  - UVC extension-unit request (32-byte node property of IKsControl::KsProperty) with its
//    4-byte data;
//  - UVC fallback block (40 bytes, IKsPropertySet on the fallback set).
#include <array>
#include <cstddef>
#include <cstdint>

namespace utility {

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
// {D80AF729-7C23-4E10-BC5F-1D8C157F96E3}
constexpr Guid kStdPropertySet{0xD80AF729, 0x7C23, 0x4E10, {0xBC, 0x5F, 0x1D, 0x8C, 0x15, 0x7F, 0x96, 0xE3}};
// {28F03370-6311-4A2E-BA2C-6890EB334016}
constexpr Guid kExtensionUnitSet{0x28F03370, 0x6311, 0x4A2E, {0xBA, 0x2C, 0x68, 0x90, 0xEB, 0x33, 0x40, 0x16}};
// {F1CAFC1D-D7D6-400F-A7FD-96715E0BD958}
constexpr Guid kByteFallbackSet{0xF1CAFC1D, 0xD7D6, 0x400F, {0xA7, 0xFD, 0x96, 0x71, 0x5E, 0x0B, 0xD9, 0x58}};

// A GUID as it lies in memory (copy it into the system's GUID with memcpy).
using GuidBytes = std::array<uint8_t, 16>;
GuidBytes EncodeGuid(const Guid& guid);

enum class PropertyAccess : uint32_t { Get = 1, Set = 2 };

// Set identifier, property number at 16, access at 20, value at 24, zero from 28.
using StdPropertyBlock = std::array<uint8_t, 40>;
StdPropertyBlock EncodeStdPropertyBlock(uint32_t number, PropertyAccess access, int32_t value = 0);
int32_t DecodeStdPropertyValue(const StdPropertyBlock& block);

// Extension-unit set, property 1, access | topology (0x10000000), node 1, reserved 0.
using ExtensionUnitRequest = std::array<uint8_t, 32>;
ExtensionUnitRequest EncodeExtensionUnitRequest(PropertyAccess access);
// Data: a 16-bit address and a 16-bit second half. A set with the second half 0xFF00
// selects the address for the following get; a set with a byte as second half writes it.
// A get sends zeroed data and answers the byte in data byte 2.
using ExtensionUnitData = std::array<uint8_t, 4>;
constexpr uint16_t kExtensionUnitSelectForRead = 0xFF00;
ExtensionUnitData EncodeExtensionUnitData(uint16_t address, uint16_t secondHalf);
uint8_t DecodeExtensionUnitByte(const ExtensionUnitData& data);

// Zero to 20, access at 20, address at 24, value at 28, zero from 32. The property number
// passed beside it: 1 writes the byte, 0 selects (set) or reads (get) the address.
using FallbackBlock = std::array<uint8_t, 40>;
constexpr uint32_t kFallbackReadProperty = 0;
constexpr uint32_t kFallbackWriteProperty = 1;
FallbackBlock EncodeFallbackBlock(PropertyAccess access, uint32_t address, uint32_t value = 0);
// The low byte of the value field.
uint8_t DecodeFallbackByte(const FallbackBlock& block);

}  // namespace utility
