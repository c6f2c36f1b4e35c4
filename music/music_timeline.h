// Walking a module's sync timeline without sound or real time.
//
//   walk_sync_timeline(module_bytes, max_ms) plays the module through libxmp
//   as fast as it renders (W commands blanked as for the show) and returns
//   every sync value in the order the player meets it, with the order
//   position, pattern, row and playback time, stopping after the first value
//   31, at the end of the first pass of the song, or after max_ms of music.
//   Returns an empty list if the module cannot be read.
//
//   sync_state_at_order(module_bytes, order, consumed) gives the sync state
//   in force when playback first reaches order position `order`: the scene
//   number and flags that the rows played before it leave, as in the whole
//   show, where each scene clears the flags it consumes within a row of
//   seeing them (`consumed`: the scenes' table, scenes/consumed_flags.h).
//   Every "start here" option starts from this state.
//   Empty when the module cannot be read or the first pass of the song never
//   reaches that position (past the end, or skipped by jumps).
//
//   order_timeline(module_bytes) lists the order positions in the order the
//   first pass plays them, each with its start time and sync values: what
//   `vorn --timeline` prints. Empty when the module cannot be read.
//
//   show_length_ms(module_bytes, from, to) is how long the module plays from
//   order position `from` until the first row with the value 31, the first
//   row at order position `to` or later (if `to` >= 0), or the end of the
//   song's first pass; -1 when it cannot be read. A recording's length.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/sync.h"

struct SyncEvent {
    int64_t time_ms;
    int position; // order position
    int pattern;
    int row;
    uint8_t value;
};

std::vector<SyncEvent> walk_sync_timeline(const std::vector<uint8_t>& module, int64_t max_ms);

// The sync flags (bit k for flag k) the scene with that number clears.
using ConsumedFlags = uint16_t (*)(int scene);

std::optional<SyncSnapshot> sync_state_at_order(const std::vector<uint8_t>& module, int order,
                                                ConsumedFlags consumed);

// For an option that names an order position to play from or to (--start,
// --from, --to): an empty text when the song has that position, else one
// line naming the option and the positions there are. `one_past_end` lets
// the position just past the last one pass (the end, for --to). An unreadable
// module passes: loading the music reports it.
std::string order_position_problem(const std::vector<uint8_t>& module, const char* option,
                                   int order, bool one_past_end = false);

// The sync state to start at order position `order`, named by `option`:
// false with a one-line reason when the song has no such position or never
// plays it. An unreadable module gives true and no state.
bool start_state_for(const std::vector<uint8_t>& module, const char* option, int order,
                     ConsumedFlags consumed, std::optional<SyncSnapshot>& state,
                     std::string& error);

int64_t show_length_ms(const std::vector<uint8_t>& module, int from = 0, int to = -1);

// One order position of the song's first pass: when playback first enters
// it (ms from the start of the song) and the sync values its rows give on
// that visit, in order. The list stops after the row with the value 31.
struct OrderVisit {
    int position;
    int pattern;
    int64_t start_ms;
    std::vector<uint8_t> values;
};
std::vector<OrderVisit> order_timeline(const std::vector<uint8_t>& module);
