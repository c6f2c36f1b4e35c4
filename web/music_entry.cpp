// The music inside the web page: libxmp and our sync reader compiled to a
// small stand-alone WebAssembly module that the audio worklet runs (and the
// page, for the sync state at an order position). music-wasm.js wraps it.
//
//   music_buffer(n)        room for an n-byte module; the caller copies it in
//   music_load()           reads the module in that room; 0 with music_error()
//   music_start(rate, o, r, skip, row_values)
//                          starts playback at `rate` Hz from row r of order
//                          position o, `skip` sample frames (at 48 kHz) into
//                          it, the row's own sync values handed over unless
//                          row_values is 0 (xmp_player.h: start_from)
//   music_restart(...)     the same while playing (a seek)
//   music_tick()           renders one tick; its sample frames (0 once the
//                          song cannot go on) are at music_samples(), 16-bit
//                          stereo, and start at sample frame music_tick_start()
//   music_sync_count(), music_sync_value(i)
//                          the sync values of the row the tick entered
//   music_state_at_order(o) 1 and the sync state at music_state() (scene
//                          number, flags 1..9) when playback first reaches
//                          order position o; 0 when it never does
//   music_timeline(max_ms) the sync timeline as text, one event a line:
//                          "ms position pattern row value"
//   music_orders()         the order positions in playing order, one a line:
//                          "position first-row ms" (one walk of the song)
//   music_text_buffer(n)   room for an n-byte text (no terminator needed)
//   music_find(n)          the position named by the n-byte text there
//                          (12, 1:24, 84.5, scene:4): 1 with its order,
//                          row, where it is in ms (the row's start, or the
//                          moment) and the moment or -1 (a row) at
//                          music_found(); 0 with the reason, naming
//                          ?start=, in music_error()
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "music/music_timeline.h"
#include "music/xm_sync.h"
#include "music/xmp_player.h"
#include "scenes/consumed_flags.h"

namespace {
XmpPlayer& player() {
    static XmpPlayer p;
    return p;
}
std::vector<uint8_t> module;
uint8_t state[1 + kSyncFlagCount];
std::string text;
std::string asked;      // the position text the page wrote
int32_t found[4];       // order, row, ms, the moment's ms or -1
std::string find_error; // why music_find failed
// The first pass's rows and the song's length, walked once at load: the
// seek bar finds a position at every change, and must not walk the music
// each time (a long task on the page's thread).
std::vector<RowVisit> rows;
int orders = 0;
} // namespace

extern "C" {

uint8_t* music_buffer(int size) {
    module.assign(static_cast<size_t>(size > 0 ? size : 0), 0);
    return module.data();
}

int music_load() {
    if (!player().load(module)) return 0;
    rows = row_timeline(module);
    XmSync sync;
    orders = read_xm_sync(module.data(), module.size(), sync, nullptr)
                 ? static_cast<int>(sync.orders.size())
                 : 0;
    return 1;
}

const char* music_error() {
    return find_error.empty() ? player().error().c_str() : find_error.c_str();
}

char* music_text_buffer(int size) {
    asked.assign(static_cast<size_t>(size > 0 ? size : 0), '\0');
    return asked.data();
}

int music_find(int size) {
    asked.resize(static_cast<size_t>(size > 0 ? size : 0));
    find_error.clear();
    PositionName name;
    if (!parse_position_name(asked, name)) {
        find_error = "?start=" + asked +
                     ": give an order position (12), a time (1:24, 84.5) or a scene (scene:4)";
        return 0;
    }
    const auto at = find_position(rows, orders, name, "?start=", find_error);
    if (!at) return 0;
    found[0] = at->at.order;
    found[1] = at->at.row;
    found[2] = static_cast<int32_t>(at->ms());
    found[3] = static_cast<int32_t>(at->at.time_ms);
    return 1;
}

const int32_t* music_found() {
    return found;
}

int music_start(int rate, int order, int row, double skip, int row_values) {
    return player().start_from(rate, {{order, row}, static_cast<int64_t>(skip), row_values != 0})
               ? 1
               : 0;
}

int music_restart(int rate, int order, int row, double skip, int row_values) {
    return player().restart(rate, {{order, row}, static_cast<int64_t>(skip), row_values != 0}) ? 1
                                                                                               : 0;
}

int music_tick() {
    return player().play_tick() ? static_cast<int>(player().sample_frames()) : 0;
}

const int16_t* music_samples() {
    return player().samples();
}

double music_tick_start() {
    return static_cast<double>(player().tick_start());
}

int music_sync_count() {
    return static_cast<int>(player().row_sync().size());
}

int music_sync_value(int i) {
    return player().row_sync()[static_cast<size_t>(i)];
}

int music_state_at_order(int order) {
    const auto s = sync_state_at_order(module, order, scene_consumed_flags);
    if (!s) return 0;
    for (int i = 0; i <= kSyncFlagCount; ++i)
        state[i] = s->bytes[i];
    return 1;
}

const uint8_t* music_state() {
    return state;
}

const char* music_orders() {
    text.clear();
    char line[48];
    for (const OrderVisit& v : order_timeline(module)) {
        std::snprintf(line, sizeof line, "%d %d %lld\n", v.position, v.row,
                      static_cast<long long>(v.start_ms));
        text += line;
    }
    return text.c_str();
}

const char* music_timeline(int max_ms) {
    text.clear();
    char line[64];
    for (const SyncEvent& e : walk_sync_timeline(module, max_ms)) {
        std::snprintf(line, sizeof line, "%lld %d %d %d %d\n", static_cast<long long>(e.time_ms),
                      e.position, e.pattern, e.row, e.value);
        text += line;
    }
    return text.c_str();
}

} // extern "C"
