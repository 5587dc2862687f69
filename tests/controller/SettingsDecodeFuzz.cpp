// Feeds arbitrary bytes to the settings decoder: it must never read out of bounds, never
// return more records than the data holds, and hand out only terminated, unselected paths.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "controller/SettingsCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t asked = 0;
    const auto loaded = settings::DecodeSettings(data, size, [&asked](const CapturedItem& item) {
        ++asked;
        if (ItemPath(item).size() >= kItemPathLength || item.selected != 0) std::abort();
        return (item.kind & 1) == 0;
    });
    if (!loaded) return 0;
    if (size < settings::kHeaderSize) std::abort();
    if (asked > (size - settings::kHeaderSize) / settings::kRecordSize) std::abort();
    if (loaded->items.size() > asked) std::abort();
    for (const CapturedItem& item : loaded->items)
        if ((item.kind & 1) != 0 || item.selected != 0) std::abort();
    if (loaded->matchesData) {
        // Exactly the bytes read, when it says so.
        const auto again = settings::EncodeSettings(loaded->pictureNumber, loaded->items);
        if (again.size() != size || std::memcmp(again.data(), data, size) != 0) std::abort();
    }
    return 0;
}
