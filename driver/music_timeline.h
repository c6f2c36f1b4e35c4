// Walking a module's sync timeline without sound or real time.
//
//   walk_sync_timeline(module_bytes, max_ms) plays the module through libxmp
//   as fast as it renders (W commands blanked as for the show) and returns
//   every sync value in the order the player meets it, with the order
//   position, pattern, row and playback time, stopping after the first value
//   31, at the end of the first pass of the song, or after max_ms of music.
//   Returns an empty list if the module cannot be read.
#pragma once
#include <cstdint>
#include <vector>

struct SyncEvent {
    int64_t time_ms;
    int position; // order position
    int pattern;
    int row;
    uint8_t value;
};

std::vector<SyncEvent> walk_sync_timeline(const std::vector<uint8_t>& module, int64_t max_ms);
