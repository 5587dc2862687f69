#include "tests/testworld/mjpeg/DecoderTestSupport.h"

namespace mjpeg::testing {
namespace {

void AddSegment(std::vector<uint8_t>& out, uint8_t marker, const std::vector<uint8_t>& payload) {
    const size_t length = payload.size() + 2;
    out.insert(out.end(), {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    out.insert(out.end(), payload.begin(), payload.end());
}

}  // namespace

Picture DecodeToPicture(const std::vector<uint8_t>& jpeg, KernelPath path, DecodeError* error) {
    Picture p;
    const DecodeResult info = ReadJpegInfo(jpeg.data(), jpeg.size());
    if (info.Ok()) {
        p.width = info.info.width;
        p.height = info.info.height;
        p.bgr.resize(static_cast<size_t>(p.width) * p.height * 3);
    }
    OutputImage out;
    out.data = p.bgr.data();
    out.size = p.bgr.size();
    out.stride = static_cast<size_t>(p.width) * 3;
    *error = Decode(jpeg.data(), jpeg.size(), out, path).error;
    return p;
}

std::vector<KernelPath> SupportedPaths() {
    std::vector<KernelPath> paths = {KernelPath::Generic, KernelPath::Portable};
    if (japi2::KernelPathSupported(KernelPath::Avx2)) paths.push_back(KernelPath::Avx2);
    return paths;
}

std::vector<uint8_t> StreamBuilder::MakeQuant(uint8_t precisionAndSlot) {
    std::vector<uint8_t> q = {precisionAndSlot};
    q.insert(q.end(), (precisionAndSlot >> 4) ? 128 : 64, 1);
    return q;
}

std::vector<uint8_t> StreamBuilder::MakeHuffman(uint8_t classAndSlot, uint8_t symbol) {
    std::vector<uint8_t> t = {classAndSlot, 1};
    t.insert(t.end(), 15, 0);
    t.push_back(symbol);
    return t;
}

std::vector<uint8_t> StreamBuilder::Bytes() const {
    std::vector<uint8_t> out = {0xFF, 0xD8};
    AddSegment(out, 0xDB, quantSegment);
    std::vector<uint8_t> frame = {static_cast<uint8_t>(precision), static_cast<uint8_t>(height >> 8),
                                  static_cast<uint8_t>(height), static_cast<uint8_t>(width >> 8),
                                  static_cast<uint8_t>(width), static_cast<uint8_t>(components.size())};
    for (const Component& c : components) frame.insert(frame.end(), {c.id, c.factors, c.quantTable});
    AddSegment(out, frameMarker, frame);
    if (!huffmanSegment.empty()) AddSegment(out, 0xC4, huffmanSegment);
    if (!huffmanSegment2.empty()) AddSegment(out, 0xC4, huffmanSegment2);
    if (restartInterval)
        AddSegment(out, 0xDD, {static_cast<uint8_t>(restartInterval >> 8), static_cast<uint8_t>(restartInterval)});
    if (headersOnly) return out;
    std::vector<uint8_t> scanHeader = {static_cast<uint8_t>(scan.size())};
    for (const ScanComponent& c : scan) scanHeader.insert(scanHeader.end(), {c.id, c.tables});
    scanHeader.insert(scanHeader.end(), {0, 63, 0});
    AddSegment(out, 0xDA, scanHeader);
    out.insert(out.end(), entropyData.begin(), entropyData.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

}  // namespace mjpeg::testing
