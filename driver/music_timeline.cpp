// Plays a module silently and as fast as libxmp renders, listing its sync
// events in playback order (see music_timeline.h).
#include "driver/music_timeline.h"

#include "driver/xmp_player.h"

namespace {
thread_local std::vector<uint8_t>* t_row_values = nullptr;
void collect(uint32_t v) {
    t_row_values->push_back(static_cast<uint8_t>(v));
}
} // namespace

std::vector<SyncEvent> walk_sync_timeline(const std::vector<uint8_t>& module, int64_t max_ms) {
    std::vector<SyncEvent> events;
    XmpPlayer player;
    if (!player.load(module) || !player.start(8000)) return events;
    std::vector<uint8_t> row_values;
    t_row_values = &row_values;
    player.set_sync_function(collect);
    while (player.play_tick()) {
        const xmp_frame_info& fi = player.info();
        if (fi.loop_count > 0 || fi.time > max_ms) break;
        // libxmp's time counts to the end of the tick just rendered.
        const int64_t tick_start_ms = fi.time - (fi.frame_time + 500) / 1000;
        bool ended = false;
        for (uint8_t v : row_values) {
            events.push_back({tick_start_ms, fi.pos, fi.pattern, fi.row, v});
            ended = ended || v == 31;
        }
        row_values.clear();
        if (ended) break;
    }
    t_row_values = nullptr;
    return events;
}
