#pragma once
// The settings file "halvo.dat", platform-free: a 16-byte header (magic, version, next
// picture number, item count N; 32-bit little-endian integers) followed by N CapturedItem
// records of 43768 bytes, oldest first, each with its selected field written as 0.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "controller/CapturedItem.h"

namespace settings {

constexpr uint32_t kMagic = 0x0548FAC2;
constexpr int32_t kVersion = 100;
constexpr size_t kHeaderSize = 16;
constexpr size_t kRecordSize = kCapturedItemSize;
// Offset of the picture number and item count, which an append rewrites together.
constexpr size_t kCountFieldsOffset = 8;
constexpr size_t kCountFieldsSize = 8;

// Size of a file with `count` records.
constexpr uint64_t FileSize(uint64_t count) { return kHeaderSize + count * kRecordSize; }

void EncodeHeader(int32_t pictureNumber, int32_t count, uint8_t (&out)[kHeaderSize]);
// The picture number and count as they stand at kCountFieldsOffset.
void EncodeCountFields(int32_t pictureNumber, int32_t count, uint8_t (&out)[kCountFieldsSize]);
// The item's 43768 bytes as stored: selected is 0, everything else as in memory.
void EncodeRecord(const CapturedItem& item, uint8_t* out);

// Receives the file's bytes in order; returns false when it could not take them.
using ByteSink = std::function<bool(const uint8_t* data, size_t size)>;
// Writes the whole file; false as soon as the sink fails.
bool EncodeSettings(int32_t pictureNumber, const std::vector<CapturedItem>& items, const ByteSink& sink);
std::vector<uint8_t> EncodeSettings(int32_t pictureNumber, const std::vector<CapturedItem>& items);

// Delivers up to `size` bytes into `data` and returns how many; 0 at the end or on error.
using ByteSource = std::function<size_t(uint8_t* data, size_t size)>;
// Decides whether a record read in full joins the list (the caller checks its file).
using KeepRecord = std::function<bool(const CapturedItem& item)>;

struct LoadedSettings {
    int32_t pictureNumber = 1;
    std::vector<CapturedItem> items;
    // True when encoding pictureNumber and items gives back exactly the bytes read: every
    // stored record was read in full and kept unchanged, and nothing follows them.
    bool matchesData = false;
};

// Reads a file of `dataLength` bytes. Nothing when the header is incomplete or its magic or
// version differ. Otherwise the picture number as stored and the records that were read in
// full, at most the stored count and never more than the length holds, each with its path
// terminated inside its 260 characters and selected cleared, and for which `keep` (if
// given) returned true, in file order.
std::optional<LoadedSettings> DecodeSettings(const ByteSource& source, uint64_t dataLength,
                                             const KeepRecord& keep = {});
std::optional<LoadedSettings> DecodeSettings(const uint8_t* data, size_t size,
                                             const KeepRecord& keep = {});

}  // namespace settings
