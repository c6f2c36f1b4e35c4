// Recording the whole show with the generated data, as `vorn --record` does:
// (a) rendering only, frames and sound discarded, (b) the default H.264
// encoding at scale 4, and (c) reaching the last order position without
// output, the lead-in of a stretch that starts there (the budget: at least
// 50 times real time). Each runs once in a child process of its own (the
// show's set-up and release touch global state) and is reported as a
// multiple of real time: seconds of show per second of wall time, with the
// child's peak memory and the show seconds per second of processor time.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "bench/child_process.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"
#include "sdl/video_loader.h"
#include "show/recorder.h"
#include "show/show.h"

namespace {

double g_file_mb = 0; // in the child: the size of the file written

// In the child: plays the show without output up to the first frame of its
// last order position, as a recording or a seek that starts there does, and
// returns the frames drawn on the way (0 on failure).
int64_t reach_last_order() {
    std::error_code ec;
    std::filesystem::current_path(VORN_BENCH_DATA_DIR, ec);
    if (ec || !std::freopen("/dev/null", "w", stdout)) return 0;
    const std::shared_ptr<const FileRead> module = read_module_file("vorn.xm");
    XmSync sync;
    if (!read_xm_sync(module->bytes.data(), module->bytes.size(), sync, nullptr)) return 0;
    NullSink sink;
    static volatile std::sig_atomic_t reached = 0;
    RecordSettings settings;
    settings.from = {static_cast<int>(sync.orders.size()) - 1, 0};
    settings.module_file = module;
    settings.stop = &reached;
    Recorder recorder(sink, settings);
    recorder.on_frame = [](int64_t) { reached = 1; };
    NoDialogs dialogs;
    ShowPlatform p{recorder, recorder, dialogs, recorder, scene_table(), {true, false}};
    return run_show(p) == 0 ? recorder.skipped() : 0;
}

// In the child: records the show and returns its frame count (0 on failure).
int64_t record_show(bool encode) {
    std::error_code ec;
    std::filesystem::current_path(VORN_BENCH_DATA_DIR, ec);
    if (ec || !std::freopen("/dev/null", "w", stdout)) return 0;
    const std::string out =
        (std::filesystem::temp_directory_path() / "vorn-bench-record.mp4").string();
    std::unique_ptr<FrameSink> sink;
    try {
        // The build's module, as the program in the build folder loads it.
        sink = encode ? load_video_encoder(video_module_path(VORN_BUILD_PROGRAM_DIR), out, out,
                                           Container::Mp4, 4, FrameRate{})
                      : std::make_unique<NullSink>();
    } catch (const RecordError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 0;
    }
    Recorder recorder(*sink, RecordSettings{});
    NoDialogs dialogs;
    ShowPlatform p{recorder, recorder, dialogs, recorder, scene_table(), {true, false}};
    const int code = run_show(p);
    if (encode) g_file_mb = static_cast<double>(std::filesystem::file_size(out, ec)) / 1e6;
    std::filesystem::remove(out, ec);
    return code == 0 ? recorder.frames() : 0;
}

void RecordShow(benchmark::State& state) {
    const int what = static_cast<int>(state.range(0)); // 0 discard, 1 encode, 2 reach last order
    const bool encode = what == 1;
    for (auto _ : state) {
        struct Result {
            int64_t frames;
            double file_mb;
        };
        const auto start = std::chrono::steady_clock::now();
        rusage usage{};
        const std::optional<Result> got = in_child<Result>(
            [&] {
                const int64_t frames = what == 2 ? reach_last_order() : record_show(encode);
                return Result{frames, g_file_mb};
            },
            &usage);
        const int64_t frames = got ? got->frames : 0;
        const double file_mb = got ? got->file_mb : 0;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(wall);
        if (frames == 0) {
            state.SkipWithError("the recording failed (is the generated data there?)");
            return;
        }
        const double show = static_cast<double>(frames) / 60.0;
        state.counters["show_s"] = show;
        state.counters["x_real_time"] = show / wall;
        // Reaching a position may take at most 1/50 of the time it plays for.
        if (what == 2) state.counters["budget_x_real_time"] = 50;
        // The same per second of processor time (all threads): steadier than
        // wall time on a machine that others share.
        const double cpu =
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        if (cpu > 0) state.counters["x_per_cpu_s"] = show / cpu;
        state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        if (encode) state.counters["file_MB"] = file_mb;
    }
}
BENCHMARK(RecordShow)
    ->ArgName("discard_h264_reach")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace
