// The sync callback and sync reset: the only writers of the sync state
// besides the scenes clearing the flags they consume.
#include "core/sync.h"

SyncState sync_state{};

void sync_callback(uint32_t value) {
    if (value <= 31)
        sync_state.bytes[0].store(static_cast<uint8_t>(value), std::memory_order_relaxed);
    else if (value <= 40)
        raise_sync_flag(static_cast<int>(value - 31));
}

void sync_reset() {
    for (auto& b : sync_state.bytes)
        b.store(0, std::memory_order_relaxed);
}
