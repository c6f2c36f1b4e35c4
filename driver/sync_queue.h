// Sync values on their way from the music's playback thread to the thread
// that shows the frames.
//
// The player renders the module ahead of what is heard. For each row it
// enters it pushes the row's sync values, each with the sample position
// (sample frames since playback began) where the row starts. The consumer
// applies them when that sample is heard (live), or shown (recording).
//
// One producer and one consumer, a fixed ring, no locks and no allocation:
// push() is safe inside an audio callback.
//
//   push(e)               producer: queues e; false when the ring is full
//                         (the event is dropped; at 4096 entries that takes
//                         minutes of sync values mixed ahead and never read)
//   deliver_due(s, f)     consumer: calls f(value) for every queued event
//                         whose sample is at or before s, oldest first, and
//                         returns how many it delivered
//   next_sample(out)      consumer: the sample of the oldest event, if any
//   clear()               consumer: forgets everything queued so far
#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Where delivered values go: the sync callback of the show, or a test's.
using SyncFunction = void (*)(uint32_t);

struct TimedSync {
    int64_t sample; // where the row starts, in sample frames since playback began
    uint8_t value;
};

class SyncQueue {
  public:
    static constexpr size_t kCapacity = 4096; // a power of two

    bool push(const TimedSync& e) {
        const size_t w = write_.load(std::memory_order_relaxed);
        if (w - read_.load(std::memory_order_acquire) == kCapacity) return false;
        ring_[w & (kCapacity - 1)] = e;
        write_.store(w + 1, std::memory_order_release);
        return true;
    }

    template <class F> size_t deliver_due(int64_t sample, F&& f) {
        size_t r = read_.load(std::memory_order_relaxed);
        const size_t w = write_.load(std::memory_order_acquire);
        size_t n = 0;
        for (; r != w && ring_[r & (kCapacity - 1)].sample <= sample; ++r, ++n) {
            f(ring_[r & (kCapacity - 1)].value);
            read_.store(r + 1, std::memory_order_release);
        }
        return n;
    }

    bool next_sample(int64_t& out) const {
        const size_t r = read_.load(std::memory_order_relaxed);
        if (r == write_.load(std::memory_order_acquire)) return false;
        out = ring_[r & (kCapacity - 1)].sample;
        return true;
    }

    void clear() { read_.store(write_.load(std::memory_order_acquire), std::memory_order_release); }

  private:
    std::array<TimedSync, kCapacity> ring_{};
    alignas(64) std::atomic<size_t> write_{0};
    alignas(64) std::atomic<size_t> read_{0};
};
