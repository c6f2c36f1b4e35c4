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
//   The web page starts from this state. Empty when the module cannot be read or the first pass of
//   the song never reaches that position (past the end, or skipped by jumps).
//
//   order_timeline(module_bytes) lists the order positions in the order the
//   first pass plays them, each with its start time and sync values: what
//   `vorn --timeline` prints. Empty when the module cannot be read.
//
//   show_length_ms(module_bytes, from, to) is how long the module plays from
//   the row `from` until the first row with the value 31, the first row at
//   or past `to` (if given), or the end of the song's first pass; -1 when it
//   cannot be read or never plays `from`. A recording's length.
//
//   find_position(module_bytes, name, option, error) finds the row a
//   position's name (song_position.h) means; row_timeline() and the other
//   find_position() do the same with one walk for many positions.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/sync.h"
#include "music/song_position.h"

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

int64_t show_length_ms(const std::vector<uint8_t>& module, SongPosition from,
                       std::optional<SongPosition> to);

// The row a position's name means in the module's first pass, up to the row
// that ends the show (value 31), with the time it starts (ms from the start
// of the song); for a time, that moment (`at` timed) in the row playing
// then, before the show's end. Empty, with one line naming `option`, the
// name and the range the module has, when there is no such row (`option`
// "?start=" is joined to the name without a space). An unreadable module
// gives position 0 (loading the music reports it).
struct FoundPosition {
    SongPosition at;
    int64_t start_ms = 0; // the row's start
    // Where it is in the show: the moment, or the row's start.
    int64_t ms() const { return at.timed() ? at.time_ms : start_ms; }
};
std::optional<FoundPosition> find_position(const std::vector<uint8_t>& module,
                                           const PositionName& name, const char* option,
                                           std::string& error);

// Every row the song's first pass plays, in playing order, with its start
// (ms from the start of the song) and sync values, also past a 31; empty
// when the module cannot be read. One walk of the music, so that a caller
// that finds many positions (the page's seek bar) walks it once. find_position over it, for a song
// of `orders` order positions, finds what find_position over the module finds.
struct RowVisit {
    int position;
    int row;
    int64_t start_ms;
    std::vector<uint8_t> values;
};
std::vector<RowVisit> row_timeline(const std::vector<uint8_t>& module);
std::optional<FoundPosition> find_position(const std::vector<RowVisit>& rows, int orders,
                                           const PositionName& name, const char* option,
                                           std::string& error);

// One order position of the song's first pass: when playback first enters
// it (ms from the start of the song) and the sync values its rows give on
// that visit, in order. The list stops after the row with the value 31.
struct OrderVisit {
    int position;
    int pattern;
    int row; // the first row played there (0 unless a jump lands inside)
    int64_t start_ms;
    std::vector<uint8_t> values;
};
std::vector<OrderVisit> order_timeline(const std::vector<uint8_t>& module);
