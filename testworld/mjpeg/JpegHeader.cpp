#include "testworld/mjpeg/JpegHeader.h"

#include <cstring>

namespace mjpeg {
namespace {

// Marker codes (the byte after 0xFF).
constexpr uint8_t kSof0 = 0xC0, kSof1 = 0xC1, kDht = 0xC4, kDac = 0xCC, kRst0 = 0xD0, kRst7 = 0xD7, kSoi = 0xD8,
                  kEoi = 0xD9, kSos = 0xDA, kDqt = 0xDB, kDri = 0xDD, kDhp = 0xDE, kExp = 0xDF, kTem = 0x01;

bool IsOtherFrameType(uint8_t marker) {
    // Start-of-frame 2..15 except the table markers sharing the range.
    return marker >= 0xC2 && marker <= 0xCF && marker != kDht && marker != 0xC8 && marker != kDac;
}

class SegmentReader {
public:
    SegmentReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    size_t Left() const { return m_size - m_at; }
    uint8_t Byte() { return m_data[m_at++]; }
    uint16_t Word() {
        const uint16_t v = static_cast<uint16_t>(m_data[m_at] << 8 | m_data[m_at + 1]);
        m_at += 2;
        return v;
    }
    const uint8_t* Here() const { return m_data + m_at; }
    void Skip(size_t n) { m_at += n; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

DecodeError ReadFrame(SegmentReader s, FrameHeader& h) {
    if (s.Left() < 6) return DecodeError::CorruptHeader;
    if (s.Byte() != 8) return DecodeError::UnsupportedPrecision;
    const int height = s.Word(), width = s.Word(), count = s.Byte();
    if (s.Left() != static_cast<size_t>(count) * 3) return DecodeError::CorruptHeader;
    if (count != 1 && count != 3) return DecodeError::UnsupportedLayout;
    if (width == 0 || height == 0) return DecodeError::EmptyPicture;
    if (width > kMaxDimension || height > kMaxDimension || int64_t{width} * height > kMaxPixels)
        return DecodeError::TooLarge;
    h.info.width = width;
    h.info.height = height;
    h.componentCount = count;
    for (int i = 0; i < count; ++i) {
        FrameComponent& c = h.components[i];
        c.id = s.Byte();
        const uint8_t factors = s.Byte();
        c.h = factors >> 4;
        c.v = factors & 15;
        c.quantTable = s.Byte();
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4) return DecodeError::CorruptHeader;
        if (c.quantTable > 3) return DecodeError::BadTableId;
        for (int j = 0; j < i; ++j)
            if (h.components[j].id == c.id) return DecodeError::CorruptHeader;
    }
    if (count == 1) {
        // A lone component is coded block by block, whatever factors it states.
        h.components[0].h = h.components[0].v = 1;
        h.info.sampling = Sampling::Grey;
        return DecodeError::None;
    }
    // Luma at the largest factors, both chroma components alike at the same or half of them
    // in each direction, whichever factors express that (4:2:2 as 2 x 1 with 1 x 1 or as
    // 2 x 2 with 1 x 2 alike).
    const FrameComponent* c = h.components;
    // The format's bound on the blocks of one MCU, which libjpeg-turbo enforces too.
    if (c[0].h * c[0].v + c[1].h * c[1].v + c[2].h * c[2].v > 10) return DecodeError::CorruptHeader;
    if (c[1].h != c[2].h || c[1].v != c[2].v || c[1].h > c[0].h || c[1].v > c[0].v)
        return DecodeError::UnsupportedSampling;
    const bool halfWidth = c[0].h == 2 * c[1].h, halfHeight = c[0].v == 2 * c[1].v;
    if ((!halfWidth && c[0].h != c[1].h) || (!halfHeight && c[0].v != c[1].v)) return DecodeError::UnsupportedSampling;
    h.info.sampling = halfWidth ? (halfHeight ? Sampling::YCbCr420 : Sampling::YCbCr422)
                                : (halfHeight ? Sampling::YCbCr440 : Sampling::YCbCr444);
    return DecodeError::None;
}

// What the application segments say of a three-component frame's colours, read as
// libjpeg-turbo reads them: a JFIF segment means YCbCr, else an Adobe segment's transform
// (0: RGB), else component numbers 'R', 'G', 'B'.
struct ColourMarks {
    bool jfif = false;
    bool adobe = false;
    uint8_t adobeTransform = 0;
};

void ReadApplicationSegment(uint8_t marker, const uint8_t* payload, size_t length, ColourMarks& marks) {
    if (marker == 0xE0 && length >= 14 && std::memcmp(payload, "JFIF", 5) == 0) marks.jfif = true;
    if (marker == 0xEE && length >= 12 && std::memcmp(payload, "Adobe", 5) == 0) {
        marks.adobe = true;
        marks.adobeTransform = payload[11];
    }
}

bool IsRgb(const FrameHeader& h, const ColourMarks& marks) {
    if (h.componentCount != 3 || marks.jfif) return false;
    if (marks.adobe) return marks.adobeTransform == 0;
    return h.components[0].id == 'R' && h.components[1].id == 'G' && h.components[2].id == 'B';
}

DecodeError ReadHuffmanTables(SegmentReader s, FrameHeader& h) {
    while (s.Left() > 0) {
        if (s.Left() < 17) return DecodeError::CorruptHeader;
        const uint8_t classAndSlot = s.Byte();
        const int tableClass = classAndSlot >> 4, slot = classAndSlot & 15;
        if (tableClass > 1) return DecodeError::CorruptHeader;
        if (slot > 3) return DecodeError::BadTableId;
        HuffmanSpec& definition = h.huffman[tableClass][slot];
        definition.symbolCount = 0;
        for (int i = 0; i < 16; ++i) {
            definition.counts[i] = s.Byte();
            definition.symbolCount += definition.counts[i];
        }
        if (definition.symbolCount > 256) return DecodeError::BadHuffmanTable;
        if (s.Left() < static_cast<size_t>(definition.symbolCount)) return DecodeError::CorruptHeader;
        std::memset(definition.symbols, 0, sizeof definition.symbols);
        std::memcpy(definition.symbols, s.Here(), static_cast<size_t>(definition.symbolCount));
        s.Skip(static_cast<size_t>(definition.symbolCount));
        if (!CodeLengthsFit(definition.counts)) return DecodeError::BadHuffmanTable;
        if (tableClass == 0)
            for (int i = 0; i < definition.symbolCount; ++i)
                if (definition.symbols[i] > 15) return DecodeError::BadHuffmanTable;
        h.huffmanDefined[tableClass][slot] = true;
    }
    return DecodeError::None;
}

DecodeError ReadQuantTables(SegmentReader s, FrameHeader& h) {
    while (s.Left() > 0) {
        const uint8_t precisionAndSlot = s.Byte();
        const int precision = precisionAndSlot >> 4, slot = precisionAndSlot & 15;
        if (precision > 1) return DecodeError::CorruptHeader;
        if (slot > 3) return DecodeError::BadTableId;
        if (s.Left() < (precision ? 128u : 64u)) return DecodeError::CorruptHeader;
        for (int i = 0; i < 64; ++i) h.quant[slot][i] = precision ? s.Word() : s.Byte();
        h.quantDefined[slot] = true;
    }
    return DecodeError::None;
}

DecodeError ReadScan(SegmentReader s, FrameHeader& h) {
    if (s.Left() < 1) return DecodeError::CorruptHeader;
    const int count = s.Byte();
    if (s.Left() != static_cast<size_t>(count) * 2 + 3) return DecodeError::CorruptHeader;
    if (count != h.componentCount) return DecodeError::UnsupportedLayout;
    for (int i = 0; i < count; ++i) {
        FrameComponent& c = h.components[i];
        if (s.Byte() != c.id) return DecodeError::ComponentMismatch;
        const uint8_t tables = s.Byte();
        c.dcTable = tables >> 4;
        c.acTable = tables & 15;
        if (c.dcTable > 3 || c.acTable > 3) return DecodeError::BadTableId;
    }
    // Spectral selection and successive approximation mean nothing in a sequential frame.
    for (int i = 0; i < count; ++i) {
        const FrameComponent& c = h.components[i];
        if (!h.quantDefined[c.quantTable]) return DecodeError::MissingTable;
        for (int tableClass = 0; tableClass < 2; ++tableClass) {
            const int slot = tableClass ? c.acTable : c.dcTable;
            if (h.huffmanDefined[tableClass][slot]) continue;
            if (slot > 1) return DecodeError::MissingTable;
            h.huffman[tableClass][slot] = StandardSpec(tableClass == 1, slot);
            h.huffmanDefined[tableClass][slot] = true;
        }
    }
    return DecodeError::None;
}

}  // namespace

DecodeError ReadFrameHeader(const uint8_t* data, size_t size, FrameHeader& h) {
    if (size < 2 || data[0] != 0xFF || data[1] != kSoi) return DecodeError::NotJpeg;
    bool haveFrame = false;
    ColourMarks marks;
    size_t at = 2;
    for (;;) {
        // A marker, possibly after fill bytes 0xFF.
        if (at >= size) return DecodeError::Truncated;
        if (data[at] != 0xFF) return DecodeError::CorruptHeader;
        while (at < size && data[at] == 0xFF) ++at;
        if (at >= size) return DecodeError::Truncated;
        const uint8_t marker = data[at++];
        if (marker == kEoi) return DecodeError::MissingScan;
        if (marker == 0x00 || marker == kSoi) return DecodeError::CorruptHeader;
        if (marker == kTem || (marker >= kRst0 && marker <= kRst7)) continue;  // no length field

        if (size - at < 2) return DecodeError::Truncated;
        const size_t length = static_cast<size_t>(data[at] << 8 | data[at + 1]);
        if (length < 2) return DecodeError::CorruptHeader;
        if (size - at < length) return DecodeError::Truncated;
        const SegmentReader segment(data + at + 2, length - 2);
        at += length;

        DecodeError error = DecodeError::None;
        if (marker == kSof0 || marker == kSof1) {
            if (haveFrame) return DecodeError::CorruptHeader;
            error = ReadFrame(segment, h);
            haveFrame = true;
        } else if (IsOtherFrameType(marker) || marker == kDac || marker == kDhp || marker == kExp) {
            return DecodeError::UnsupportedProcess;
        } else if (marker == kDht) {
            error = ReadHuffmanTables(segment, h);
        } else if (marker == kDqt) {
            error = ReadQuantTables(segment, h);
        } else if (marker == kDri) {
            if (length != 4) return DecodeError::CorruptHeader;
            h.info.restartInterval = data[at - 2] << 8 | data[at - 1];
        } else if (marker == kSos) {
            if (!haveFrame) return DecodeError::CorruptHeader;
            error = ReadScan(segment, h);
            h.info.rgb = IsRgb(h, marks);
            h.scanStart = at;
            return error;
        } else if (marker == 0xE0 || marker == 0xEE) {
            ReadApplicationSegment(marker, data + at - length + 2, length - 2, marks);
        }
        // Anything else (application data, comments, unknown segments) is skipped.
        if (error != DecodeError::None) return error;
    }
}

}  // namespace mjpeg
