#include "controller/SettingsCodec.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#if defined(__BYTE_ORDER__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "records are stored as in memory");
#endif

namespace settings {
namespace {

void Put32(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t Get32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

// Reads exactly `size` bytes unless the source ends first; returns how many arrived.
size_t ReadFull(const ByteSource& source, uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const size_t got = source(data + done, size - done);
        if (got == 0 || got > size - done) break;
        done += got;
    }
    return done;
}

}  // namespace

void EncodeHeader(int32_t pictureNumber, int32_t count, uint8_t (&out)[kHeaderSize]) {
    Put32(out, kMagic);
    Put32(out + 4, static_cast<uint32_t>(kVersion));
    Put32(out + 8, static_cast<uint32_t>(pictureNumber));
    Put32(out + 12, static_cast<uint32_t>(count));
}

void EncodeCountFields(int32_t pictureNumber, int32_t count, uint8_t (&out)[kCountFieldsSize]) {
    Put32(out, static_cast<uint32_t>(pictureNumber));
    Put32(out + 4, static_cast<uint32_t>(count));
}

void EncodeRecord(const CapturedItem& item, uint8_t* out) {
    std::memcpy(out, &item, kRecordSize);
    Put32(out + offsetof(CapturedItem, selected), 0);
}

bool EncodeSettings(int32_t pictureNumber, const std::vector<CapturedItem>& items, const ByteSink& sink) {
    uint8_t header[kHeaderSize];
    EncodeHeader(pictureNumber, static_cast<int32_t>(items.size()), header);
    if (!sink(header, sizeof header)) return false;
    std::vector<uint8_t> record(kRecordSize);
    for (const CapturedItem& item : items) {
        EncodeRecord(item, record.data());
        if (!sink(record.data(), record.size())) return false;
    }
    return true;
}

std::vector<uint8_t> EncodeSettings(int32_t pictureNumber, const std::vector<CapturedItem>& items) {
    std::vector<uint8_t> bytes(static_cast<size_t>(FileSize(items.size())));
    size_t position = 0;
    EncodeSettings(pictureNumber, items, [&bytes, &position](const uint8_t* data, size_t size) {
        if (size > bytes.size() - position) return false;
        std::memcpy(bytes.data() + position, data, size);
        position += size;
        return true;
    });
    return bytes;
}

std::optional<LoadedSettings> DecodeSettings(const ByteSource& source, uint64_t dataLength,
                                             const KeepRecord& keep) {
    uint8_t header[kHeaderSize];
    if (dataLength < kHeaderSize || ReadFull(source, header, sizeof header) != sizeof header)
        return std::nullopt;
    if (Get32(header) != kMagic || Get32(header + 4) != static_cast<uint32_t>(kVersion))
        return std::nullopt;

    LoadedSettings loaded;
    loaded.pictureNumber = static_cast<int32_t>(Get32(header + 8));
    const int32_t storedCount = static_cast<int32_t>(Get32(header + 12));
    // A count beyond what the length holds (a torn or damaged file) is cut to what is there.
    const uint64_t fitting = (dataLength - kHeaderSize) / kRecordSize;
    const uint64_t count = storedCount <= 0 ? 0 : std::min<uint64_t>(static_cast<uint64_t>(storedCount), fitting);
    loaded.items.reserve(static_cast<size_t>(count));
    bool unchanged = storedCount >= 0 && static_cast<uint64_t>(storedCount) == count && dataLength == FileSize(count);

    for (uint64_t i = 0; i < count; ++i) {
        CapturedItem& item = loaded.items.emplace_back();
        if (ReadFull(source, reinterpret_cast<uint8_t*>(&item), kRecordSize) != kRecordSize) {
            loaded.items.pop_back();  // only records read in full join the list
            break;
        }
        const bool terminated = std::find(std::begin(item.path), std::end(item.path), 0) != std::end(item.path);
        unchanged = unchanged && terminated && item.selected == 0;
        TerminateItemPath(item);
        item.selected = 0;
        if (keep && !keep(item)) {
            loaded.items.pop_back();
            unchanged = false;
        }
    }
    loaded.matchesData = unchanged && loaded.items.size() == count;
    return loaded;
}

std::optional<LoadedSettings> DecodeSettings(const uint8_t* data, size_t size, const KeepRecord& keep) {
    size_t position = 0;
    const ByteSource source = [data, size, &position](uint8_t* out, size_t wanted) {
        const size_t n = std::min(wanted, size - position);
        if (n > 0) std::memcpy(out, data + position, n);
        position += n;
        return n;
    };
    return DecodeSettings(source, size, keep);
}

}  // namespace settings
