#pragma once
// Reads the entropy-coded bytes of a scan into a 64-bit buffer, removing the zero byte the
// encoder stuffs after each 0xFF. At a marker or at the end of the data it feeds zero bits
// and counts them, so that decoding needs no bounds checks of its own and one comparison
// afterwards tells whether it used bits the stream does not have.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace mjpeg {

class BitReader {
public:
    BitReader(const uint8_t* begin, const uint8_t* end) : m_at(begin), m_end(end) {}

    // At least 32 bits available afterwards.
    void Fill() {
        if (m_count < 32) Refill();
    }
    // The next 16 bits, most significant first.
    uint32_t Peek16() const { return static_cast<uint32_t>(m_bits >> 48); }
    void Skip(int n) {
        m_bits <<= n;
        m_count -= n;
    }
    // The next `n` bits (1..16) as an unsigned number.
    uint32_t Take(int n) {
        const uint32_t v = static_cast<uint32_t>(m_bits >> (64 - n));
        Skip(n);
        return v;
    }
    // Whether bits beyond the data (or beyond a marker) were used.
    bool Overran() const { return m_count < m_paddingBits; }

    // Expects restart marker `number` (0..7): drops the bits left of the interval and starts
    // afresh behind the marker. As libjpeg-turbo does, bytes before the next marker are
    // skipped, and so are markers below 0xC0 (no marker at all) and those of the two
    // restarts before. False when the data ends first or the next marker is another: a
    // later restart (libjpeg-turbo guesses at lost data there; this decoder does not) or the
    // end of the image.
    bool Restart(int number) {
        m_bits = 0;
        m_count = 0;
        m_paddingBits = 0;
        m_atMarker = false;
        for (;;) {
            while (m_at < m_end && *m_at != 0xFF) ++m_at;
            while (m_end - m_at >= 2 && m_at[1] == 0xFF) ++m_at;
            if (m_end - m_at < 2) return false;
            const uint8_t marker = m_at[1];
            m_at += 2;
            if (marker < 0xC0) continue;  // a stuffed data byte (0x00) or no marker at all
            if (marker < 0xD0 || marker > 0xD7) break;
            const int ahead = (marker - 0xD0 - number) & 7;
            if (ahead == 0) return true;
            if (ahead < 6) break;  // ahead 6 or 7: a restart already passed
        }
        m_at -= 2;
        return false;
    }
    bool AtEnd() const { return m_end - m_at < 2; }

private:
    void Refill() {
        // Eight bytes at once while none of them is 0xFF.
        if (!m_atMarker && m_end - m_at >= 8) {
            uint64_t word;
            std::memcpy(&word, m_at, 8);
            word = __builtin_bswap64(word);
            const uint64_t ones = 0x0101010101010101u, highs = 0x8080808080808080u;
            if ((((~word) - ones) & word & highs) == 0) {
                const int bytes = (64 - m_count) >> 3;
                const int keep = bytes * 8;
                m_bits |= (word >> (64 - keep)) << (64 - keep - m_count);
                m_count += keep;
                m_at += bytes;
                return;
            }
        }
        while (m_count <= 56) {
            uint32_t byte = 0;
            if (!m_atMarker && m_at < m_end) {
                byte = *m_at;
                if (byte != 0xFF) {
                    ++m_at;
                } else if (m_end - m_at >= 2 && m_at[1] == 0x00) {
                    m_at += 2;
                } else {
                    m_atMarker = true;  // a marker, or 0xFF as the last byte
                    byte = 0;
                }
            } else {
                m_atMarker = true;
            }
            if (m_atMarker) m_paddingBits += 8;
            m_bits |= static_cast<uint64_t>(byte) << (56 - m_count);
            m_count += 8;
        }
    }

    uint64_t m_bits = 0;  // next bit is the most significant
    int m_count = 0;      // valid bits in m_bits
    int m_paddingBits = 0;
    bool m_atMarker = false;
    const uint8_t* m_at;
    const uint8_t* m_end;
};

}  // namespace mjpeg
