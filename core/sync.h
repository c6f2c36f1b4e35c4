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
#pragma once
#include <atomic>
#include <cstdint>

constexpr int kSyncFlagCount = 9;
constexpr uint8_t kSceneEnd = 31;

struct SyncState {
    std::atomic<uint8_t> bytes[1 + kSyncFlagCount]; // [0] scene number, [k] flag k
};

extern SyncState sync_state;

void sync_callback(uint32_t value);
void sync_reset();

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
