// Jumps through the show with the generated data, as a viewer makes them:
// from the call to the exact frame in the frame buffer, over 60 jumps to
// random places (a third each: order positions, as the keys jump, any row,
// and any moment, as the seek bar gives), once the snapshots are built. Reported: the
// 50th and 95th percentile and the longest jump in ms, the snapshots'
// count, memory (as counted, and what the process took on while making
// them) and build time, and as the baseline measured in the same
// run, one jump to the last order position without snapshots (the replay
// from the start that every jump used to be), with the 95th percentile as
// a fraction of it. Runs in a child process (the show's set-up and release
// touch global state); the goal is a 95th percentile of 150 ms at most.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/child_process.h"
#include "core/rand.h"
#include "music/music_timeline.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"
#include "scenes/show_state.h"
#include "show/replay.h"
#include "show/show_player.h"
#include "show/snapshots.h"

namespace {

struct JumpFigures {
    double p50_ms = 0, p95_ms = 0, max_ms = 0;
    double build_ms = 0, snapshots = 0, snapshot_mb = 0;
    double cold_ms = 0;     // the last order position, played from the start
    double resident_mb = 0; // what the process took on while the snapshots were made
};

double resident_mb() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * 4096 / (1 << 20);
}

double ms_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

struct StillClock : Clock {
    int64_t ms = 0;
    int64_t now_ms() override { return ms; }
};

// In the child: the figures, or a build time of 0 on failure.
JumpFigures measure_jumps() {
    JumpFigures f;
    std::error_code ec;
    std::filesystem::current_path(VORN_BENCH_DATA_DIR, ec);
    if (ec || !std::freopen("/dev/null", "w", stdout)) return f;
    const std::shared_ptr<const FileRead> module = read_module_file("vorn.xm");
    XmSync sync;
    if (!module || !read_xm_sync(module->bytes.data(), module->bytes.size(), sync, nullptr))
        return f;
    const int orders = static_cast<int>(sync.orders.size());
    set_up_scenes();
    remember_start_state();

    // The baseline: the last order position reached from the start.
    {
        ShowLoop loop;
        std::vector<uint32_t> frame(320 * 240);
        const auto t = std::chrono::steady_clock::now();
        if (replay_to(loop, scene_table(), module, {orders - 1, 0}, frame.data()) < 0) return f;
        f.cold_ms = ms_since(t);
        restore_start_state();
    }

    BufferDisplay display;
    QuietMusic music;
    StillClock clock;
    NoDialogs dialogs;
    PlayerSettings settings;
    settings.snapshot_ms = 1 << 30; // all of them in the first pass
    ShowPlatform p{display,
                   music,
                   dialogs,
                   clock,
                   scene_table(),
                   {},
                   {},
                   module,
                   nullptr,
                   settings,
                   {remember_start_state, restore_start_state}};
    ShowPlayer player(p);
    const double before = resident_mb();
    const auto built = std::chrono::steady_clock::now();
    if (!player.begin({}) || !player.run_once()) return f;
    const double build_ms = ms_since(built);
    f.resident_mb = resident_mb() - before;

    vorn::srand(7);
    std::vector<double> took;
    // A third each: order positions, any row, any moment (a time, as the
    // seek bar gives).
    const std::vector<OrderVisit> visits = order_timeline(module->bytes);
    if (visits.size() < 2) return f;
    const int64_t last_ms = visits.back().start_ms;
    for (int i = 0; i < 60; ++i) {
        const int order = vorn::rand() % orders;
        SongPosition at{order, i % 3 == 1 ? vorn::rand() % 64 : 0};
        if (i % 3 == 2) at.time_ms = (vorn::rand() * 32768 + vorn::rand()) % last_ms;
        const auto t = std::chrono::steady_clock::now();
        if (player.seek(at)) player.run_once();
        took.push_back(ms_since(t));
    }
    std::sort(took.begin(), took.end());
    f.p50_ms = took[took.size() / 2];
    f.p95_ms = took[took.size() * 95 / 100];
    f.max_ms = took.back();
    f.build_ms = build_ms;
    f.snapshots = static_cast<double>(player.snapshot_count());
    f.snapshot_mb = static_cast<double>(player.snapshot_bytes()) / (1 << 20);
    return f;
}

void ShowJumps(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::optional<JumpFigures> got = in_child<JumpFigures>(measure_jumps);
        state.SetIterationTime(ms_since(start) / 1000);
        if (!got || got->build_ms <= 0) {
            state.SkipWithError("the jumps failed (is the generated data there?)");
            return;
        }
        const JumpFigures& f = *got;
        state.counters["p50_ms"] = f.p50_ms;
        state.counters["p95_ms"] = f.p95_ms;
        state.counters["max_ms"] = f.max_ms;
        state.counters["goal_p95_ms"] = 150;
        state.counters["snapshots"] = f.snapshots;
        state.counters["snapshot_MB"] = f.snapshot_mb;
        state.counters["resident_growth_MB"] = f.resident_mb;
        state.counters["build_s"] = f.build_ms / 1000;
        state.counters["from_start_ms"] = f.cold_ms;
        state.counters["p95_of_from_start"] = f.p95_ms / f.cold_ms;
    }
}
BENCHMARK(ShowJumps)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
