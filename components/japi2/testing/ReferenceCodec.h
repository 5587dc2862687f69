#pragma once
// libjpeg-turbo as the reference: decoding our output for verification, and encoding the
// same picture for size and speed comparisons. Native tests and benchmarks only.
#include <cstdint>
#include <string>
#include <vector>

#include "components/japi2/testing/CameraPicture.h"

namespace japi2::testing {

struct Decoded {
    bool ok = false;
    std::string error;
    int components = 0;
    Picture picture;  // blue-green-red, like the encoder's input
};
Decoded DecodeReference(const std::vector<uint8_t>& jpeg);

// Baseline, 4:2:0, standard Huffman tables, rows written one at a time; accurate integer
// DCT (the library's default).
std::vector<uint8_t> EncodeReference(const Picture& picture, int quality);

// The same with a choice of sampling factors, grey (one component, the picture's luma), red,
// green and blue stored as they are (an Adobe segment with transform 0) and a restart
// interval in MCUs.
struct ReferenceOptions {
    int quality = 90;
    int lumaH = 2, lumaV = 2;
    int chromaH = 1, chromaV = 1;
    bool grey = false;
    bool rgb = false;
    int restartInterval = 0;
};
std::vector<uint8_t> EncodeReference(const Picture& picture, const ReferenceOptions& options);

}  // namespace japi2::testing
