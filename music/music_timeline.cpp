// Plays a module silently and as fast as libxmp renders: its sync events in
// playback order, and the sync state at an order position (see
// music_timeline.h).
#include "music/music_timeline.h"

#include <algorithm>
#include <cstdio>

#include "music/xm_sync.h"
#include "music/xmp_player.h"

namespace {

// Calls row(info, row_start_ms, values) for every row the first pass of the
// song enters, with that row's sync values, until
// row() returns false. Times are libxmp's clock in ms: it counts to the end
// of the tick just rendered, so a row starts one tick's length earlier.
// Returns where the walk stopped on that clock: the start of the row row()
// refused, or the end of the first pass; -1 if the module is unreadable.
template <class Row> int64_t walk_rows(const std::vector<uint8_t>& module, Row row) {
    XmpPlayer player;
    if (!player.load(module) || !player.start(8000)) return -1;
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

int64_t show_length_ms(const std::vector<uint8_t>& module, SongPosition from,
                       std::optional<SongPosition> to) {
    int64_t start_ms = -1; // libxmp counts time from the start of the song
    const int64_t end_ms = walk_rows(
        module, [&](const xmp_frame_info& fi, int64_t row_ms, const std::vector<uint8_t>& values) {
            if (start_ms < 0) {
                if (fi.pos != from.order || fi.row != from.row) return true;
                start_ms = row_ms;
            }
            if (to && to->reached_by(fi.pos, fi.row)) return false;
            for (uint8_t v : values)
                if (v == kSceneEnd) return false;
            return true;
        });
    return end_ms < 0 || start_ms < 0 ? -1 : end_ms - start_ms;
}

std::vector<RowVisit> row_timeline(const std::vector<uint8_t>& module) {
    std::vector<RowVisit> rows;
    walk_rows(module,
              [&](const xmp_frame_info& fi, int64_t start_ms, const std::vector<uint8_t>& values) {
                  rows.push_back({fi.pos, fi.row, start_ms, values});
                  return true;
              });
    return rows;
}

std::optional<FoundPosition> find_position(const std::vector<uint8_t>& module,
                                           const PositionName& name, const char* option,
                                           std::string& error) {
    XmSync sync;
    if (!read_xm_sync(module.data(), module.size(), sync, nullptr)) return FoundPosition{};
    return find_position(row_timeline(module), static_cast<int>(sync.orders.size()), name, option,
                         error);
}

std::optional<FoundPosition> find_position(const std::vector<RowVisit>& rows, int length,
                                           const PositionName& name, const char* option,
                                           std::string& error) {
    const std::string label = option;
    const std::string named = label + (label.ends_with('=') ? "" : " ") + name.text + ": ";
    if (name.kind == PositionName::Kind::Order && name.value >= length) {
        error = named + "the music's order positions run from 0 to " + std::to_string(length - 1) +
                " (vorn --timeline lists them)";
        return std::nullopt;
    }
    std::optional<FoundPosition> found;
    std::optional<FoundPosition> playing; // a moment: the row begun by then
    int64_t end_ms = 0;
    uint32_t scenes_seen = 0;
    for (const RowVisit& r : rows) {
        end_ms = r.start_ms;
        if (name.kind == PositionName::Kind::Time && r.start_ms > name.value) {
            found = playing; // a later row begins after it: the moment is in the show
            break;
        }
        bool selects = false;
        for (uint8_t v : r.values) {
            if (v < kSceneEnd) scenes_seen |= 1u << v;
            selects = selects || v == name.value;
        }
        const bool here = name.kind == PositionName::Kind::Order   ? r.position == name.value
                          : name.kind == PositionName::Kind::Scene ? selects
                                                                   : false;
        if (here) {
            found = FoundPosition{{r.position, r.row}, r.start_ms};
            break;
        }
        if (std::find(r.values.begin(), r.values.end(), kSceneEnd) != r.values.end()) break;
        playing = FoundPosition{{r.position, r.row, name.value}, r.start_ms};
    }
    if (found) return found;
    char show_end[32];
    std::snprintf(
        show_end, sizeof show_end, "%lld:%02lld.%02lld", static_cast<long long>(end_ms / 60000),
        static_cast<long long>(end_ms / 1000 % 60), static_cast<long long>(end_ms / 10 % 100));
    switch (name.kind) {
    case PositionName::Kind::Order:
        error = named + "the show ends before the music reaches that order position";
        break;
    case PositionName::Kind::Time:
        error = named + "the show ends at " + show_end + " (vorn --timeline lists the times)";
        break;
    case PositionName::Kind::Scene: {
        std::string which;
        for (int k = 0; k < 31; ++k)
            if (scenes_seen & (1u << k)) which += (which.empty() ? "" : ", ") + std::to_string(k);
        error = named + "the music never selects scene " + std::to_string(name.value) +
                (which.empty() ? "" : " (it selects " + which + "; vorn --timeline lists them)");
        break;
    }
    }
    return std::nullopt;
}

std::vector<OrderVisit> order_timeline(const std::vector<uint8_t>& module) {
    std::vector<OrderVisit> visits;
    walk_rows(module,
              [&](const xmp_frame_info& fi, int64_t start_ms, const std::vector<uint8_t>& values) {
                  if (visits.empty() || visits.back().position != fi.pos)
                      visits.push_back({fi.pos, fi.pattern, fi.row, start_ms, {}});
                  for (uint8_t v : values) {
                      visits.back().values.push_back(v);
                      if (v == kSceneEnd) return false;
                  }
                  return true;
              });
    return visits;
}
