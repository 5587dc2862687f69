#pragma once
// Output of the encoder benchmarks: one buffer allocated up front, so that the timed
// encode allocates nothing. Rewind `used` before each encode.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

struct BenchSink {
    std::vector<uint8_t> buffer = std::vector<uint8_t>(16u << 20);
    size_t used = 0;
    static bool Write(void* context, const uint8_t* data, size_t size) {
        auto* s = static_cast<BenchSink*>(context);
        if (s->used + size > s->buffer.size()) return false;
        std::memcpy(s->buffer.data() + s->used, data, size);
        s->used += size;
        return true;
    }
};
