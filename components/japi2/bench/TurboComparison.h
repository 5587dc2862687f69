#pragma once
// What the speed comparisons with libjpeg-turbo share. libjpeg-turbo reads JSIMD_FORCENONE
// once per process, so its figures without SIMD come from a child run of the same program
// with that variable set, which registers only libjpeg-turbo's benchmarks and prints their
// medians for the parent. Every benchmark reports the counter "MP/s".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace turbo_comparison {

// Medians by benchmark name, taken from the aggregate rows.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medians;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.str()] = run.counters.at("MP/s");
        ConsoleReporter::ReportRuns(runs);
    }
};

// True in the child run, which registers libjpeg-turbo's benchmarks only (as "turbo-nosimd").
inline bool IsNoSimdChild() { return std::getenv("JSIMD_FORCENONE") != nullptr; }

// Google Benchmark's set-up with five repetitions reported as aggregates.
inline void Initialize(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string reps = "--benchmark_repetitions=5";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    args.insert(args.begin() + 1, {reps.data(), aggregates.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
}

// Runs the registered benchmarks. In the child, prints the medians and gives none back;
// in the parent, gives back every median by benchmark name, the child's included.
inline std::optional<std::map<std::string, double>> RunAndCollectMedians(int argc, char** argv) {
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (IsNoSimdChild()) {
        for (const auto& [name, mps] : reporter.medians) std::printf("MEDIAN %s %.3f\n", name.c_str(), mps);
        return std::nullopt;
    }
    std::map<std::string, double> medians = reporter.medians;
    std::string command = "JSIMD_FORCENONE=1 '" + std::string(argv[0]) + "'";
    for (int i = 1; i < argc; ++i) command += std::string(" '") + argv[i] + "'";
    command += " --benchmark_color=false 2>/dev/null";
    std::fflush(stdout);
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe)) {
            char name[256];
            double mps = 0;
            const char* at = std::strstr(line, "MEDIAN ");
            if (at && std::sscanf(at, "MEDIAN %255s %lf", name, &mps) == 2) {
                std::string n = name;
                const size_t suffix = n.find("_median");
                if (suffix != std::string::npos) n.erase(suffix);
                medians[n] = mps;
            }
        }
        pclose(pipe);
    }
    return medians;
}

}  // namespace turbo_comparison
