// The benchmark program's entry: runs every case, then lists each case that
// writes pixels against one memset of a 320 x 240 frame measured in the same
// run.
//
// A case takes part by setting state.counters["pixels"] to the number of
// pixels it writes (or visits) per iteration. Its line shows millions of
// pixels per second and how many memsets of one frame the same time would
// buy for a frame's worth (76800) of its pixels: 1.0 means as fast as memset,
// 20 means twenty times slower.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/screen.h"

namespace {

void MemsetFrame(benchmark::State& state) {
    std::vector<uint32_t> frame(kFramePixels);
    for (auto _ : state) {
        std::memset(frame.data(), 0, frame.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = kFramePixels;
}
BENCHMARK(MemsetFrame);

struct Result {
    std::string name;
    double seconds_per_iteration;
    double pixels;
};

// Passes everything to the usual console output and keeps what the ratio
// table needs.
class CollectingReporter : public benchmark::ConsoleReporter {
  public:
    std::vector<Result> results;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            auto it = run.counters.find("pixels");
            if (it == run.counters.end()) continue;
            const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            results.push_back({run.benchmark_name(), seconds, it->second.value});
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    double memset_per_pixel = 0;
    for (const Result& r : reporter.results)
        if (r.name == "MemsetFrame") memset_per_pixel = r.seconds_per_iteration / r.pixels;
    if (memset_per_pixel <= 0) return 0;
    std::printf("\n%-40s %14s %22s\n", "case", "Mpixels/s", "frame time / memset");
    for (const Result& r : reporter.results) {
        if (r.pixels <= 0) continue;
        const double per_pixel = r.seconds_per_iteration / r.pixels;
        std::printf("%-40s %14.1f %22.1f\n", r.name.c_str(), 1e-6 / per_pixel,
                    per_pixel / memset_per_pixel);
    }
    return 0;
}
