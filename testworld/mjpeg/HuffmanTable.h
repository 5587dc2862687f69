#pragma once
// Huffman tables for decoding: a table as a DHT segment carries it, and the lookup form the
// scan decoder uses (one 9-bit lookup for short codes, a search by length for the rest, and
// for AC tables a second lookup that also takes the extra bits of small coefficients).
#include <cstdint>

namespace mjpeg {

struct HuffmanSpec {
    uint8_t counts[16] = {};  // codes of length 1..16
    uint8_t symbols[256] = {};
    int symbolCount = 0;
};

// Whether the counts can be given canonical codes of at most 16 bits without using a code
// of all one bits (as the format asks).
bool CodeLengthsFit(const uint8_t counts[16]);

// The standard tables of the format, for frames that send none: slot 0 and 1 of DC or AC.
const HuffmanSpec& StandardSpec(bool ac, int slot);

struct HuffmanTable {
    static constexpr int kLookupBits = 9;

    // (code length << 8) | symbol by the next 9 bits; 0 when the code is longer.
    uint16_t lookup[1 << kLookupBits];
    // Codes of length n, left-aligned to 16 bits, are below limit[n]; limit[17] ends the search.
    uint32_t limit[18];
    // Index in `symbols` of a code of length n is (code >> (16 - n)) + offset[n].
    int32_t offset[17];
    uint8_t symbols[256];

    // AC only: a run of zeros and a coefficient whose code and extra bits fit in 9 bits.
    struct Coefficient {
        int16_t value;
        uint8_t run;
        uint8_t length;  // code plus extra bits; 0 when not in this lookup
    };
    Coefficient coefficients[1 << kLookupBits];

    // The definition must satisfy CodeLengthsFit.
    void Build(const HuffmanSpec& definition, bool ac);
};

}  // namespace mjpeg
