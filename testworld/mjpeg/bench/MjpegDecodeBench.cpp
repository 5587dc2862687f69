// Decoding speed of camera-like MJPEG frames (quality 85, 4:2:2 and 4:2:0, encoded by
// libjpeg-turbo with its standard tables) into BGR24 rows, side by side with libjpeg-turbo
// (its defaults: accurate integer DCT, triangle upsampling). libjpeg-turbo reads
// JSIMD_FORCENONE once per process, so its no-SIMD figures come from a child run of this
// program with that variable set; the parent prints medians, frames per second and ratios.
//
//   mjpeg_decode_bench [google benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "components/japi2/bench/TurboComparison.h"
#include "components/japi2/testing/CameraPicture.h"
#include "components/japi2/testing/ReferenceCodec.h"
#include "testworld/mjpeg/MjpegDecoder.h"

namespace {

constexpr int kQuality = 85;
struct FrameKind {
    int width, height;
    int lumaV;  // 1: 4:2:2, 2: 4:2:0
};
const FrameKind kFrames[] = {{640, 480, 1}, {640, 480, 2}, {1280, 1024, 1}, {1280, 1024, 2}};

std::string Name(const char* who, const FrameKind& f) {
    return std::string(who) + "/" + std::to_string(f.width) + "x" + std::to_string(f.height) +
           (f.lumaV == 1 ? "/422" : "/420");
}

const std::vector<uint8_t>& Stream(const FrameKind& f) {
    static std::map<std::string, std::vector<uint8_t>> streams;
    const std::string key = Name("", f);
    auto it = streams.find(key);
    if (it == streams.end()) {
        japi2::testing::ReferenceOptions options;
        options.quality = kQuality;
        options.lumaH = 2;
        options.lumaV = f.lumaV;
        it = streams.emplace(key, EncodeReference(japi2::testing::MakeCameraPicture(f.width, f.height, 42), options)).first;
    }
    return it->second;
}

void SetRate(benchmark::State& state, const FrameKind& f, size_t bytes) {
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(f.width) * f.height / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void Ours(benchmark::State& state, FrameKind f, japi2::KernelPath path) {
    const std::vector<uint8_t>& jpeg = Stream(f);
    std::vector<uint8_t> pixels(static_cast<size_t>(f.width) * f.height * 3);
    const mjpeg::OutputImage out{mjpeg::PixelFormat::Bgr24, pixels.data(), pixels.size(),
                                 static_cast<size_t>(f.width) * 3, false};
    for (auto _ : state) {
        if (!mjpeg::Decode(jpeg.data(), jpeg.size(), out, path).Ok()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels.data());
    }
    SetRate(state, f, jpeg.size());
}

void Turbo(benchmark::State& state, FrameKind f) {
    const std::vector<uint8_t>& jpeg = Stream(f);
    std::vector<uint8_t> pixels(static_cast<size_t>(f.width) * f.height * 3);
    std::vector<JSAMPROW> rows(static_cast<size_t>(f.height));
    for (int y = 0; y < f.height; ++y) rows[y] = pixels.data() + static_cast<size_t>(y) * f.width * 3;
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    for (auto _ : state) {
        jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height)
            jpeg_read_scanlines(&info, rows.data() + info.output_scanline, info.output_height - info.output_scanline);
        jpeg_finish_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
    jpeg_destroy_decompress(&info);
    SetRate(state, f, jpeg.size());
}


}  // namespace

int main(int argc, char** argv) {
    const bool child = turbo_comparison::IsNoSimdChild();
    turbo_comparison::Initialize(argc, argv);

    for (const FrameKind& f : kFrames) {
        if (!child) {
            benchmark::RegisterBenchmark(Name("ours", f).c_str(), Ours, f, japi2::KernelPath::Auto);
            benchmark::RegisterBenchmark(Name("ours-portable", f).c_str(), Ours, f, japi2::KernelPath::Portable);
        }
        benchmark::RegisterBenchmark(Name(child ? "turbo-nosimd" : "turbo-simd", f).c_str(), Turbo, f);
    }

    const auto collected = turbo_comparison::RunAndCollectMedians(argc, argv);
    if (!collected) return 0;  // the child run
    const std::map<std::string, double>& medians = *collected;

    std::printf("\nMedian MP/s decoding to BGR24 (quality %d; kernels: %s)\n", kQuality,
                japi2::KernelPathSupported(japi2::KernelPath::Avx2) ? "avx2" : "portable");
    std::printf("%-15s %8s %9s %8s %8s %11s %13s %10s\n", "frame", "ours", "portable", "turbo", "turbo-C",
                "ours/turbo", "ours/turbo-C", "ours fps");
    for (const FrameKind& f : kFrames) {
        auto get = [&](const char* who) {
            for (const auto& [name, v] : medians)
                if (name.rfind(Name(who, f), 0) == 0) return v;
            return 0.0;
        };
        const double ours = get("ours"), portable = get("ours-portable"), simd = get("turbo-simd"),
                     plain = get("turbo-nosimd");
        std::printf("%4dx%-4d %s %8.1f %9.1f %8.1f %8.1f %11.2f %13.2f %10.0f\n", f.width, f.height,
                    f.lumaV == 1 ? "4:2:2" : "4:2:0", ours, portable, simd, plain, simd > 0 ? ours / simd : 0,
                    plain > 0 ? ours / plain : 0, ours * 1e6 / (static_cast<double>(f.width) * f.height));
    }
    return 0;
}
