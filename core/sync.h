// Sync state: the scene number and the one-shot sync flags 1..9.
//
// The music's playback thread writes it through sync_callback(); the main loop
// reads the scene number and the scenes read and clear the flags. Every access
// is a relaxed atomic byte load or store, so each test re-reads memory. A flag
// raised again between a scene's test and its clearing store is lost: the
// scene sees it once.
//
//   sync value 0..31   -> scene number (31 ends the show)
//   sync value 32..40  -> flag (value - 31) becomes 1
//   anything else      -> nothing
//
// The end is final: once the scene number is 31, no value changes it until a
// sync reset (or a restored state) does. Values that arrive together (several
// W commands on one row, or the rows a stalled main loop receives in one
// batch) are applied in order, and a 31 among them ends the show however many
// follow it: the music wrapping round to a first row with W 0 cannot undo
// the end, whether the loop looked between the two or not. Every place that
// turns values into state (the live show, a recording, the page, the
// timeline, the start positions, the sync queue's summary) goes through
// sync_write() below, so all of them follow this one rule.
#pragma once
#include <atomic>
#include <cstdint>
#include <optional>

constexpr int kSyncFlagCount = 9;
constexpr uint8_t kSceneEnd = 31;

struct SyncState {
    std::atomic<uint8_t> bytes[1 + kSyncFlagCount]; // [0] scene number, [k] flag k
};

extern SyncState sync_state;

void sync_callback(uint32_t value);
void sync_reset();

// What one sync value does while the scene number is `scene_now`: the byte
// it writes (0: the scene number, k: flag k) and the value written there;
// nothing for values 41 and up, and for scene numbers after the end.
struct SyncWrite {
    int index;
    uint8_t byte;
};
std::optional<SyncWrite> sync_write(uint8_t scene_now, uint32_t value);

// A plain copy of the sync state, for working out the state at some point of
// the music without touching the live one: [0] scene number, [k] flag k.
struct SyncSnapshot {
    uint8_t bytes[1 + kSyncFlagCount];
};

// What one sync value does, to a copy: exactly what sync_callback does.
void apply_sync_value(SyncSnapshot& s, uint32_t value);
// Makes the live sync state equal to `s`.
void sync_restore(const SyncSnapshot& s);

inline uint8_t sync_scene() {
    return sync_state.bytes[0].load(std::memory_order_relaxed);
}

// Flag k in 1..9.
inline bool sync_flag(int k) {
    return sync_state.bytes[k].load(std::memory_order_relaxed) != 0;
}
inline void clear_sync_flag(int k) {
    sync_state.bytes[k].store(0, std::memory_order_relaxed);
}
inline void raise_sync_flag(int k) {
    sync_state.bytes[k].store(1, std::memory_order_relaxed);
}
