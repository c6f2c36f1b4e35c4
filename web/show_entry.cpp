// The show inside the web page: the functions page.js calls on the show's
// WebAssembly module. The show runs here as in the program, through the
// same player (show/show_player.h): its main loop, pause, seeks, looping
// and the end. The page is its platform: it hands in what the viewer pressed
// and how much of the music has been heard, shows the frames, and makes the
// audio worklet follow what the player asks of the music.
//
// Time is the audio clock. `heard` is the sample frame of the music heard
// now (output latency included), counted from where the music last started
// playing, or -1 before its first sample is heard; the player's clock is
// the music heard in all, in whole ms, so it stands still while the music
// is paused and, after a seek, until the music from the new row is heard.
// Sync values arrive from the audio worklet with the sample where their row
// starts and wait in a SyncQueue until that sample is heard.
//
//   web_setup(loop)           as the program starts: screen size, tables,
//                             the scenes' set-ups in order, sync reset; the
//                             player is made (looping from the start if
//                             `loop`), which saves that state for its seeks
//   web_begin(order, row, time_ms)
//                             before the music starts: the show goes to that
//                             row (or, time_ms >= 0, that moment in it) as
//                             the program's --start does (0, 0: the start),
//                             in slices:
//   web_begin_step(budget_ms) plays on for about budget_ms; returns -2 while
//                             on its way, then the show time in ms, or -1
//                             when the show ends first
//   web_push_sync(sample, v)  queues sync value v for sample frame `sample`
//                             (1), or folds it into the queue's summary when
//                             the queue is full (0; see sync_queue.h)
//   web_control(c)            the viewer pressed control c (the Control enum
//                             in show/platform.h): handled at the next run
//   web_seek(order, row, time_ms)
//                             starts a jump to that row or moment, exact (the
//                             seek bar), which the runs play in slices while
//                             the status gives a `jump_ms`
//   web_stop()                a key ends the show at the next run
//   web_run(heard, rate, song_over, picture)
//                             one pass of the player: the controls, then
//                             the next frame unless paused. `rate` is the
//                             music's sample rate and `song_over` whether
//                             the music has played to its end. Returns the
//                             frame's RGBA bytes for the canvas when it made
//                             one and `picture` asks for it, else null
//   web_status()              the player's state now, 18 int32 (below)
//   web_release()             the scenes' releases in order
//   web_probe_*               frame_probe.h, for the build comparison and timings
//
// After every call that runs the player (web_begin, web_seek, web_run), the
// page reads web_status() and makes the music follow: `music_seeks` counts
// the times the player asked the music to play on from a row (the last one
// is `music_order`, `music_row`, `music_skip` sample frames at 48 kHz into
// it, with the row's own sync values unless `music_row_values` is 0), and
// `music_paused` says whether it plays. Before the first run they say where
// the music starts.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "core/screen.h"
#include "core/sync.h"
#include "music/sync_queue.h"
#include "music/xmp_player.h"
#include "scenes/scenes.h"
#include "scenes/show_state.h"
#include "show/show_player.h"
#include "web/frame_probe.h"
#include "web/gentle_entry.h"

namespace {

// What the page reads after each run (web_status).
struct Status {
    int32_t ended = 0;   // the show has ended (a key, or the music's end without looping)
    int32_t paused = 0;  // the viewer paused it
    int32_t looping = 0; // the show starts again at the music's end
    int32_t loops = 0;   // how many times it did
    int32_t show_ms = 0; // the show's time now
    int32_t scene = -1;  // the scene whose loop runs (0..7), or -1
    int32_t tick = 0;    // the tick counter of the last frame
    int32_t music_seeks = 0;
    int32_t music_order = 0;
    int32_t music_row = 0;
    int32_t music_paused = 0;
    int32_t delivered = 0; // sync values handed over since the music last started from a row
    int32_t jump_ms = -1;  // where a jump on its way goes (the player plays it in slices); -1: none
    int32_t jump_percent = 0;   // how far it has come, 0..99
    int32_t snapshots_done = 0; // the snapshots of the whole show are made
    int32_t snapshot_kb = 0;    // the memory they hold
    int32_t music_skip = 0;     // see above
    int32_t music_row_values = 1;
};
static_assert(sizeof(Status) == 18 * sizeof(int32_t));

// The page's main thread never stalls: the snapshots are made in slices of
// this many ms after each frame, and a jump plays in slices of the other,
// the page painting between them.
constexpr int kSnapshotSliceMs = 6;
constexpr int kJumpSliceMs = 12;
// page.js names the controls by these numbers.
static_assert(static_cast<int>(Control::Pause) == 1 && static_cast<int>(Control::Back) == 2 &&
              static_cast<int>(Control::Forward) == 3 && static_cast<int>(Control::Restart) == 4 &&
              static_cast<int>(Control::Loop) == 7);

SyncQueue queue;
Status status;
std::vector<uint32_t> rgba(kFramePixels, 0u);

// The page as the player's platform: the frame buffer, the viewer's
// controls and keys as the page passes them on, the music as the page's
// worklet plays it, and the clock of the music heard.
struct Page : BufferDisplay, QuietMusic, Clock {
    int64_t heard = -1;  // the sample heard, counted from where the music last started
    int64_t rate = 1000; // sample frames per second
    int64_t base_ms = 0; // the music heard before it last started again (ms)
    bool song_over_now = false;
    bool stop = false;
    std::deque<Control> controls;

