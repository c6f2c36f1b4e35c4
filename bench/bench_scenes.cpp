// One frame of each scene with the generated data, as the show draws it
// (lights on in scene 0, a greeting in scene 2, the grid's faces in scene 5),
// over a range of ticks. The ratio table of main.cpp compares each with a
// memset of one frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "render/tables.h"
#include "scenes/scenes.h"

namespace {

// Sets every scene up once, in the data folder, with the loaders' progress
// lines kept off the benchmark's output.
bool scenes_ready() {
    static const bool ready = [] {
        std::error_code ec;
        std::filesystem::current_path(VORN_BENCH_DATA_DIR, ec);
        if (ec) return false;
        std::fflush(stdout);
        const int saved = dup(1);
        if (std::freopen("/dev/null", "w", stdout) == nullptr) return false;
        build_lookup_tables();
        for (const SceneOps& s : scene_table())
            s.setup();
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        return true;
    }();
    return ready;
}

void Scene(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    if (!scenes_ready()) {
        state.SkipWithError("the generated data folder is missing");
        return;
    }
    sync_reset();
    if (k == 0 || k == 5) raise_sync_flag(4);
    if (k == 2) raise_sync_flag(6);
    std::vector<uint32_t> frame(kFramePixels);
    int32_t tick = 0;
    for (auto _ : state) {
        tick_counter = tick;
        tick = (tick + 7) % 4000;
        scene_table()[static_cast<size_t>(k)].render(frame.data());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = kFramePixels;
}
BENCHMARK(Scene)->DenseRange(0, kSceneCount - 1)->Unit(benchmark::kMicrosecond);

} // namespace
