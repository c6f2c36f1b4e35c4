// What the flash rules have seen of the frames shown so far: each area's
// swing of each measure (flash_rules.h) and its transitions within the last
// second (transition_counts.h). The flash check moves it on with every
// frame; the gentle filter asks it first whether a frame would break a rule.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "safety/area_sums.h"
#include "safety/flash_rules.h"
#include "safety/transition_counts.h"

class FlashState {
  public:
    // The frame shown at `time_us` begins (see TransitionCounts).
    void next_frame(int64_t time_us) { counts_.next_frame(time_us); }
    // Whether showing a frame with the sums `s` now would give an area more
    // than kMaxTransitions of a kind within the second; each such area is
    // set to 1 in `breaking` (kAreas) if given, the others left as they are.
    bool breaks(const AreaSums& s, std::vector<uint8_t>* breaking = nullptr) const;
    // For each area that has made `made[kind]` transitions of a kind or
    // more within the second and would make another with its sum in `to`: into
    // `allowed`, the value nearest it that would not (a little inside the
    // range that would not, where there is room); the other areas keep
    // their sums. False when there is no such area.
    bool nearest_allowed(const AreaSums& to, AreaSums& allowed,
                         const std::array<int, kFlashKinds>& made) const;
    // The frame with the sums `s` is shown: its transitions count.
    void show(const AreaSums& s);

    // Areas past the limit now, and the most transitions of one area.
    int over(FlashKind kind) const { return counts_.over(kind); }
    int most(FlashKind kind) const;

  private:
    bool started_ = false;
    std::array<std::vector<Swing>, kFlashKinds> swings_;
    AreaSums shown_; // the sums shown last (no area makes a transition with them)
    TransitionCounts counts_;
};