    bool key_waiting() override { return stop; }
    Control take_control() override {
        if (controls.empty()) return Control::None;
        const Control c = controls.front();
        controls.pop_front();
        return c;
    }
    void deliver_sync() override {
        size_t n = queue.deliver_due(heard, sync_callback);
        // The page pushes and runs on one thread: what the queue folded
        // while it was full goes in now that there is room.
        if (queue.flush()) n += queue.deliver_due(heard, sync_callback);
        status.delivered += static_cast<int32_t>(n);
    }
    void pause(bool on) override { status.music_paused = on ? 1 : 0; }
    bool seek(const MusicStart& from) override {
        base_ms = now_ms();
        heard = -1;
        song_over_now = false;
        queue.clear();
        status.delivered = 0;
        ++status.music_seeks;
        start_from(from);
        return true;
    }
    void start_from(const MusicStart& from) override {
        status.music_order = from.at.order;
        status.music_row = from.at.row;
        status.music_skip = static_cast<int32_t>(from.skip);
        status.music_row_values = from.row_values ? 1 : 0;
    }
    bool song_over() override { return song_over_now; }
    int64_t now_ms() override { return base_ms + std::max<int64_t>(0, heard) * 1000 / rate; }
} page;
NoDialogs no_dialogs;
std::unique_ptr<ShowPlatform> platform;
std::unique_ptr<ShowPlayer> player;

void update_status() {
    status.paused = player->paused() ? 1 : 0;
    status.looping = player->looping() ? 1 : 0;
    status.loops = player->loops();
    status.show_ms = static_cast<int32_t>(player->now_ms());
    status.scene = player->running_scene();
    status.tick = tick_counter;
    status.jump_ms = player->jumping() ? static_cast<int32_t>(player->jump_target_ms()) : -1;
    status.jump_percent = player->jump_percent();
    status.snapshots_done = player->snapshots_done() ? 1 : 0;
    status.snapshot_kb = static_cast<int32_t>(player->snapshot_bytes() / 1024);
}

} // namespace

extern "C" {

void web_setup(int loop) {
    set_up_scenes();
    queue.clear();
    status = Status{};
    page = Page{};
    platform.reset(new ShowPlatform{page,
                                    page,
                                    no_dialogs,
                                    page,
                                    scene_table(),
                                    {},
                                    {},
                                    read_module_file("vorn.xm"),
                                    nullptr,
                                    {loop != 0, ".", nullptr, kSnapshotSliceMs, kJumpSliceMs},
                                    {remember_start_state, restore_start_state}});
    player = std::make_unique<ShowPlayer>(*platform);
}

void web_begin(int order, int row, double time_ms) {
    player->begin_in_slices({order, row, static_cast<int64_t>(time_ms)});
    update_status();
}

double web_begin_step(int budget_ms) {
    const std::optional<bool> there = player->begin_step(budget_ms);
    update_status();
    if (!there) return -2.0;
    return *there ? static_cast<double>(player->now_ms()) : -1.0;
}

int web_push_sync(double sample, int value) {
    return queue.push({static_cast<int64_t>(sample), static_cast<uint8_t>(value)}) ? 1 : 0;
}

void web_control(int control) {
    page.controls.push_back(static_cast<Control>(control));
}

void web_seek(int order, int row, double time_ms) {
    player->jump({order, row, static_cast<int64_t>(time_ms)});
    update_status();
}

void web_stop() {
    page.stop = true;
}

const uint8_t* web_run(double heard, double rate, int song_over, int picture) {
    if (status.ended) return nullptr;
    page.heard = static_cast<int64_t>(heard);
    page.rate = std::max<int64_t>(1, static_cast<int64_t>(rate));
    page.song_over_now = song_over != 0;
    status.ended = player->run_once() ? 0 : 1;
    update_status();
    if (!player->drew() || !picture) return nullptr;
    const uint32_t* shown = web_gentle_picture(page.frame.data());
    // 0x00RRGGBB to the canvas's R, G, B, A bytes (little-endian words).
    for (int i = 0; i < kFramePixels; ++i) {
        const uint32_t p = shown[i];
        rgba[static_cast<size_t>(i)] =
            0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
    }
    return reinterpret_cast<const uint8_t*>(rgba.data());
}

const int32_t* web_status() {
    return reinterpret_cast<const int32_t*>(&status);
}

void web_release() {
    player.reset();
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
