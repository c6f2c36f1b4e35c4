// Sync values on their way from the music's playback thread to the thread
// that shows the frames.
//
// The player renders the module ahead of what is heard. For each row it
// enters it pushes the row's sync values, each with the sample position
// (sample frames since playback began) where the row starts. The consumer
// applies them when that sample is heard (live), or shown (recording).
//
// One producer and one consumer, a fixed ring, no locks and no allocation:
// push() and flush() are safe inside an audio callback.
//
// No value is lost. When the ring is full (the consumer stalled: at 4096
// entries that takes minutes of ordinary sync values, or seconds of a module
// with dozens of W commands per row), push() folds the value into a summary
// of the state the values imply instead: the last scene number (by the rule
// of core/sync.h, so a folded 31, the end of the show, stays), the set of
// flags raised, and nothing for values 41 and up, which change nothing. Once
// folding has begun every later value is folded too, so none overtakes the
// folded ones, until the summary goes into the ring as ordinary entries: the
// raised flags' values (32..40) in order, then the scene number, all with
// the sample of the latest folded value. The consumer therefore ends in the
// state that applying every value gives, and a folded value comes due at the
// sample of the latest value folded with it, never earlier than its own.
//
//   push(e)               producer: queues e; true when e went into the ring
//                         as it is, false when it was folded into the summary
//                         (kept, not dropped). Samples never go backwards.
//   flush()               producer: writes the summary into the ring if there
//                         is room for all of it; true when no summary is left
//                         held back. Cheap when there is none: the player
//                         calls it every tick, so that the summary is not
//                         stranded when no more values come.
//   deliver_due(s, f)     consumer: calls f(value) for every queued event
//                         whose sample is at or before s, oldest first, and
//                         returns how many it delivered
//   next_sample(out)      consumer: the sample of the oldest event, if any
//   queued()              the events waiting, oldest first; only with both
//                         ends on one thread and nothing folded (a snapshot
//                         of a recording's queue, which push() rebuilds)
//   clear()               forgets everything queued so far, the summary too;
//                         only while nothing pushes (before playback starts,
//                         or with both ends on one thread)
#pragma once
#include <array>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/sync.h"

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
        assert(e.sample >= last_sample_ && "sync samples go backwards");
        last_sample_ = e.sample;
        if (!folding_) {
            const size_t w = write_.load(std::memory_order_relaxed);
            const size_t queued = w - read_.load(std::memory_order_acquire);
            assert(queued <= kCapacity);
            if (queued < kCapacity) {
                ring_[w & (kCapacity - 1)] = e;
                write_.store(w + 1, std::memory_order_release);
                return true;
            }
        }
        fold(e);
        flush();
        return false;
    }

    bool flush() {
        if (!folding_) return true;
        size_t n = fold_scene_ >= 0 ? 1 : 0;
        for (int k = 1; k <= kSyncFlagCount; ++k)
            n += (fold_flags_ >> k) & 1u;
        const size_t w = write_.load(std::memory_order_relaxed);
        const size_t queued = w - read_.load(std::memory_order_acquire);
        assert(queued <= kCapacity);
        if (kCapacity - queued < n) return false;
        size_t i = w;
        for (int k = 1; k <= kSyncFlagCount; ++k)
            if (fold_flags_ & (1u << k))
                ring_[i++ & (kCapacity - 1)] = {fold_sample_, static_cast<uint8_t>(kSceneEnd + k)};
        if (fold_scene_ >= 0)
            ring_[i++ & (kCapacity - 1)] = {fold_sample_, static_cast<uint8_t>(fold_scene_)};
        assert(i - w == n);
        write_.store(i, std::memory_order_release); // the whole summary at once
        forget_summary();
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

    std::vector<TimedSync> queued() const {
        assert(!folding_);
        std::vector<TimedSync> out;
        for (size_t r = read_.load(std::memory_order_relaxed); r != write_.load(); ++r)
            out.push_back(ring_[r & (kCapacity - 1)]);
        return out;
    }

    void clear() {
        read_.store(write_.load(std::memory_order_acquire), std::memory_order_release);
        forget_summary();
        last_sample_ = INT64_MIN;
    }

  private:
    // Producer: what e does, added to the summary (the sync values' meaning
    // is core/sync.h's).
    void fold(const TimedSync& e) {
        folding_ = true;
        fold_sample_ = e.sample;
        // Before any scene number is folded, 0 stands for "not the end".
        const uint8_t scene_now = fold_scene_ >= 0 ? static_cast<uint8_t>(fold_scene_) : 0;
        const auto w = sync_write(scene_now, e.value);
        if (!w) return;
        if (w->index == 0)
            fold_scene_ = w->byte;
        else
            fold_flags_ |= 1u << w->index;
    }
    void forget_summary() {
        folding_ = false;
        fold_scene_ = -1;
        fold_flags_ = 0;
    }

    std::array<TimedSync, kCapacity> ring_{};
    alignas(64) std::atomic<size_t> write_{0};
    // The producer's own: the summary being folded while the ring is full.
    bool folding_ = false;
    int fold_scene_ = -1;     // the folded scene number, -1 for none
    uint32_t fold_flags_ = 0; // bit k: flag k raised
    int64_t fold_sample_ = 0; // the sample of the latest folded value
    int64_t last_sample_ = INT64_MIN;
    alignas(64) std::atomic<size_t> read_{0};
};
