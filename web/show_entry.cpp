// The show inside the web page: the functions page.js calls on the show's
// WebAssembly module. The page owns time and input; this file owns the frame
// and runs the program's own main loop (show/show_loop.h) on it.
//
// Time is the audio clock: `heard` is the sample frame of the music being
// heard now (output latency included) and `now_ms` the same instant in whole
// milliseconds of music. Sync values arrive from the audio worklet with the
// sample where their row starts and wait in a SyncQueue until that sample is
// heard.
//
//   web_setup(state)          as at start: screen size, tables, the scenes'
//                             set-ups in order, sync reset; then the sync state
//                             becomes the 10 bytes at `state` (scene number,
//                             flags 1..9), or stays reset for null
//   web_push_sync(sample, v)  queues sync value v for sample frame `sample`
//                             (1), or folds it into the queue's summary when
//                             the queue is full (0; see sync_queue.h)
//   web_advance(heard, now)   runs the main loop with the sync values due at
//                             `heard` up to its next frame: returns the scene
//                             whose frame comes next (0..7), -1 when none
//                             does (scene 8..30) or 31 when the music ended
//                             the show
//   web_frame(now_ms)         makes that frame (the loop's tick counter at
//                             `now_ms`); returns the RGBA bytes for the
//                             canvas, or null when no scene runs
//   web_start_at(order, row)  plays the show from its start without output up
//                             to that row (show/replay.h), as the program's
//                             --start does: returns the show time in ms the
//                             page's clock goes on from, or -1 when the show
//                             ends first
//   web_seek(order, row)      the same from any moment of the show: back to
//                             the state set-up left (saved by web_setup),
//                             the queue emptied, then played up to the row
//   web_release()             the scenes' releases in order
//   web_probe_*               frame_probe.h, for the build comparison and timings
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "music/sync_queue.h"
#include "music/xmp_player.h"
#include "scenes/scenes.h"
#include "scenes/show_state.h"
#include "show/replay.h"
#include "show/show_loop.h"
#include "web/frame_probe.h"

namespace {

SyncQueue queue;
std::vector<uint32_t> rgba(kFramePixels, 0u);
int64_t heard_now = 0; // the sample heard, as the page last said
int64_t clock_now = 0; // the same instant in ms

// The page as the main loop's platform: the frame buffer, the sync values
// due at the heard sample, and the audio clock. Keys and the end are the
// page's own business.
struct Page : BufferDisplay, QuietMusic, Clock {
    void deliver_sync() override {
        queue.deliver_due(heard_now, sync_callback);
        // The page pushes and advances on one thread: what the queue folded
        // while it was full goes in now that there is room.
        if (queue.flush()) queue.deliver_due(heard_now, sync_callback);
    }
    int64_t now_ms() override { return clock_now; }
} page;
NoDialogs no_dialogs;
ShowPlatform platform{page, page, no_dialogs, page, scene_table(), {}};
ShowLoop loop;

} // namespace

extern "C" {

void web_setup(const uint8_t* state) {
    set_up_scenes();
    remember_start_state();
    if (state) {
        SyncSnapshot snapshot;
        for (int i = 0; i <= kSyncFlagCount; ++i)
            snapshot.bytes[i] = state[i];
        sync_restore(snapshot);
    }
    queue.clear();
    loop = ShowLoop(); // the tick counter starts at 0
}

int web_push_sync(double sample, int value) {
    return queue.push({static_cast<int64_t>(sample), static_cast<uint8_t>(value)}) ? 1 : 0;
}

// The main loop up to its next frame, held there: the scene whose frame
// comes next, -1 when a sweep finds none (the sweep's idle is passed, so the
// next call starts a new one), or 31 when the music ended the show.
int web_advance(double heard, double now_ms) {
    heard_now = static_cast<int64_t>(heard);
    clock_now = static_cast<int64_t>(now_ms);
    loop.hold = [] { return true; };
    ShowLoop::Step step = loop.step(platform);
    if (step == ShowLoop::Step::Held && loop.running_scene() < 0) {
        loop.hold = nullptr;
        step = loop.step(platform); // the idle sweep
        loop.hold = [] { return true; };
        if (step != ShowLoop::Step::Ended) step = loop.step(platform);
    }
    loop.hold = nullptr;
    if (step == ShowLoop::Step::Ended) return kSceneEnd;
    return loop.running_scene();
}

const uint8_t* web_frame(double now_ms) {
    clock_now = static_cast<int64_t>(now_ms);
    if (loop.running_scene() < 0 || loop.step(platform) != ShowLoop::Step::Drew) return nullptr;
    // 0x00RRGGBB to the canvas's R, G, B, A bytes (little-endian words).
    for (int i = 0; i < kFramePixels; ++i) {
        const uint32_t p = page.frame[static_cast<size_t>(i)];
        rgba[static_cast<size_t>(i)] =
            0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
    }
    return reinterpret_cast<const uint8_t*>(rgba.data());
}

double web_start_at(int order, int row) {
    return static_cast<double>(replay_to(loop, scene_table(), read_module_file("vorn.xm"),
                                         {order, row}, page.frame.data()));
}

double web_seek(int order, int row) {
    restore_start_state();
    loop = ShowLoop();
    std::fill(page.frame.begin(), page.frame.end(), 0u);
    queue.clear();
    if (order == 0 && row == 0) return 0;
    return web_start_at(order, row);
}

int web_tick_counter() {
    return tick_counter;
}

void web_release() {
    for (const SceneOps& s : scene_table())
        s.release();
}

void web_probe_setup() {
    probe_setup();
}

uint32_t web_probe_frame(int scene, int tick, uint32_t flags) {
    return probe_frame(scene, tick, flags);
}

void web_probe_render(int scene, int tick) {
    probe_render(scene, tick);
}

} // extern "C"
