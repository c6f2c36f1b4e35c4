// The areas' swings and transitions so far (see flash_state.h).
#include "safety/flash_state.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace {
const FlashRule& rule(int kind) {
    return kind == kGeneralFlash ? kGeneralRule : kRedRule;
}
} // namespace

bool FlashState::breaks(const AreaSums& s, std::vector<uint8_t>* breaking) const {
    if (!started_) return false; // a first frame swings from nothing
    bool any = false;
    for (int k = 0; k < kFlashKinds; ++k) {
        const Swing* swings = swings_[static_cast<size_t>(k)].data();
        const int32_t* sums = s.sums[static_cast<size_t>(k)].data();
        const uint16_t* counts = counts_.counts(static_cast<FlashKind>(k));
        for (int a = 0; a < kAreas; ++a) {
            if (counts[a] < kMaxTransitions || !transition_at(swings[a], sums[a], rule(k)))
                continue;
            any = true;
            if (!breaking) return true;
            (*breaking)[static_cast<size_t>(a)] = 1;
        }
    }
    return any;
}

bool FlashState::nearest_allowed(const AreaSums& to, AreaSums& allowed,
                                 const std::array<int, kFlashKinds>& made) const {
    allowed = to;
    if (!started_) return false;
    bool any = false;
    for (int k = 0; k < kFlashKinds; ++k) {
        const FlashRule& r = rule(k);
        const Swing* swings = swings_[static_cast<size_t>(k)].data();
        const int32_t* shown = shown_.sums[static_cast<size_t>(k)].data();
        const uint16_t* counts = counts_.counts(static_cast<FlashKind>(k));
        int32_t* sums = allowed.sums[static_cast<size_t>(k)].data();
        for (int a = 0; a < kAreas; ++a) {
            const Swing& sw = swings[a];
            if (counts[a] < made[static_cast<size_t>(k)] || !transition_at(sw, sums[a], r))
                continue;
            any = true;
            // Below `high` it cannot go up a step from a dark enough trough;
            // from `low` on it cannot go down a step from the peak into the
            // dark. What was shown lies between them.
            int64_t low = INT64_MIN, high = INT64_MAX;
            if (sw.dir >= 0) low = std::min<int64_t>(r.darker_below, int64_t{sw.hi} - r.step + 1);
            if (sw.dir <= 0 && sw.lo < r.darker_below) high = int64_t{sw.lo} + r.step - 1;
            const int64_t inset = r.step / 8;
            low = low == INT64_MIN ? low : std::min<int64_t>(low + inset, shown[a]);
            high = high == INT64_MAX ? high : std::max<int64_t>(high - inset, shown[a]);
            assert(low <= shown[a] && shown[a] <= high);
            sums[a] = static_cast<int32_t>(std::clamp<int64_t>(sums[a], low, high));
        }
    }
    return any;
}

void FlashState::show(const AreaSums& s) {
    for (int k = 0; k < kFlashKinds; ++k) {
        std::vector<Swing>& swings = swings_[static_cast<size_t>(k)];
        const int32_t* sums = s.sums[static_cast<size_t>(k)].data();
        assert(s.sums[static_cast<size_t>(k)].size() == static_cast<size_t>(kAreas));
        if (!started_) {
            swings.resize(static_cast<size_t>(kAreas));
            for (int a = 0; a < kAreas; ++a)
                swings[static_cast<size_t>(a)] = swing_from(sums[a]);
            continue;
        }
        const int32_t* before = shown_.sums[static_cast<size_t>(k)].data();
        for (int a = 0; a < kAreas; ++a) {
            if (sums[a] == before[a]) continue; // the last value moves nothing
            Swing& sw = swings[static_cast<size_t>(a)];
            const int t = transition_at(sw, sums[a], rule(k));
            swing_to(sw, sums[a], t);
            if (t) counts_.add(a, static_cast<FlashKind>(k));
        }
    }
    started_ = true;
    shown_ = s;
}

int FlashState::most(FlashKind kind) const {
    const uint16_t* counts = counts_.counts(kind);
    return *std::max_element(counts, counts + kAreas);
}
