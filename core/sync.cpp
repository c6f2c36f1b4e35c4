// The sync callback and sync reset: the only writers of the sync state
// besides the scenes clearing the flags they consume.
#include "core/sync.h"

SyncState sync_state{};

std::optional<SyncWrite> sync_write(uint8_t scene_now, uint32_t value) {
    if (value <= kSceneEnd) {
        if (scene_now == kSceneEnd) return std::nullopt; // the end is final
        return SyncWrite{0, static_cast<uint8_t>(value)};
    }
    if (value <= kSceneEnd + kSyncFlagCount)
        return SyncWrite{static_cast<int>(value - kSceneEnd), 1};
    return std::nullopt;
}

void sync_callback(uint32_t value) {
    if (const auto w = sync_write(sync_scene(), value))
        sync_state.bytes[w->index].store(w->byte, std::memory_order_relaxed);
}

void apply_sync_value(SyncSnapshot& s, uint32_t value) {
    if (const auto w = sync_write(s.bytes[0], value)) s.bytes[w->index] = w->byte;
}

void sync_restore(const SyncSnapshot& s) {
    for (int i = 0; i <= kSyncFlagCount; ++i)
        sync_state.bytes[i].store(s.bytes[i], std::memory_order_relaxed);
}

void sync_reset() {
    for (auto& b : sync_state.bytes)
        b.store(0, std::memory_order_relaxed);
}
