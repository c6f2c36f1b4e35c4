// The show inside the web page: the functions page.js calls on the show's
// WebAssembly module. The page owns time and input; this file owns the frame
// and follows the scene number exactly as the program's main loop does.
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
//   web_advance(heard, now)   delivers the sync values due at `heard` and
//                             follows the scene number: returns the scene
//                             whose loop runs (0..7), -1 when none does
//                             (scene 8..30) or 31 when the music ended the show
//   web_frame(now_ms)         renders one frame of the running scene with the
//                             tick counter of the main loop; returns the RGBA
//                             bytes for the canvas, or null when no scene runs
//   web_release()             the scenes' releases in order
//   web_probe_*               frame_probe.h, for the build comparison and timings
#include <cstdint>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "music/sync_queue.h"
#include "scenes/scenes.h"
#include "web/frame_probe.h"

namespace {

SyncQueue queue;
int running = -1;        // the scene whose loop runs, -1 for none
float scene_start = 0.f; // the clock when its loop began, as the main loop keeps it
std::vector<uint32_t> frame(kFramePixels, 0u);
std::vector<uint32_t> rgba(kFramePixels, 0u);

void deliver(uint32_t value) {
    sync_callback(value);
}

} // namespace

extern "C" {

void web_setup(const uint8_t* state) {
    set_up_scenes();
    if (state) {
        SyncSnapshot snapshot;
        for (int i = 0; i <= kSyncFlagCount; ++i)
            snapshot.bytes[i] = state[i];
        sync_restore(snapshot);
    }
    queue.clear();
    running = -1;
    tick_counter = 0;
}

int web_push_sync(double sample, int value) {
    return queue.push({static_cast<int64_t>(sample), static_cast<uint8_t>(value)}) ? 1 : 0;
}

int web_advance(double heard, double now_ms) {
    queue.deliver_due(static_cast<int64_t>(heard), deliver);
    // The page pushes and advances on one thread: what the queue folded
    // while it was full goes in now that there is room.
    if (queue.flush()) queue.deliver_due(static_cast<int64_t>(heard), deliver);
    const int scene = sync_scene();
    if (scene == kSceneEnd) return kSceneEnd;
    const int next = scene < kSceneCount ? scene : -1;
    // A new scene number starts that scene's loop with the clock read now;
    // the same number again changes nothing.
    if (next != running) {
        running = next;
        scene_start = static_cast<float>(static_cast<int64_t>(now_ms));
    }
    return running;
}

const uint8_t* web_frame(double now_ms) {
    if (running < 0) return nullptr;
    const float now = static_cast<float>(static_cast<int64_t>(now_ms));
    tick_counter = ticks_since(scene_start, now);
    scene_table()[static_cast<size_t>(running)].render(frame.data());
    // 0x00RRGGBB to the canvas's R, G, B, A bytes (little-endian words).
    for (int i = 0; i < kFramePixels; ++i) {
        const uint32_t p = frame[static_cast<size_t>(i)];
        rgba[static_cast<size_t>(i)] =
            0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
    }
    return reinterpret_cast<const uint8_t*>(rgba.data());
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
