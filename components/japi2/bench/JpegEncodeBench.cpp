// Encoding speed of camera-like frames, one row at a time, side by side with libjpeg-turbo
// at the same quality (90), 4:2:0 and standard Huffman tables. libjpeg-turbo reads
// JSIMD_FORCENONE once per process, so its no-SIMD figures come from a child run of this
// program with that variable set; the parent prints medians and the ratios at the end.
//
//   japi2_encode_bench [--benchmark_repetitions=N] [google benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "components/japi2/bench/BenchSink.h"
#include "components/japi2/JpegEncoder.h"
#include "components/japi2/bench/TurboComparison.h"
#include "components/japi2/testing/CameraPicture.h"

namespace {

using japi2::testing::Picture;

constexpr int kQuality = 90;
const std::pair<int, int> kSizes[] = {{640, 480}, {1280, 1024}};

const Picture& Frame(int w, int h) {
    static std::map<std::pair<int, int>, Picture> frames;
    auto it = frames.find({w, h});
    if (it == frames.end()) it = frames.emplace(std::pair{w, h}, japi2::testing::MakeCameraPicture(w, h, 42)).first;
    return it->second;
}

using Sink = BenchSink;

void SetRate(benchmark::State& state, const Picture& p, size_t bytes) {
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(p.width) * p.height / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void Ours(benchmark::State& state, int w, int h, japi2::KernelPath path) {
    const Picture& p = Frame(w, h);
    Sink sink;
    japi2::JpegEncoder encoder;
    for (auto _ : state) {
        sink.used = 0;
        encoder.Start(w, h, kQuality, Sink::Write, &sink, path);
        for (int y = 0; y < h; ++y) encoder.AddRow(p.Row(y));
        encoder.Finish();
        benchmark::DoNotOptimize(sink.buffer.data());
    }
    SetRate(state, p, sink.used);
}

void Turbo(benchmark::State& state, int w, int h) {
    const Picture& p = Frame(w, h);
    std::vector<unsigned char> buffer(16u << 20);
    unsigned long size = 0;
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    info.image_width = static_cast<JDIMENSION>(w);
    info.image_height = static_cast<JDIMENSION>(h);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    info.optimize_coding = FALSE;
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    for (auto _ : state) {
        unsigned char* out = buffer.data();
        size = buffer.size();
        jpeg_mem_dest(&info, &out, &size);
        jpeg_start_compress(&info, TRUE);
        for (int y = 0; y < h; ++y) {
            JSAMPROW row = const_cast<uint8_t*>(p.Row(y));
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        benchmark::DoNotOptimize(out);
    }
    jpeg_destroy_compress(&info);
    SetRate(state, p, size);
}


std::string Name(const char* who, int w, int h) { return std::string(who) + "/" + std::to_string(w) + "x" + std::to_string(h); }

}  // namespace

int main(int argc, char** argv) {
    const bool child = turbo_comparison::IsNoSimdChild();
    turbo_comparison::Initialize(argc, argv);

    for (const auto& [w, h] : kSizes) {
        if (!child) {
            benchmark::RegisterBenchmark(Name("ours", w, h).c_str(), Ours, w, h, japi2::KernelPath::Auto);
            benchmark::RegisterBenchmark(Name("ours-portable", w, h).c_str(), Ours, w, h, japi2::KernelPath::Portable);
        }
        benchmark::RegisterBenchmark(Name(child ? "turbo-nosimd" : "turbo-simd", w, h).c_str(), Turbo, w, h);
    }

    const auto collected = turbo_comparison::RunAndCollectMedians(argc, argv);
    if (!collected) return 0;  // the child run
    const std::map<std::string, double>& medians = *collected;

    std::printf("\nMedian MP/s (quality %d, 4:2:0, one row at a time; kernels: %s)\n", kQuality,
                japi2::KernelPathSupported(japi2::KernelPath::Avx2) ? "avx2" : "portable");
    std::printf("%-11s %9s %9s %9s %9s %12s %14s\n", "size", "ours", "portable", "turbo", "turbo-C", "ours/turbo",
                "ours/turbo-C");
    for (const auto& size : kSizes) {
        const int w = size.first, h = size.second;
        auto get = [&](const char* who) {
            for (const auto& [name, v] : medians)
                if (name.rfind(Name(who, w, h), 0) == 0) return v;
            return 0.0;
        };
        const double ours = get("ours"), portable = get("ours-portable"), simd = get("turbo-simd"),
                     plain = get("turbo-nosimd");
        std::printf("%4dx%-6d %9.1f %9.1f %9.1f %9.1f %12.2f %14.2f\n", w, h, ours, portable, simd, plain,
                    simd > 0 ? ours / simd : 0, plain > 0 ? ours / plain : 0);
    }
    return 0;
}
