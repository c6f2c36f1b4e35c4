// The sync callback and sync reset: the only writers of the sync state
// besides the scenes clearing the flags they consume.
#include "core/sync.h"

SyncState sync_state{};

namespace {
// The byte a sync value writes (0: the scene number, k: flag k) and what it
// writes there; false for values that change nothing.
bool sync_write(uint32_t value, int& index, uint8_t& byte) {
    if (value <= 31) {
        index = 0;
        byte = static_cast<uint8_t>(value);
    } else if (value <= 40) {
        index = static_cast<int>(value - 31);
        byte = 1;
    } else {
        return false;
    }
    return true;
}
} // namespace

void sync_callback(uint32_t value) {
    int index;
    uint8_t byte;
    if (sync_write(value, index, byte))
        sync_state.bytes[index].store(byte, std::memory_order_relaxed);
}

void apply_sync_value(SyncSnapshot& s, uint32_t value) {
    int index;
    uint8_t byte;
    if (sync_write(value, index, byte)) s.bytes[index] = byte;
}

void sync_restore(const SyncSnapshot& s) {
    for (int i = 0; i <= kSyncFlagCount; ++i)
        sync_state.bytes[i].store(s.bytes[i], std::memory_order_relaxed);
}

void sync_reset() {
    for (auto& b : sync_state.bytes)
        b.store(0, std::memory_order_relaxed);
}
