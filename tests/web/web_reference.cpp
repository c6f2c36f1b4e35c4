// The native side of the web build's comparisons: prints what the native
// build renders, plays and times, in the form the node test prints for the
// WebAssembly build (tests/web/node_equality.mjs compares the two).
//
//   web_reference DATA_DIR frames S:T:MASK ...   FNV-1a hash of each frame in turn
//   web_reference DATA_DIR samples RATE SECONDS  hash of the samples and every sync value
//   web_reference DATA_DIR timeline MAX_MS       the sync timeline
//   web_reference DATA_DIR states                the sync state at every order position
//   web_reference DATA_DIR bench FRAMES          each scene's mean frame time in ms (best of 20)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music/music_timeline.h"
#include "music/xmp_player.h"
#include "scenes/consumed_flags.h"
#include "web/frame_probe.h"

namespace {

// The set-ups, with the loaders' progress messages kept out of our output.
void quiet_setup() {
    std::fflush(stdout);
    const int saved = dup(1);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    probe_setup();
    std::fflush(stdout);
    dup2(saved, 1);
    close(devnull);
    close(saved);
}

std::vector<uint8_t> read_module() {
    std::ifstream f("vorn.xm", std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

int frames(int argc, char** argv) {
    quiet_setup();
    for (int i = 3; i < argc; ++i) {
        int scene = 0, tick = 0;
        unsigned mask = 0;
        if (std::sscanf(argv[i], "%d:%d:%u", &scene, &tick, &mask) != 3) return 2;
        std::printf("%d:%d:%u %08x\n", scene, tick, mask, probe_frame(scene, tick, mask));
    }
    return 0;
}

int samples(int rate, double seconds) {
    XmpPlayer player;
    if (!player.load(read_module()) || !player.start(rate)) return 1;
    const int64_t wanted = static_cast<int64_t>(seconds * rate);
    int64_t rendered = 0;
    uint32_t h = 2166136261u;
    while (rendered < wanted && player.play_tick()) {
        for (uint8_t v : player.row_sync())
            std::printf("sync %lld %d\n", static_cast<long long>(player.tick_start()), v);
        const int16_t* s = player.samples();
        for (size_t i = 0; i < 2 * player.sample_frames(); ++i) {
            const uint16_t u = static_cast<uint16_t>(s[i]);
            h = (h ^ (u & 0xFFu)) * 16777619u;
            h = (h ^ (u >> 8)) * 16777619u;
        }
        rendered += static_cast<int64_t>(player.sample_frames());
    }
    std::printf("samples %lld %08x\n", static_cast<long long>(rendered), h);
    return 0;
}

int timeline(int64_t max_ms) {
    for (const SyncEvent& e : walk_sync_timeline(read_module(), max_ms))
        std::printf("%lld %d %d %d %d\n", static_cast<long long>(e.time_ms), e.position, e.pattern,
                    e.row, e.value);
    return 0;
}

int states() {
    const std::vector<uint8_t> module = read_module();
    for (int order = 0; order < 256; ++order) {
        const auto s = sync_state_at_order(module, order, scene_consumed_flags);
        if (!s) break;
        std::printf("%d", order);
        for (uint8_t b : s->bytes)
            std::printf(" %d", b);
        std::printf("\n");
    }
    return 0;
}

int bench(int count) {
    quiet_setup();
    using clock = std::chrono::steady_clock;
    for (int scene = 0; scene < 8; ++scene) {
        for (int i = 0; i < 10; ++i)
            probe_render(scene, i);
        double best = 1e9; // the best of 20 rounds: the machine may be busy
        for (int round = 0; round < 20; ++round) {
            const auto t0 = clock::now();
            for (int i = 0; i < count; ++i)
                probe_render(scene, 10 + 3 * i);
            const std::chrono::duration<double, std::milli> took = clock::now() - t0;
            best = std::min(best, took.count() / count);
        }
        std::printf("%d %.4f\n", scene, best);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || chdir(argv[1]) != 0) {
        std::fprintf(stderr,
                     "usage: web_reference DATA_DIR frames|samples|timeline|states|bench ...\n");
        return 2;
    }
    const std::string mode = argv[2];
    if (mode == "frames") return frames(argc, argv);
    if (mode == "samples" && argc == 5) return samples(std::atoi(argv[3]), std::atof(argv[4]));
    if (mode == "timeline" && argc == 4) return timeline(std::atoll(argv[3]));
    if (mode == "states") return states();
    if (mode == "bench" && argc == 4) return bench(std::atoi(argv[3]));
    return 2;
}
