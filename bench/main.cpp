// The benchmark program's entry: runs every case, then lists each case that
// writes pixels against one memset of a 320 x 240 frame measured in the same
// run.
//
// A case takes part by setting state.counters["pixels"] to the number of
// pixels it writes (or visits) per iteration. Its line shows millions of
// pixels per second and how many memsets of one frame the same time would
// buy for a frame's worth (76800) of its pixels: 1.0 means as fast as memset,
// 20 means twenty times slower. Below the table: the mean over the eight
// scenes, and the whole show, each scene's frame weighted by how long the
// scene plays in vorn.xm.
//
// Times are wall-clock, since a frame may be drawn by two threads at once
// (core/bands.h). --bands=1 draws every frame on one thread, for comparison.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/show_weights.h"
#include "core/bands.h"
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
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            results.push_back({run.benchmark_name(), seconds, it->second.value});
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    // Our own option first; the rest are Google Benchmark's.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--bands=", 8) == 0)
            set_band_count(std::atoi(argv[i] + 8));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
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

    double ratio[kSceneCount] = {};
    int found = 0;
    for (const Result& r : reporter.results)
        for (int k = 0; k < kSceneCount; ++k)
            if (r.name == "Scene/" + std::to_string(k) && r.pixels > 0) {
                ratio[k] = r.seconds_per_iteration / r.pixels / memset_per_pixel;
                ++found;
            }
    if (found != kSceneCount) return 0;
    double mean = 0;
    for (double x : ratio)
        mean += x / kSceneCount;
    const auto ms = scene_play_ms(std::string(VORN_BENCH_DATA_DIR) + "/vorn.xm");
    double weighted = 0, total_ms = 0;
    for (int k = 0; k < kSceneCount; ++k) {
        weighted += ratio[k] * ms[static_cast<size_t>(k)];
        total_ms += ms[static_cast<size_t>(k)];
    }
    std::printf("%-40s %14s %22.1f\n", "Scenes, mean of eight", "", mean);
    if (total_ms > 0) {
        std::printf("%-40s %14s %22.1f\n", "Whole show, weighted by play time", "",
                    weighted / total_ms);
        std::printf("  (seconds each scene plays:");
        for (double m : ms)
            std::printf(" %.0f", m / 1000);
        std::printf(")\n");
    }
    return 0;
}
