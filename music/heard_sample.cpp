// The heard-sample estimate (see heard_sample.h).
#include "music/heard_sample.h"

#include <algorithm>

void HeardSample::on_callback(int64_t now_us, int64_t handed) {
    const uint32_t s = seq_.load(std::memory_order_relaxed);
    seq_.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    at_us_.store(now_us, std::memory_order_relaxed);
    handed_.store(handed, std::memory_order_relaxed);
    seq_.store(s + 2, std::memory_order_release);
}

int64_t HeardSample::heard(int64_t now_us) {
    int64_t at_us, handed;
    for (;;) {
        const uint32_t s = seq_.load(std::memory_order_acquire);
        at_us = at_us_.load(std::memory_order_relaxed);
        handed = handed_.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!(s & 1) && seq_.load(std::memory_order_relaxed) == s) break;
    }
    if (handed < 0) return last_;
    // Whole sample frames since the callback, rounded down: never early.
    const int64_t since = std::max<int64_t>(0, now_us - at_us) * rate_ / 1000000;
    const int64_t estimate = std::min(handed - device_frames_ + since, handed);
    last_ = std::max(last_, estimate);
    return last_;
}
