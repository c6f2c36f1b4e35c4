// Plays a module silently and as fast as libxmp renders: its sync events in
// playback order, and the sync state at an order position (see
// music_timeline.h).
#include "music/music_timeline.h"

#include <algorithm>

#include "music/xm_sync.h"
#include "music/xmp_player.h"

namespace {

// Calls row(info, row_start_ms, values) for every row the first pass of the
// song enters from order position `from`, with that row's sync values, until
// row() returns false. Times are libxmp's clock in ms: it counts to the end
// of the tick just rendered, so a row starts one tick's length earlier.
// Returns where the walk stopped on that clock: the start of the row row()
// refused, or the end of the first pass; -1 if the module is unreadable.
template <class Row> int64_t walk_rows(const std::vector<uint8_t>& module, Row row, int from = 0) {
    XmpPlayer player;
    if (!player.load(module) || !player.start(8000, from)) return -1;
    int64_t end_ms = 0;
    while (player.play_tick()) {
        const xmp_frame_info& fi = player.info();
        const int64_t tick_start_ms = fi.time - (fi.frame_time + 500) / 1000;
        if (fi.loop_count > 0) return end_ms;
        end_ms = fi.time;
        if (fi.frame != 0) continue;
        if (!row(fi, tick_start_ms, player.row_sync())) return tick_start_ms;
    }
    return end_ms;
}

} // namespace

std::vector<SyncEvent> walk_sync_timeline(const std::vector<uint8_t>& module, int64_t max_ms) {
    std::vector<SyncEvent> events;
    walk_rows(module,
              [&](const xmp_frame_info& fi, int64_t start_ms, const std::vector<uint8_t>& values) {
                  if (fi.time > max_ms) return false;
                  bool ended = false;
                  for (uint8_t v : values) {
                      events.push_back({start_ms, fi.pos, fi.pattern, fi.row, v});
                      ended = ended || v == kSceneEnd;
                  }
                  return !ended;
              });
    return events;
}

std::optional<SyncSnapshot> sync_state_at_order(const std::vector<uint8_t>& module, int order,
                                                ConsumedFlags consumed_by) {
    std::optional<SyncSnapshot> found;
    SyncSnapshot s{};
    walk_rows(module, [&](const xmp_frame_info& fi, int64_t, const std::vector<uint8_t>& values) {
        if (fi.pos == order) {
            found = s;
            return false;
        }
        for (uint8_t v : values)
            apply_sync_value(s, v);
        const uint16_t consumed = consumed_by(s.bytes[0]);
        for (int k = 1; k <= kSyncFlagCount; ++k)
            if (consumed & (1u << k)) s.bytes[k] = 0;
        return true;
    });
    return found;
}

int64_t show_length_ms(const std::vector<uint8_t>& module, int from, int to) {
    int64_t start_ms = -1; // libxmp counts time from the start of the song
    const int64_t end_ms = walk_rows(
        module,
        [&](const xmp_frame_info& fi, int64_t row_ms, const std::vector<uint8_t>& values) {
            if (start_ms < 0) start_ms = row_ms;
            if (to >= 0 && fi.pos >= to) return false;
            for (uint8_t v : values)
                if (v == kSceneEnd) return false;
            return true;
        },
        from);
    return end_ms < 0 ? -1 : end_ms - std::max<int64_t>(start_ms, 0);
}

std::string order_position_problem(const std::vector<uint8_t>& module, const char* option,
                                   int order, bool one_past_end) {
    XmSync sync;
    if (!read_xm_sync(module.data(), module.size(), sync, nullptr)) return "";
    const int length = static_cast<int>(sync.orders.size());
    if (order < length + (one_past_end ? 1 : 0)) return "";
    return std::string(option) + " " + std::to_string(order) +
           ": the music's order positions run from 0 to " + std::to_string(length - 1) +
           " (vorn --timeline lists them)";
}

bool start_state_for(const std::vector<uint8_t>& module, const char* option, int order,
                     ConsumedFlags consumed, std::optional<SyncSnapshot>& state,
                     std::string& error) {
    XmSync sync;
    if (!read_xm_sync(module.data(), module.size(), sync, nullptr)) return true;
    error = order_position_problem(module, option, order);
    if (!error.empty()) return false;
    state = sync_state_at_order(module, order, consumed);
    if (state) return true;
    error = std::string(option) + " " + std::to_string(order) +
            ": the music never reaches that order position";
    return false;
}

std::vector<OrderVisit> order_timeline(const std::vector<uint8_t>& module) {
    std::vector<OrderVisit> visits;
    walk_rows(module,
              [&](const xmp_frame_info& fi, int64_t start_ms, const std::vector<uint8_t>& values) {
                  if (visits.empty() || visits.back().position != fi.pos)
                      visits.push_back({fi.pos, fi.pattern, start_ms, {}});
                  for (uint8_t v : values) {
                      visits.back().values.push_back(v);
                      if (v == kSceneEnd) return false;
                  }
                  return true;
              });
    return visits;
}
