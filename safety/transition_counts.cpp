// Each area's transitions within the last second (see transition_counts.h).
#include "safety/transition_counts.h"

#include <cassert>
#include <cstddef>
#include <limits>

#include "safety/flash_rules.h"

TransitionCounts::TransitionCounts() {
    for (auto& c : counts_)
        c.assign(static_cast<std::size_t>(kAreas), 0);
}

void TransitionCounts::next_frame(int64_t time_us) {
    assert(frames_.empty() || time_us >= frames_.back().time_us);
    while (!frames_.empty() && frames_.front().time_us <= time_us - kSecondUs) {
        for (const uint32_t e : frames_.front().events) {
            const auto kind = static_cast<std::size_t>(e % kFlashKinds);
            uint16_t& n = counts_[kind][e / kFlashKinds];
            assert(n > 0);
            if (n-- == kMaxTransitions + 1) --over_[kind];
        }
        frames_.pop_front();
    }
    frames_.push_back({time_us, {}});
}

void TransitionCounts::add(int area, FlashKind kind) {
    assert(!frames_.empty() && area >= 0 && area < kAreas);
    uint16_t& n = counts_[kind][static_cast<std::size_t>(area)];
    assert(n < std::numeric_limits<uint16_t>::max());
    if (++n == kMaxTransitions + 1) ++over_[kind];
    frames_.back().events.push_back(static_cast<uint32_t>(area) * kFlashKinds +
                                    static_cast<uint32_t>(kind));
}
