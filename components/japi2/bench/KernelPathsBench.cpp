// Encoding speed of each kernel path without any benchmark library, so that it also runs
// as a Windows program under Wine and measures the code JAPI2.dll is built from. Prints
// the median MP/s of repeated encodes (quality 90, 4:2:0, one row at a time).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "components/japi2/bench/BenchSink.h"
#include "components/japi2/JpegEncoder.h"
#include "components/japi2/testing/CameraPicture.h"

namespace {

using Sink = BenchSink;

double MedianMps(const japi2::testing::Picture& p, japi2::KernelPath path, size_t& bytes) {
    Sink sink;
    japi2::JpegEncoder encoder;
    std::vector<double> rates;
    for (int run = 0; run < 15; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int repeat = 0; repeat < 4; ++repeat) {
            sink.used = 0;
            encoder.Start(p.width, p.height, 90, Sink::Write, &sink, path);
            for (int y = 0; y < p.height; ++y) encoder.AddRow(p.Row(y));
            encoder.Finish();
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        rates.push_back(4.0 * p.width * p.height / 1e6 / took.count());
    }
    bytes = sink.used;
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

}  // namespace

int main() {
    const japi2::KernelPath paths[] = {japi2::KernelPath::Generic, japi2::KernelPath::Portable,
                                       japi2::KernelPath::Avx2};
    std::printf("%-11s %-9s %9s %9s\n", "size", "path", "MP/s", "bytes");
    for (const auto& [w, h] : {std::pair{640, 480}, std::pair{1280, 1024}}) {
        const auto picture = japi2::testing::MakeCameraPicture(w, h, 42);
        for (japi2::KernelPath path : paths) {
            if (!japi2::KernelPathSupported(path)) continue;
            size_t bytes = 0;
            const double mps = MedianMps(picture, path, bytes);
            std::printf("%4dx%-6d %-9s %9.1f %9zu\n", w, h, japi2::KernelPathName(path), mps, bytes);
        }
    }
    return 0;
}
